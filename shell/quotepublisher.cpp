#include "quotepublisher.h"

#include <QLocale>

#include "clientlists.h"
#include "usercurrency.h"

// ---- one topic

void TQuoteTopic::AddItem(const QString &itemName, qint32 tag)
{
    if (!HasItem(tag))
        items.push_back({itemName, tag, QString()});
}

bool TQuoteTopic::SetText(qint32 tag, const QString &text)
{
    Item *item = findTag(tag);
    if (!item || item->Text == text)
        return false;
    item->Text = text;
    // A change of an item another of the same name hides is kept, not shown.
    return findName(item->Name) == item;
}

QStringList TQuoteTopic::Items() const
{
    QStringList names;
    for (const Item &item : items)
        if (!names.contains(item.Name))
            names << item.Name;
    return names;
}

std::optional<QString> TQuoteTopic::Value(const QString &itemName) const
{
    if (const Item *item = findName(itemName))
        return item->Text;
    return std::nullopt;
}

TQuoteTopic::Item *TQuoteTopic::findTag(qint32 tag)
{
    for (Item &item : items)
        if (item.Tag == tag)
            return &item;
    return nullptr;
}

const TQuoteTopic::Item *TQuoteTopic::findTag(qint32 tag) const
{
    return const_cast<TQuoteTopic *>(this)->findTag(tag);
}

const TQuoteTopic::Item *TQuoteTopic::findName(const QString &itemName) const
{
    const Item *found = nullptr;
    for (const Item &item : items)
        if (item.Name == itemName && (!found || item.Tag < found->Tag))
            found = &item;
    return found;
}

// ---- the four topics

TQuotePublisher::TQuotePublisher(QObject *parent)
    : QObject(parent),
      topics{TQuoteTopic(QStringLiteral("ASK")), TQuoteTopic(QStringLiteral("BID")),
             TQuoteTopic(QStringLiteral("TIME")), TQuoteTopic(QStringLiteral("FULL"))}
{
}

void TQuotePublisher::CreateQuoteItems(const TListCurrency &list)
{
    for (int i = 0; i < list.Count(); ++i) {
        const TUserCurrency *instrument = list.Item(i);
        for (TQuoteTopic &topic : topics)
            topic.AddItem(ItemName(instrument->Name), instrument->Id);
    }
}

void TQuotePublisher::PublishQuote(const TUserCurrency &instrument)
{
    for (int t = 0; t < kQuoteTopicCount; ++t) {
        const auto id = TQuoteTopicId(t);
        TQuoteTopic &topic = topics[size_t(t)];
        const QString value = ItemValue(id, instrument);
        if (topic.SetText(instrument.Id, value))
            emit itemChanged(id, ItemName(instrument.Name), value);
    }
}

QString TQuotePublisher::ItemName(const QString &instrumentName) { return instrumentName.trimmed().toUpper(); }

QString TQuotePublisher::QuoteTimeText(const TUserCurrency &instrument)
{
    if (!(instrument.QuoteTime > 0))
        return QString();
    // Server time, shown as it is (the status bar shows it as GMT too).
    return QLocale::system().toString(dateTimeToQt(instrument.QuoteTime), QLocale::ShortFormat);
}

QString TQuotePublisher::ItemValue(TQuoteTopicId topic, const TUserCurrency &instrument)
{
    switch (topic) {
    case TQuoteTopicId::Ask:
        return PriceText(instrument.Ask);
    case TQuoteTopicId::Bid:
        return PriceText(instrument.Bid);
    case TQuoteTopicId::Time:
        return QuoteTimeText(instrument);
    case TQuoteTopicId::Full:
        return PriceText(instrument.Bid) + QLatin1Char('\t') + PriceText(instrument.Ask) + QLatin1Char('\t')
               + QuoteTimeText(instrument);
    }
    return QString();
}
