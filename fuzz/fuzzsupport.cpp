#include "fuzzsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

// The application object is never destroyed (see InitApp), so what the
// system's font configuration holds at exit is reported as lost; it does
// not grow per input.
extern "C" const char *__lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace fuzz {

void InitApp(bool gui)
{
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    static int argc = 1;
    static char name[] = "kelvra-fuzz";
    static char *argv[] = {name, nullptr};
    // Never destroyed: at exit Qt's own globals may already be gone.
    if (gui)
        new QGuiApplication(argc, argv);
    else
        new QCoreApplication(argc, argv);
}

QString ScratchDir()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kelvra-fuzz-XXXXXX"));
    return dir.path();
}

QString WriteScratchFile(const QString &name, std::span<const uint8_t> bytes)
{
    const QString path = QDir(ScratchDir()).filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
    return path;
}

} // namespace fuzz
