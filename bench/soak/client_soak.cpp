// The client core for a long run against the demo dealer at 100 quotes a
// second, with ten charts of history and five indicators each, every one
// refreshed and painted whenever its series changes. Prints the resident
// memory every minute and its growth after the first minute.
//
//   client_soak [--minutes N]     (default 2; the full soak is 30)
#include <cstdio>
#include <memory>
#include <vector>

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include "catalogue.h"
#include "chartpanel.h"
#include "clientsession.h"
#include "clientstate.h"
#include "languagetables.h"
#include "mainindicator.h"
#include "otherindicator.h"
#include "patternstore.h"
#include "serieslist.h"

namespace {

double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096.0 / (1024.0 * 1024.0) : 0;
}

struct Chart {
    TSerData *series = nullptr;
    std::unique_ptr<TChartPanel> panel;
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    SetEnglish(true);
    int minutes = 2;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--minutes")
            minutes = std::max(1, QByteArray(argv[i + 1]).toInt());

    QTemporaryDir data, bars;
    QProcess dealer;
    dealer.start(QStringLiteral(KELVRA_DEALER_BINARY),
                 {"--port", "0", "--data", data.path(), "--ticks-per-second", "100", "--seed", "5"});
    if (!dealer.waitForStarted() || !dealer.waitForReadyRead(20000)) {
        std::fprintf(stderr, "client_soak: no dealer\n");
        return 1;
    }
    const int port = QString::fromUtf8(dealer.readLine()).trimmed().section(':', -1).toInt();

    ClientSession session;
    ClientState state(session);
    TSeriesList list(session, bars.path(), [&](int id) {
        const TUserCurrency *i = state.Lists().Instruments.FindRecord(id);
        return i ? i->Name : QString();
    });
    TPatternMenager patterns;
    std::vector<Chart> charts;
    QObject::connect(&state, &ClientState::sysVariablesLoaded, [&] {
        list.Start();
        if (!charts.empty())
            return;
        // Nine instruments at one minute and one at an hour.
        for (int k = 0; k < 10; ++k) {
            Chart c;
            c.series = list.FindOrCreate(k < 9 ? k + 1 : 1, k < 9 ? 1 : 4);
            c.panel = std::make_unique<TChartPanel>(c.series, MakeMainIndicator, &patterns);
            c.panel->SetClientSize(QSize(1280, 700));
            c.panel->AttachIndicator(c.panel->Area(0), CreateIndicator(0), 0);
            c.panel->AttachIndicator(c.panel->Area(0), CreateIndicator(3), 0);
            for (int n : {22, 29, 30})
                c.panel->AttachIndicator(c.panel->AddArea(), CreateIndicator(n), 0);
            c.panel->Layout();
            charts.push_back(std::move(c));
        }
    });
    uint64_t repaints = 0;
    QObject::connect(&list, &TSeriesList::seriesChanged, [&](uint32_t key) {
        for (Chart &c : charts)
            if (c.series->Key == key) {
                c.panel->Refresh();
                const QImage image = c.panel->Render();
                repaints += image.isNull() ? 0 : 1;
            }
    });
    session.Thread().SetServerList(QStringLiteral("127.0.0.1"));
    session.Thread().SetPort(port);
    session.Login(1001, QStringLiteral("demo"), TKeyRecord{});

    double firstMinute = 0;
    int minute = 0;
    QTimer clock;
    clock.setInterval(60000);
    QObject::connect(&clock, &QTimer::timeout, [&] {
        ++minute;
        const double rss = residentMegabytes();
        if (minute == 1)
            firstMinute = rss;
        int bars = 0;
        for (const Chart &c : charts)
            bars += c.series->Count();
        std::printf("minute %d: resident %.1f MB, %d bars in 10 charts, %llu repaints, %s\n", minute, rss, bars,
                    static_cast<unsigned long long>(repaints), session.LoggedIn() ? "logged in" : "NOT logged in");
        std::fflush(stdout);
        if (minute >= minutes) {
            std::printf("growth after the first minute: %.1f MB\n", rss - firstMinute);
            app.quit();
        }
    });
    clock.start();
    const int status = app.exec();
    session.Shutdown();
    dealer.terminate();
    dealer.waitForFinished();
    return status;
}
