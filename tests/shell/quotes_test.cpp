// The published quotes: items and values of the four topics, and the
// service name on the bus (the bus itself: tests/shellgui).
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "clientlists.h"
#include "quotebus.h"
#include "quotepublisher.h"
#include "testapp.h"
#include "usercurrency.h"

namespace {

TUserCurrency *addInstrument(TListCurrency &list, qint32 id, const QString &name, qint32 bid, qint32 ask)
{
    auto instrument = std::make_unique<TUserCurrency>(&list);
    instrument->Id = id;
    instrument->Name = name;
    instrument->ApplyQuote(ask, bid, 0);
    return list.Item(list.AddInstrument(std::move(instrument)));
}

// As after a list load: the items, then every instrument published.
void publishList(TQuotePublisher &publisher, const TListCurrency &list)
{
    publisher.CreateQuoteItems(list);
    for (int i = 0; i < list.Count(); ++i)
        publisher.PublishQuote(*list.Item(i));
}

QString value(const TQuotePublisher &p, TQuoteTopicId topic, const QString &item)
{
    return p.Topic(topic).Value(item).value_or(QStringLiteral("<none>"));
}

} // namespace

TEST(QuotePublisher, ItemsFollowTheListAndKeepWhatVanishes)
{
    EnsureTestApp();
    TListCurrency list;
    TQuotePublisher publisher;
    QSignalSpy changed(&publisher, &TQuotePublisher::itemChanged);
    addInstrument(list, 1, QStringLiteral("eurusd "), 12345, 12347);
    addInstrument(list, 2, QStringLiteral("GBPUSD"), 16001, 16004);
    TUserCurrency *shadowed = addInstrument(list, 7, QStringLiteral(" EurUsd"), 11111, 11113);
    publishList(publisher, list);
    EXPECT_EQ(publisher.Topic(TQuoteTopicId::Time).Items(), (QStringList{"EURUSD", "GBPUSD"}));
    EXPECT_EQ(value(publisher, TQuoteTopicId::Full, "EURUSD"), QStringLiteral("1.2345\t1.2347\t"));  // the lower id
    EXPECT_EQ(value(publisher, TQuoteTopicId::Time, "EURUSD"), QString());
    EXPECT_EQ(changed.count(), 6);  // ASK, BID and FULL of the two visible items

    // A repeat notifies nothing, nor does a change of the item another hides.
    changed.clear();
    publishList(publisher, list);
    shadowed->ApplyQuote(11120, 11118, 12'000'000);
    publisher.PublishQuote(*shadowed);
    EXPECT_EQ(changed.count(), 0);

    // A reload without GBPUSD: no doubles, GBPUSD keeps its last values.
    list.Clear();
    TUserCurrency *eurusd = addInstrument(list, 1, QStringLiteral("EURUSD"), 12360, 12362);
    eurusd->ApplyQuote(12362, 12360, 12'000'000);
    publishList(publisher, list);
    EXPECT_EQ(publisher.Topic(TQuoteTopicId::Bid).ItemCount(), 3);
    EXPECT_EQ(value(publisher, TQuoteTopicId::Bid, "GBPUSD"), QStringLiteral("1.6001"));
    const QString time = value(publisher, TQuoteTopicId::Time, "EURUSD");
    EXPECT_FALSE(time.isEmpty());
    EXPECT_EQ(value(publisher, TQuoteTopicId::Full, "EURUSD"), QStringLiteral("1.2360\t1.2362\t") + time);

    // An instrument without items changes nothing.
    changed.clear();
    TListCurrency other;
    publisher.PublishQuote(*addInstrument(other, 3, QStringLiteral("USDJPY"), 1'100'000, 1'100'300));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(value(publisher, TQuoteTopicId::Bid, "USDJPY"), QStringLiteral("<none>"));
}

TEST(QuoteBus, NameFromTheExecutableAndNothingWithoutABus)
{
    EnsureTestApp();
    EXPECT_EQ(TQuoteBus::DefaultServiceName(QStringLiteral("/usr/bin/kelvra.bin")), QStringLiteral("org.kelvra.kelvra"));
    EXPECT_EQ(TQuoteBus::DefaultServiceName(QStringLiteral("2 kelvra-x+")), QStringLiteral("org.kelvra._2_kelvra-x_"));
    EXPECT_EQ(TQuoteBus::DefaultServiceName(QStringLiteral("квота")), QStringLiteral("org.kelvra._____"));
    {
        TQuotePublisher publisher;
        TQuoteBus bus(publisher);
        const auto none = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"), QStringLiteral("none"));
        EXPECT_EQ(bus.Start(none, QStringLiteral("org.kelvra.none")), TQuoteBus::TState::NoBus);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("none"));
}
