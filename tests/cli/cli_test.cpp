#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include "barfile.h"
#include "clioptions.h"
#include "clirunner.h"
#include "commands.h"
#include "fakedealer.h"
#include "inifile.h"
#include "languagetables.h"
#include "scriptedserver.h"
#include "sixbittext.h"
#include "storedlogins.h"
#include "testapp.h"
#include "wirerecords.h"

void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace {

constexpr uint32_t kMay3 = 2281565;  // 2004-05-03 10:05

struct Result {
    int code = -1;
    QString out;
    QString err;
};

Result runCli(const QStringList &arguments)
{
    EnsureTestApp();
    Result r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code = RunCli(arguments, out, err);
    return r;
}

// A dealer with one instrument, one position worth 500.00, one order and histories.
class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        dealer.setReply(cmdGetSysVariables, wire::SysVariables{.serverTime = kMay3, .lotSize = 100000, .title = "Fake"}.bytes());
        dealer.setListOf(cmdGetInstruments, std::vector<wire::Instrument>{
            {.id = 1, .kind = 1, .name = "EURUSD", .minutes = kMay3, .ask = 12052, .bid = 12050},
            {.id = 2, .kind = 2, .name = "USDJPY", .minutes = kMay3, .ask = 1051300, .bid = 1051200},
        });
        dealer.setListOf(cmdGetPositions, std::vector<wire::Position>{
            {.id = 501, .currencyId = 1, .operation = 1, .openTime = kMay3, .openPrice = 12000, .lots = 1},
        });
        dealer.setListOf(cmdGetOrders, std::vector<wire::Order>{
            {.id = 20, .currencyId = 1, .orderType = 2, .time = kMay3, .lots = 2, .price = 11900},
        });
        dealer.setReply(cmdGetAccount, wire::Account{.balance = 100000, .margin = 20000}.bytes());
        dealer.setListOf(cmdGetAccountHistory, std::vector<wire::HistoryAccount>{
            {.id = 1, .time = kMay3, .profit = 100000, .operationType = 1},
        });
        dealer.setListOf(cmdGetOrderHistory, std::vector<wire::HistoryOrder>{
            {.id = 3, .currencyId = 1, .orderType = 4, .openTime = kMay3, .closeTime = kMay3, .price = 12100,
             .status = 4},
        });
        dealer.setReply(cmdGetMailIds, {0, 0});
        dealer.setReply(cmdGetMessageIds, {0, 0});
    }
    QStringList args(const QStringList &rest) const
    {
        return QStringList{u"--home"_qs, home.path(), u"--server"_qs, u"127.0.0.1"_qs, u"--port"_qs,
                           QString::number(dealer.port()), u"--account"_qs, u"1001"_qs, u"--password"_qs,
                           u"demo"_qs, u"--lang"_qs, u"en"_qs, u"--timeout"_qs, u"5"_qs} +
               rest;
    }

    QTemporaryDir home;
    FakeDealer dealer;
};

} // namespace

// ---- options ----------------------------------------------------------------

