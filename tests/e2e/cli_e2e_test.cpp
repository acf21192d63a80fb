// The kelvra-cli program against kelvra-dealer.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "barfile.h"
#include "dealerharness.h"
#include "e2e_support.h"
#include "languagetables.h"
#include "testapp.h"

void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace {

struct CliResult {
    int code = -1;
    QString out;
    QString err;
};

class CliAgainstDealer : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureTestApp();
        SetEnglish(true);
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(home.isValid());
    }
    void start(QStringList extra)
    {
        dealer = std::make_unique<DealerProcess>(dir.path(), extra);
        ASSERT_TRUE(dealer->start()) << dealer->firstLine.toStdString();
    }
    CliResult cli(const QStringList &rest)
    {
        QProcess p;
        p.start(QStringLiteral(KELVRA_CLI_PATH),
                QStringList{"--home", home.path(), "--server", "127.0.0.1", "--port", QString::number(dealer->port()),
                            "--account", "1001", "--password", "demo", "--lang", "en", "--timeout", "20"} +
                    rest);
        CliResult r;
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
    std::unique_ptr<DealerClient> connect()
    {
        auto c = std::make_unique<DealerClient>(dealer->port());
        EXPECT_TRUE(c->login(1001, QStringLiteral("demo"))) << c->status().toStdString();
        return c;
    }
    QString barFile(const QString &name) const { return QDir(home.filePath("data")).filePath(name); }
    static std::vector<BarFileRecord> readBars(const QString &path)
    {
        std::vector<BarFileRecord> out;
        readBarFile(path, [&](const BarFileRecord &r) { out.push_back(r); });
        return out;
    }
    static QString line(const BarFileRecord &r)
    {
        return QStringList{MinuteTimeText(r.time, false), PriceText(r.open), PriceText(r.high), PriceText(r.low),
                           PriceText(r.close)}
            .join(u'\t');
    }

    QTemporaryDir dir;
    QTemporaryDir home;
    std::unique_ptr<DealerProcess> dealer;
};

struct Instrument {
    uint16_t id = 0;
    int32_t ask = 0;
    int32_t bid = 0;
};

std::map<QString, Instrument> instruments(DealerClient &c)
{
    std::map<QString, Instrument> out;
    for (const TPacketBuffer &p : c.request(NewCommand(cmdGetInstruments, 0))) {
        const std::vector<uint8_t> d = DataOf(p);
        const size_t n = GetU16(d.data());
        for (size_t k = 0; k < n; ++k) {
            const uint8_t *r = d.data() + 2 + 28 * k;
            out[QString::fromLatin1(reinterpret_cast<const char *>(r + 4), r[3])] =
                Instrument{GetU16(r), int32_t(GetU32(r + 20)), int32_t(GetU32(r + 24))};
        }
    }
    return out;
}

