// The desktop client's start-up and memory, measured against the demo
// dealer on this machine:
//
// - the time from the start of the process to the main window logged in
//   with every start-up list filled (system variables, instruments,
//   positions, orders, account, both histories);
// - the resident memory with ten chart windows of 5,000 bars and five
//   indicators each, painted.
//
// Reported, never asserted (goals: 0.5 s and 120 MB). Without a display it
// runs on the offscreen platform.
//
//   client_startup [--runs N]     (start-up measured N times, default 3)
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <set>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTemporaryDir>

#include "catalogue.h"
#include "chartpanel.h"
#include "chartpanelwidget.h"
#include "clientsession.h"
#include "clientstate.h"
#include "commands.h"
#include "homepaths.h"
#include "inifile.h"
#include "mainform.h"
#include "mchart.h"
#include "otherindicator.h"
#include "serdata.h"

namespace {

// Milliseconds since this process started (the kernel's start time).
double millisecondsSinceStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the command name (which may hold spaces); starttime is field 22.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return -1;
    const double started = fields[19].toDouble() / double(sysconf(_SC_CLK_TCK));
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return (double(now.tv_sec) + double(now.tv_nsec) / 1e9 - started) * 1000.0;
}

double statusMegabytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = 3;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--runs")
            runs = std::max(1, QByteArray(argv[i + 1]).toInt());

    // The dealer's own start (its market history) is not the client's time.
    QElapsedTimer dealerStart;
    dealerStart.start();
    QTemporaryDir dealerData;
    QProcess dealer;
    dealer.start(QStringLiteral(KELVRA_DEALER_BINARY), {"--port", "0", "--data", dealerData.path(), "--ticks-per-second",
                                                        "20", "--seed", "5", "--history-bars", "5000"});
    if (!dealer.waitForStarted() || !dealer.waitForReadyRead(20000)) {
        std::fprintf(stderr, "client_startup: no dealer\n");
        return 1;
    }
    const int port = QString::fromUtf8(dealer.readLine()).trimmed().section(':', -1).toInt();
    const double dealerMs = double(dealerStart.elapsed());

    // The first window of the process pays for loading fonts, styles and
    // plugins: that one is the start-up figure; later ones show the rest.
    const QList<quint8> startupLists{cmdGetSysVariables, cmdGetInstruments,     cmdGetPositions,    cmdGetOrders,
                                     cmdGetAccount,      cmdGetAccountHistory, cmdGetOrderHistory};
    int status = 0;
    for (int run = 0; run < runs && status == 0; ++run) {
        QElapsedTimer sinceWindow;
        sinceWindow.start();
        QTemporaryDir home;
        {
            TIniFile ini(home.filePath(QStringLiteral("kelvra.ini")));
            ini.WriteString(QStringLiteral("kelvra-server"), QStringLiteral("host"), QStringLiteral("127.0.0.1"));
            ini.WriteInteger(QStringLiteral("kelvra-server"), QStringLiteral("port"), port);
            ini.WriteInteger(QStringLiteral("desktop"), QStringLiteral("Lang"), 1);
            ini.Save();
        }
        const TKelvraPaths paths{home.path(), home.filePath(QStringLiteral("kelvra.ini")),
                                 home.filePath(QStringLiteral("data"))};
        TMainForm window(paths);
        window.ShowMessage = [](const QString &) {};
        window.ShowError = [](const QString &text) { std::fprintf(stderr, "error: %s\n", qPrintable(text)); };
        std::set<quint8> filled;
        QObject::connect(&window.State(), &ClientState::replyHandled, [&](quint8 code, bool last, bool) {
            if (last && startupLists.contains(code))
                filled.insert(code);
        });
        window.SetCommandLineLogin(1001, QStringLiteral("demo"), std::nullopt);
        window.show();
        if (!waitFor([&] { return window.Session().LoggedIn() && filled.size() == size_t(startupLists.size()); },
                     20000)) {
            std::fprintf(stderr, "client_startup: no login\n");
            status = 1;
            break;
        }
        if (run == 0)
            std::printf("start-up: %.0f ms from the process start to the logged-in window with lists filled, "
                        "not counting the %.0f ms the dealer took to start (resident %.1f MB)\n",
                        millisecondsSinceStart() - dealerMs, dealerMs, statusMegabytes("VmRSS:"));
        else
            std::printf("window %d: %lld ms from its creation to logged in with lists filled\n", run + 1,
                        static_cast<long long>(sinceWindow.elapsed()));
        std::fflush(stdout);
        if (run + 1 < runs) {
            window.close();
            continue;
        }

        // Ten charts of 5,000 bars: nine instruments at M1 and one at M5,
        // each with five indicators in the price area and two areas below.
        const double before = statusMegabytes("VmRSS:");
        QElapsedTimer charts;
        charts.start();
        std::vector<TMChart *> opened;
        for (int k = 0; k < 10; ++k)
            if (TMChart *c = window.OpenChart(k < 9 ? k + 1 : 1, k < 9 ? 1 : 2))
                opened.push_back(c);
        if (!waitFor(
                [&] {
                    for (TMChart *c : opened)
                        if (c->Series()->Count() < 5000 || c->Series()->Ready != 1)
                            return false;
                    return true;
                },
                60000)) {
            std::fprintf(stderr, "client_startup: the histories did not come\n");
            status = 1;
            break;
        }
        int bars = 0;
        for (TMChart *c : opened) {
            TChartPanel *panel = c->Panel();
            panel->AttachIndicator(panel->Area(0), CreateIndicator(0), 0);
            panel->AttachIndicator(panel->Area(0), CreateIndicator(3), 0);
            for (int n : {22, 29, 30})
                panel->AttachIndicator(panel->AddArea(), CreateIndicator(n), 0);
            c->Frame()->resize(1200, 700);
            c->Refresh();
            c->PanelWidget()->ChartImage();  // painted as the screen would
            bars += c->Series()->Count();
        }
        waitFor([] { return false; }, 500);  // a few ticks of every chart
        std::printf("10 charts (%d bars, 5 indicators each) ready in %lld ms: resident %.1f MB "
                    "(%.1f MB for the charts), peak %.1f MB\n",
                    bars, static_cast<long long>(charts.elapsed()), statusMegabytes("VmRSS:"),
                    statusMegabytes("VmRSS:") - before, statusMegabytes("VmHWM:"));
        window.close();
    }
    dealer.terminate();
    dealer.waitForFinished();
    return status;
}