TEST(CliOptions, ParsesAndRefusesWhatDoesNotBelong)
{
    QString error;
    auto o = ParseCliOptions({u"--port=2300"_qs, u"quotes"_qs, u"--count"_qs, u"3"_qs}, &error);
    ASSERT_TRUE(o) << error.toStdString();
    EXPECT_EQ(o->port, 2300);
    EXPECT_EQ(o->command, u"quotes");
    EXPECT_EQ(o->count, 3);
    EXPECT_EQ(o->days, -1);
    EXPECT_FALSE(o->passwordGiven);

    o = ParseCliOptions({u"history"_qs, u"--days"_qs, u"0"_qs, u"--password"_qs, u""_qs}, &error);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->days, 0);
    EXPECT_TRUE(o->passwordGiven);

    for (const QStringList &bad : {QStringList{}, QStringList{u"trade"_qs}, QStringList{u"positions"_qs, u"x"_qs},
                                   QStringList{u"positions"_qs, u"--count"_qs, u"2"_qs},
                                   QStringList{u"quotes"_qs, u"--count"_qs, u"2"_qs, u"--seconds"_qs, u"1"_qs},
                                   QStringList{u"orders"_qs, u"--days"_qs, u"7"_qs},
                                   QStringList{u"orders"_qs, u"--port"_qs, u"70000"_qs},
                                   QStringList{u"orders"_qs, u"--lang"_qs, u"de"_qs},
                                   QStringList{u"orders"_qs, u"--timeout"_qs}, QStringList{u"--bogus"_qs}}) {
        EXPECT_FALSE(ParseCliOptions(bad, &error)) << bad.join(u' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_TRUE(ParseCliOptions({u"--help"_qs}, &error)->help);
}

// ---- commands against the fake dealer ---------------------------------------

TEST_F(Cli, PositionsPrintRowsThenTheAccount)
{
    const Result r = runCli(args({u"positions"_qs}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << r.out.toStdString();
    EXPECT_EQ(lines[0], u"Id\tOpen date\tSymbol\tOperation\tOpen price\tCur. price\tLot\tStop loss\tTake profit"
                        u"\tSwap\tProfit/loss");
    EXPECT_EQ(lines[1], u"501\t03.05.2004 10:05\tEURUSD\tBuy\t1.2000\t1.2050\t1\t\t\t0.00\t500.00");
    EXPECT_EQ(lines[2], u"Balans: 1000.00; Equty: 1500.00; Free margin: 1300.00");
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

TEST_F(Cli, OtherListsAndTheAccount)
{
    Result r = runCli(args({u"instruments"_qs}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, u"Name\tBid\tAsk\tTime\nEURUSD\t1.2050\t1.2052\t10:05\nUSDJPY\t105.12\t105.13\t10:05\n");

    r = runCli(args({u"orders"_qs}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.endsWith(u"\n20\t\t03.05.2004 10:05\tEURUSD\tBuy limit\t1.1900\t1.2052\t2\t\t\n"_qs))
        << r.out.toStdString();

    r = runCli(args({u"account"_qs}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, u"Balans: 1000.00; Equty: 1500.00; Free margin: 1300.00\n");

    r = runCli(args({u"order-history"_qs, u"--days"_qs, u"31"_qs}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(dealer.lastParameter(cmdGetOrderHistory), 31);
    EXPECT_TRUE(r.out.endsWith(u"\n3\t03.05.2004 10:05\tBuy stop\tEURUSD\t1.2100\t1\t\t\t03.05.2004 10:05\texecuted\n"_qs))
        << r.out.toStdString();

    r = runCli(args({u"history"_qs, u"--days"_qs, u"0"_qs}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(dealer.lastParameter(cmdGetAccountHistory), 0);
    EXPECT_TRUE(r.out.endsWith(u"\n1\t03.05.2004 10:05\tadd\t\t\t\t\t\t\t\t\t1000.00\nCurrent balans : 1000.00\n"_qs))
        << r.out.toStdString();
}

TEST_F(Cli, QuotesStreamUntilTheCount)
{
    dealer.pushAfterReply(cmdGetInstruments, {
        {cmdQuote, wire::Quote{.id = 1, .ask = 12062, .bid = 12060, .minutes = kMay3 + 1}.bytes()},
        {cmdQuote, wire::Quote{.id = 9, .ask = 1, .bid = 1}.bytes()},  // unknown: not printed
        {cmdQuote, wire::Quote{.id = 2, .ask = 1052300, .bid = 1052200, .minutes = kMay3 + 2}.bytes()},
        {cmdQuote, wire::Quote{.id = 1, .ask = 12072, .bid = 12070, .minutes = kMay3 + 3}.bytes()},
    });
    const Result r = runCli(args({u"quotes"_qs, u"--count"_qs, u"2"_qs}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, u"EURUSD\t1.2060\t1.2062\t10:06\nUSDJPY\t105.22\t105.23\t10:07\n");
}

TEST_F(Cli, SettingsAndLoginComeFromTheIniWhichStaysUntouched)
{
    TIniFile ini;
    ini.SetPath(home.filePath(u"kelvra.ini"_qs));
    ini.WriteString(u"kelvra-server"_qs, u"Host"_qs, u"127.0.0.1"_qs);
    ini.WriteInteger(u"kelvra-server"_qs, u"port"_qs, dealer.port());
    TStoredLogins logins;
    logins.StoreLogin(TLoginRecord::Make(1001, u"demo"_qs, {}, true));
    logins.SavedAccount = 1001;
    logins.SaveLogins(ini);
    ini.WriteInteger(u"desktop"_qs, u"Lang"_qs, 0);
    ASSERT_TRUE(ini.Save());
    const QByteArray before = ini.ToText();
    const QDateTime modified = QFileInfo(ini.Path()).lastModified();

    const Result r = runCli({u"--home"_qs, home.path(), u"account"_qs});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    // Russian from the INI file: the summary is not the English one.
    EXPECT_FALSE(r.out.startsWith(u"Balans"_qs)) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(u"1500.00"_qs));
    EXPECT_EQ(TIniFile(ini.Path()).ToText(), before);
    EXPECT_EQ(QFileInfo(ini.Path()).lastModified(), modified);
    const std::vector<TPacketBuffer> got = dealer.received();
    ASSERT_FALSE(got.empty());
}

TEST_F(Cli, FailuresGoToStderrWithAnExitStatus)
{
    dealer.setError(cmdGetOrders, 3);
    Result r = runCli(args({u"orders"_qs}));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.trimmed(), u"Record not found");
    EXPECT_TRUE(r.out.isEmpty());

    dealer.setSilent(cmdGetOrderHistory);
    r = runCli(args({u"order-history"_qs, u"--timeout"_qs, u"0.5"_qs}));
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.isEmpty());

    dealer.setLoginError(1);
    r = runCli(args({u"positions"_qs}));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.trimmed(), u"Incorrect login name or password");
}

TEST_F(Cli, HandlerExceptionIsReportedAndTheCommandGoesOn)
{
    dealer.setListOf(cmdGetOrders, std::vector<wire::Order>{{.id = 20, .currencyId = 1}, {.id = 20, .currencyId = 1}});
    const Result r = runCli(args({u"orders"_qs}));
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.err.contains(u"try add duplicate item"_qs)) << r.err.toStdString();
    EXPECT_EQ(r.out.split(u'\n', Qt::SkipEmptyParts).size(), 2);  // header and the one order
}

TEST(CliProcess, ExitStatusesOfTheProgram)
{
    EnsureTestApp();
    auto run = [](const QStringList &arguments) {
        QProcess p;
        p.start(QStringLiteral(KELVRA_CLI_PATH), arguments);
        EXPECT_TRUE(p.waitForFinished(30000));
        return std::make_tuple(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                               QString::fromUtf8(p.readAllStandardError()));
    };
    auto [code, out, err] = run({u"--version"_qs});
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(out.startsWith(u"kelvra-cli "_qs));
    std::tie(code, out, err) = run({u"--help"_qs});
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(out.contains(u"order-history"_qs));
    std::tie(code, out, err) = run({u"nonsense"_qs});
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(err.contains(u"unknown command"_qs));

    QTemporaryDir home;
    std::tie(code, out, err) =
        run({u"--home"_qs, home.path(), u"--server"_qs, u"127.0.0.1"_qs, u"--port"_qs, QString::number(UnusedPort()),
             u"--account"_qs, u"5"_qs, u"--lang"_qs, u"en"_qs, u"instruments"_qs});
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(err.contains(u"Can't connect to 127.0.0.1"_qs)) << err.toStdString();
    EXPECT_FALSE(QFile::exists(home.filePath(u"kelvra.ini"_qs)));

    // No account given and none stored.
    std::tie(code, out, err) = run({u"--home"_qs, home.path(), u"instruments"_qs});
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(err.contains(u"--account"_qs));
}

// ---- bars -------------------------------------------------------------------

namespace {

struct Bar {
    int32_t time, high, low, open, close;
};

wire::Bytes barBytes(const Bar &b)
{
    wire::Bytes out(20);
    const int32_t v[5] = {b.time, b.high, b.low, b.open, b.close};
    for (int f = 0; f < 5; ++f)
        PutU32(out.data() + 4 * f, uint32_t(v[f]));
    return out;
}

void setBars(FakeDealer &dealer, const std::vector<Bar> &bars, size_t perPacket)
{
    std::vector<wire::Bytes> records;
    for (const Bar &b : bars)
        records.push_back(barBytes(b));
    dealer.setList(cmdGetHistoryBars, records, perPacket);
}

std::vector<TPacketBuffer> historyRequests(const FakeDealer &dealer)
{
    std::vector<TPacketBuffer> out;
    for (const TPacketBuffer &p : dealer.received())
        if (p[hdr::Code] == cmdGetHistoryBars)
            out.push_back(p);
    return out;
}

std::vector<BarFileRecord> fileBars(const QString &path)
{
    std::vector<BarFileRecord> out;
    readBarFile(path, [&](const BarFileRecord &r) { out.push_back(r); });
    return out;
}

// Hour bars labelled 11:00, 12:00, ... on 2004-05-03.
constexpr int32_t kH11 = kMay3 - 5 + 60;

} // namespace

TEST(CliOptions, BarsTakeAnInstrumentAndATimeframe)
{
    QString error;
    auto o = ParseCliOptions({u"bars"_qs, u"EURUSD"_qs, u"h4"_qs, u"--count"_qs, u"7"_qs}, &error);
    ASSERT_TRUE(o) << error.toStdString();
    EXPECT_EQ(o->symbol, u"EURUSD");
    EXPECT_EQ(o->timeframe, 4);
    EXPECT_EQ(o->count, 7);
    EXPECT_EQ(ParseTimeframe(u"W1"_qs), 6);
    EXPECT_EQ(ParseTimeframe(u"M1"_qs), 1);
    EXPECT_EQ(ParseTimeframe(u"H2"_qs), 0);
    EXPECT_EQ(ParseTimeframe(u""_qs), 0);
    for (const QStringList &bad :
         {QStringList{u"bars"_qs}, QStringList{u"bars"_qs, u"EURUSD"_qs}, QStringList{u"bars"_qs, u"EURUSD"_qs, u"H2"_qs},
          QStringList{u"bars"_qs, u"EURUSD"_qs, u"H1"_qs, u"M5"_qs},
          QStringList{u"bars"_qs, u"EURUSD"_qs, u"H1"_qs, u"--seconds"_qs, u"2"_qs},
          QStringList{u"bars"_qs, u"EURUSD"_qs, u"H1"_qs, u"--days"_qs, u"2"_qs},
          QStringList{u"bars"_qs, u" "_qs, u"H1"_qs}}) {
        EXPECT_FALSE(ParseCliOptions(bad, &error)) << bad.join(u' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST_F(Cli, BarsPrintTheNewestAndTheNextRunAsksFromTheFilesNewestBar)
{
    // Five hour bars in three packets, the newest in the middle of the list
    // (the series orders them), one in between.
    setBars(dealer,
            {{kH11, 12060, 12040, 12045, 12050},
             {kH11 + 60, 12080, 12050, 12050, 12070},
             {kH11 + 240, 12110, 12090, 12100, 12095},
             {kH11 + 120, 12090, 12060, 12070, 12085},
             {kH11 + 180, 12100, 12080, 12085, 12099}},
            2);
    Result r = runCli(args({u"bars"_qs, u"EURUSD"_qs, u"H1"_qs, u"--count"_qs, u"3"_qs}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, u"03.05.2004 13:00\t1.2070\t1.2090\t1.2060\t1.2085\n"
                     u"03.05.2004 14:00\t1.2085\t1.2100\t1.2080\t1.2099\n"
                     u"03.05.2004 15:00\t1.2100\t1.2110\t1.2090\t1.2095\n"_qs);
    std::vector<TPacketBuffer> asked = historyRequests(dealer);
    ASSERT_EQ(asked.size(), 1u);
    ASSERT_EQ(asked[0].size(), size_t(hdr::Data) + 12);
    EXPECT_EQ(GetU16(&asked[0][hdr::Data]), 1);
    EXPECT_EQ(asked[0][hdr::Data + 2], 2);
    EXPECT_EQ(asked[0][hdr::Data + 3], 3);
    EXPECT_EQ(GetU32(&asked[0][hdr::Data + 4]), 0u);  // nothing held yet
    EXPECT_EQ(GetU32(&asked[0][hdr::Data + 8]), 0x00FFFFFFu);

    const QString path = home.filePath(u"data/EURUSDH1.da0"_qs);
    std::vector<BarFileRecord> file = fileBars(path);
    ASSERT_EQ(file.size(), 5u);
    EXPECT_EQ(file.back().time, kH11 + 240);
    EXPECT_EQ(file[2].open, 12070);
    EXPECT_FALSE(QFile::exists(home.filePath(u"kelvra.ini"_qs)));

    // The second run: the newest bar again (moved on) and a newer one.
    setBars(dealer, {{kH11 + 240, 12130, 12080, 12000, 12120}, {kH11 + 300, 12125, 12115, 12120, 12118}}, 0);
    r = runCli(args({u"bars"_qs, u"EURUSD"_qs, u"H1"_qs, u"--count"_qs, u"2"_qs}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    asked = historyRequests(dealer);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(int32_t(GetU32(&asked[1][hdr::Data + 4])), kH11 + 240);
    // Merged: the open kept, high and low widened, the close taken.
    EXPECT_EQ(r.out, u"03.05.2004 15:00\t1.2100\t1.2130\t1.2080\t1.2120\n"
                     u"03.05.2004 16:00\t1.2120\t1.2125\t1.2115\t1.2118\n"_qs);
    file = fileBars(path);
    ASSERT_EQ(file.size(), 6u);
    EXPECT_EQ(file[0].time, kH11);
    EXPECT_EQ(file[5].close, 12118);
}

TEST_F(Cli, BarsFailuresExitNonZero)
{
    // The server refuses the history: its text, and no file.
    dealer.setError(cmdGetHistoryBars, 3);
    Result r = runCli(args({u"bars"_qs, u"USDJPY"_qs, u"D1"_qs}));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.trimmed(), u"Record not found");
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_FALSE(QFile::exists(home.filePath(u"data/USDJPYD1.da0"_qs)));

    // Not an instrument of the dealer: nothing is asked.
    r = runCli(args({u"bars"_qs, u"XAUUSD"_qs, u"D1"_qs}));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(u"unknown instrument: XAUUSD"_qs)) << r.err.toStdString();
    EXPECT_EQ(historyRequests(dealer).size(), 1u);

    // No answer within the time-out; what had come is kept.
    dealer.setSilent(cmdGetHistoryBars);
    r = runCli(args({u"bars"_qs, u"EURUSD"_qs, u"M5"_qs, u"--timeout"_qs, u"0.5"_qs}));
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.isEmpty());
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(Cli, BarsReportABarFileThatCannotBeWritten)
{
    setBars(dealer, {{kH11, 12060, 12040, 12045, 12050}}, 0);
    // A folder where the file should be: the bars are printed, the failure told.
    ASSERT_TRUE(QDir(home.path()).mkpath(u"data/EURUSDH1.da0"_qs));
    const Result r = runCli(args({u"bars"_qs, u"EURUSD"_qs, u"H1"_qs}));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, u"03.05.2004 11:00\t1.2045\t1.2060\t1.2040\t1.2050\n"_qs);
    EXPECT_TRUE(r.err.contains(u"EURUSDH1.da0"_qs)) << r.err.toStdString();
}