TEST_F(CliAgainstDealer, PositionsShowTheProfitTheDealerBooksAtThatPrice)
{
    start({"--ticks-per-second", "0", "--requote-points", "50"});
    // One position of each kind: quoted in dollars, based on dollars, and a
    // cross through GBPUSD.
    struct Trade {
        QString symbol;
        uint8_t type;
        uint8_t lots;
    };
    const std::vector<Trade> trades = {{"EURUSD", 1, 2}, {"USDJPY", 6, 1}, {"EURGBP", 1, 2}};
    {
        auto c = connect();
        std::map<QString, Instrument> market = instruments(*c);
        for (const Trade &t : trades) {
            const Instrument i = market[t.symbol];
            ASSERT_EQ(ErrorOf(c->request(e2e::placeCommand(i.id, t.type, t.lots, t.type == 1 ? i.ask : i.bid)).at(0)),
                      0)
                << t.symbol.toStdString();
        }
        ASSERT_TRUE(WaitUntil([&] { return c->pushCount(cmdPositionOpened) == trades.size(); }));
        // Then the market moves and stays there.
        ASSERT_TRUE(dealer->admin({"set-price", "EURUSD", e2e::priceArgument(market["EURUSD"].bid + 41)}));
        ASSERT_TRUE(dealer->admin({"set-price", "USDJPY", e2e::priceArgument(market["USDJPY"].bid - 3700)}));
        ASSERT_TRUE(dealer->admin({"set-price", "EURGBP", e2e::priceArgument(market["EURGBP"].bid - 23)}));
        ASSERT_TRUE(dealer->admin({"set-price", "GBPUSD", e2e::priceArgument(market["GBPUSD"].bid + 157)}));
    }  // the account is free for the command line client

    const CliResult r = cli({"positions"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2 + int(trades.size())) << r.out.toStdString();
    struct Shown {
        qint32 current = 0;
        QString profit;
        uint8_t lots = 0;
        quint32 id = 0;
    };
    std::map<QString, Shown> shown;  // by symbol
    for (int k = 1; k <= int(trades.size()); ++k) {
        const QStringList cells = lines[k].split(u'\t');
        ASSERT_EQ(cells.size(), 11) << lines[k].toStdString();
        shown[cells[2]] = Shown{PriceFromDouble(cells[5].toDouble()), cells[10], uint8_t(cells[6].toUInt()),
                                cells[0].toUInt()};
    }

    auto c = connect();
    const std::map<QString, Instrument> market = instruments(*c);
    for (const Trade &t : trades) {
        const Shown &s = shown[t.symbol];
        // The price the client values the position at is the closing side.
        EXPECT_EQ(s.current, t.type == 1 ? market.at(t.symbol).bid : market.at(t.symbol).ask) << t.symbol.toStdString();
        ASSERT_EQ(ErrorOf(c->request(NewClosePositionCommand(s.id, s.lots, quint32(s.current))).at(0)), 0)
            << t.symbol.toStdString();
    }
    ASSERT_TRUE(WaitUntil([&] { return c->pushCount(cmdPositionClosed) == trades.size(); }));

    const std::vector<e2e::BookedEntry> booked = e2e::bookedEntries(c->request(NewCommandU32(cmdGetAccountHistory, 0)));
    int32_t total = 0;
    for (const Trade &t : trades) {
        const Instrument i = market.at(t.symbol);
        const auto entry = std::find_if(booked.begin(), booked.end(), [&](const e2e::BookedEntry &e) {
            return e.currencyId == i.id && e.operation >= 101;
        });
        ASSERT_NE(entry, booked.end()) << t.symbol.toStdString();
        EXPECT_EQ(entry->closePrice, shown[t.symbol].current);
        EXPECT_EQ(MoneyText(entry->profit / 100.0), shown[t.symbol].profit) << t.symbol.toStdString();
        EXPECT_NE(entry->profit, 0) << t.symbol.toStdString();
        total += entry->profit;
    }
    // The account line showed the equity the balance now is.
    const std::vector<uint8_t> account = DataOf(c->request(NewCommand(cmdGetAccount, 0)).at(0));
    EXPECT_EQ(int32_t(GetU32(account.data())), 1000000 + total);
    EXPECT_TRUE(lines.back().contains(QStringLiteral("Equty: %1;").arg(MoneyText((1000000 + total) / 100.0))))
        << lines.back().toStdString();
}

TEST_F(CliAgainstDealer, BarsWriteTheFileAndTheNextRunAsksFromItsNewestBar)
{
    start({"--ticks-per-second", "0"});
    CliResult r = cli({"bars", "EURUSD", "M1", "--count", "5"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QString path = barFile("EURUSDM1.da0");
    std::vector<BarFileRecord> first = readBars(path);
    ASSERT_EQ(first.size(), 1000u);  // the dealer's depth for an empty series, in several packets
    QStringList expected;
    for (size_t k = first.size() - 5; k < first.size(); ++k)
        expected << line(first[k]);
    EXPECT_EQ(r.out, expected.join(u'\n') + u'\n');
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

    // Take one old bar out of the file: a run that asks only from the
    // newest bar on cannot get it back.
    const BarFileRecord removed = first[500];
    std::vector<std::array<uint8_t, 20>> records;
    for (size_t k = 0; k < first.size(); ++k) {
        if (k == 500)
            continue;
        std::array<uint8_t, 20> b{};
        const int32_t v[5] = {first[k].time, first[k].high, first[k].low, first[k].open, first[k].close};
        for (int f = 0; f < 5; ++f)
            PutU32(b.data() + 4 * f, uint32_t(v[f]));
        records.push_back(b);
    }
    ASSERT_TRUE(writeBarFile(path, records));

    r = cli({"bars", "eurusd", "m1"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 999);
    EXPECT_FALSE(r.out.contains(MinuteTimeText(removed.time, false) + u'\t'));
    const std::vector<BarFileRecord> second = readBars(path);
    ASSERT_EQ(size_t(lines.size()), second.size());
    std::set<int32_t> times;
    for (const BarFileRecord &b : second)
        times.insert(b.time);
    EXPECT_EQ(times.count(removed.time), 0u);
    for (size_t k = 0; k < first.size(); ++k) {
        if (k != 500) {
            EXPECT_EQ(times.count(first[k].time), 1u) << k;
        }
    }
    // The bars it held are printed as they were, oldest first (the newest
    // may have taken the reply's newer minutes).
    first.erase(first.begin() + 500);
    for (size_t k = 0; k + 1 < first.size(); ++k)
        ASSERT_EQ(lines[int(k)], line(first[k])) << k;
}

TEST_F(CliAgainstDealer, BarsOfAnUnknownInstrumentOrWithoutAServerFail)
{
    start({"--ticks-per-second", "0"});
    CliResult r = cli({"bars", "XAUUSD", "H1"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("XAUUSD"))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_FALSE(QFile::exists(barFile("XAUUSDH1.da0")));

    // A week series: fewer bars than the depth, in one packet.
    r = cli({"bars", "GBPJPY", "W1", "--count", "2"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const std::vector<BarFileRecord> weeks = readBars(barFile("GBPJPYW1.da0"));
    ASSERT_GE(weeks.size(), 4u);
    ASSERT_LE(weeks.size(), 6u);
    for (const BarFileRecord &b : weeks)
        EXPECT_EQ(b.time % 10080, 0) << b.time;
    EXPECT_EQ(r.out, line(weeks[weeks.size() - 2]) + u'\n' + line(weeks.back()) + u'\n');
}

} // namespace
