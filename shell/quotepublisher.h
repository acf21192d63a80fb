#pragma once

#include <array>
#include <optional>
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>

class TListCurrency;
class TUserCurrency;

// The four topics under which other programs on the desktop read the quotes.
enum class TQuoteTopicId { Ask, Bid, Time, Full };
constexpr int kQuoteTopicCount = 4;

// One topic: an item per instrument, named by its trimmed upper-case name and
// tagged with its id. Two ids may carry one name; the name then stands for the
// item of the lower id, for reading and for change notices alike.
class TQuoteTopic {
public:
    struct Item {
        QString Name;
        qint32 Tag = 0;
        QString Text;
    };

    explicit TQuoteTopic(QString name) : name(std::move(name)) {}
    const QString &Name() const { return name; }

    bool HasItem(qint32 tag) const { return findTag(tag) != nullptr; }
    void AddItem(const QString &itemName, qint32 tag);
    // Sets the text of the item tagged so. True when the name's visible value
    // changed (the item is the one its name stands for and its text is new).
    bool SetText(qint32 tag, const QString &text);

    // Every item name once, in the order the items were created.
    QStringList Items() const;
    // The text the name stands for; nothing for an unknown name.
    std::optional<QString> Value(const QString &itemName) const;
    int ItemCount() const { return int(items.size()); }

private:
    Item *findTag(qint32 tag);
    const Item *findTag(qint32 tag) const;
    // The item a name stands for: the one of the lowest tag.
    const Item *findName(const QString &itemName) const;

    QString name;
    std::vector<Item> items;
};

// The published quotes: the topics ASK, BID, TIME and FULL. Widget-free and
// bus-free; a transport (the session bus) follows itemChanged.
class TQuotePublisher : public QObject {
    Q_OBJECT
public:
    explicit TQuotePublisher(QObject *parent = nullptr);

    // For every instrument of the list and every topic: an item, unless the
    // topic already holds one tagged with the instrument's id. Items are
    // never removed: an instrument that leaves the list keeps its last values.
    void CreateQuoteItems(const TListCurrency &list);
    // Sets the instrument's items to its current values; an instrument
    // without items changes nothing.
    void PublishQuote(const TUserCurrency &instrument);

    const TQuoteTopic &Topic(TQuoteTopicId id) const { return topics[size_t(id)]; }
    const std::array<TQuoteTopic, kQuoteTopicCount> &Topics() const { return topics; }

    // An instrument's name as an item name: blanks around it removed, upper case.
    static QString ItemName(const QString &instrumentName);
    // The item value of an instrument in a topic.
    static QString ItemValue(TQuoteTopicId topic, const TUserCurrency &instrument);
    // The quote time in the system's short date and time form; empty when
    // there is no quote time.
    static QString QuoteTimeText(const TUserCurrency &instrument);

signals:
    // An item's visible text has changed.
    void itemChanged(TQuoteTopicId topic, const QString &item, const QString &value);

private:
    std::array<TQuoteTopic, kQuoteTopicCount> topics;
};
