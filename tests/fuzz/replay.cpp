// Replays the committed corpus of one fuzz target through its entry point:
// every seed and every input the fuzzer once crashed on must pass.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "fuzzsupport.h"

// Defined by the targets that need their set-up; weak so the others link.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

// One test per target, named after it: packets, rsa, …
TEST(FuzzReplay, KELVRA_FUZZ_TARGET)
{
    if (LLVMFuzzerInitialize) {
        static int argc = 1;
        static char name[] = "replay";
        static char *args[] = {name, nullptr};
        char **argv = args;
        LLVMFuzzerInitialize(&argc, &argv);
    }
    const QDir corpus(QStringLiteral(KELVRA_FUZZ_CORPUS));
    const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty()) << "no corpus in " << KELVRA_FUZZ_CORPUS;
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())), 0);
    }
}
