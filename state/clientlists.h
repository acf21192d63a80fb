#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>

#include <QDate>
#include <QString>

#include "useraccount.h"
#include "usercurrency.h"
#include "userdeal.h"
#include "userhistory.h"
#include "userorder.h"

class TIniFile;

// The instruments, with an index from name to id.
class TListCurrency : public TRecordList<TUserCurrency> {
public:
    using TRecordList::TRecordList;

    // Empties the list and the name index.
    void Clear() override;
    // Adds the instrument and enters its name in the index (a name already
    // indexed keeps its first id). A duplicate id raises "try add duplicate item".
    int AddInstrument(std::unique_ptr<TUserCurrency> instrument);
    // The id of an instrument by name (case ignored), or -1.
    qint32 IdByName(const QString &name) const;
    const std::map<QString, qint32> &NameIndex() const { return nameIndex; }

    // (ask, bid) of an instrument; both 0 when the id is unknown.
    void GetPrices(qint32 id, qint32 &ask, qint32 &bid) const;
    // Kind of an instrument; 0 when unknown.
    int GetKind(qint32 id) const;

    // Section "currency": key i holds the encoded image of the instrument at
    // index i; then "desktop"/"Lang" the language number. The section is
    // erased first.
    void SaveToIni(TIniFile &ini) const;
    // Reads "desktop"/"Lang" (default: the current language), then every
    // line of "currency" that decodes to an image; other lines and lines
    // whose id is already loaded are skipped. Returns the number of
    // instruments added.
    int LoadFromIni(TIniFile &ini);

private:
    std::map<QString, qint32> nameIndex;  // keyed by the upper-case name
};

// The open positions and the one account summary.
class TListDeal : public TRecordList<TUserDeal> {
public:
    explicit TListDeal(TClientLists *lists = nullptr);
    ~TListDeal() override;

    // The generic attach, then the account is bound to the footer row.
    void AttachView(TRowView *view) override;
    void DetachView() override;

    // Sum of the positions' profits, and of their swaps in currency units.
    double SumProfit() const;
    double SumSwap() const;

    std::unique_ptr<TUserAccount> Account;
};

// The pending orders.
class TListOrder : public TRecordList<TUserOrder> {
public:
    using TRecordList::TRecordList;

    // A group number 1..254 no order uses: up to 10 random draws, -1 when
    // every draw hit a used number.
    int NewGroupNumber() const;
    // The random source: a number in 1..254 per call.
    std::function<int()> RandomGroup;
};

// The account history with the totals footer of its view.
class TListHistoryAccount : public TRecordList<TUserHistoryAccount> {
public:
    using TRecordList::TRecordList;

    // The generic attach, then the footer is taken and rewritten.
    void AttachView(TRowView *view) override;
    void DetachView() override;

    // Sum of profit and swap over the entries, in currency units.
    double Total() const;
    // Message 44 with the total, the period and the balance, or message 11
    // with the balance alone when Days is 0.
    QString FooterText() const;
    // Writes the footer text (image 2) when the view has a footer row.
    void RewriteFooter();

    int Days = 1;  // 0 = all history
    TRowItem *Footer = nullptr;
    // Today's local date (replaceable for tests).
    std::function<QDate()> Today;
};

// The order history.
class TListHistoryOrder : public TRecordList<TUserHistoryOrder> {
public:
    using TRecordList::TRecordList;
    int Days = 1;  // 0 = all history
};

// Values the server sends with the system variables.
struct TSystemVariables {
    static constexpr size_t WireSize = 122;

    quint32 ServerTime = 0;  // minutes since 2000-01-01
    qint32 LotSize = 0;      // the amount of one lot
    quint32 Kept = 0;        // kept, not used by the client
    std::array<quint8, 9> SpreadTable{};
    QString Title;           // the dealer's title
};

// The client's model of the account: the five trading lists and the system
// variables (the mailbox belongs to the messaging). Lists are created in this
// order and destroyed in reverse.
class TClientLists {
public:
    TClientLists();
    TClientLists(const TClientLists &) = delete;
    TClientLists &operator=(const TClientLists &) = delete;

    TListHistoryAccount AccountHistory;
    TListHistoryOrder OrderHistory;
    TListCurrency Instruments;
    TListDeal Positions;
    TListOrder Orders;
    TSystemVariables SysVars;

    TUserAccount &Account() { return *Positions.Account; }
};
