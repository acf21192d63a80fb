#include "clientlists.h"

#include <QLocale>
#include <QRandomGenerator>

#include "languagetables.h"

// ---- TListCurrency

void TListCurrency::Clear()
{
    TRecordList::Clear();
    nameIndex.clear();
}

int TListCurrency::AddInstrument(std::unique_ptr<TUserCurrency> instrument)
{
    const QString key = instrument ? instrument->Name.toUpper() : QString();
    const qint32 id = instrument ? instrument->Id : 0;
    const int index = Add(std::move(instrument));
    if (index >= 0)
        nameIndex.emplace(key, id);
    return index;
}

qint32 TListCurrency::IdByName(const QString &name) const
{
    const auto it = nameIndex.find(name.trimmed().toUpper());
    return it == nameIndex.end() ? -1 : it->second;
}

void TListCurrency::GetPrices(qint32 id, qint32 &ask, qint32 &bid) const
{
    const TUserCurrency *instrument = FindRecord(id);
    ask = instrument ? instrument->Ask : 0;
    bid = instrument ? instrument->Bid : 0;
}

int TListCurrency::GetKind(qint32 id) const
{
    const TUserCurrency *instrument = FindRecord(id);
    return instrument ? instrument->Kind : 0;
}

// ---- TListDeal

TListDeal::TListDeal(TClientLists *lists) : TRecordList(lists), Account(std::make_unique<TUserAccount>(this)) {}

TListDeal::~TListDeal()
{
    Clear();
    Account.reset();
}

void TListDeal::AttachView(TRowView *view)
{
    TRecordList::AttachView(view);
    if (view && view->FooterRow())
        Account->FillItem(view->FooterRow());
}

void TListDeal::DetachView()
{
    TRecordList::DetachView();
    Account->Item = nullptr;
}

double TListDeal::SumProfit() const
{
    double sum = 0;
    for (int i = 0; i < Count(); ++i)
        sum += Item(i)->Profit;
    return sum;
}

double TListDeal::SumSwap() const
{
    double sum = 0;
    for (int i = 0; i < Count(); ++i)
        sum += Item(i)->SwapValue();
    return sum;
}

// ---- TListOrder

int TListOrder::NewGroupNumber() const
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int group = RandomGroup ? RandomGroup() : int(QRandomGenerator::global()->bounded(1, 255));
        bool used = false;
        for (int i = 0; i < Count() && !used; ++i)
            used = Item(i)->Group == group;
        if (!used && group >= 1 && group <= 254)
            return group;
    }
    return -1;
}

// ---- TListHistoryAccount

void TListHistoryAccount::AttachView(TRowView *view)
{
    TRecordList::AttachView(view);
    Footer = view ? view->FooterRow() : nullptr;
    RewriteFooter();
}

void TListHistoryAccount::DetachView()
{
    TRecordList::DetachView();
    Footer = nullptr;
}

double TListHistoryAccount::Total() const
{
    double total = 0;
    for (int i = 0; i < Count(); ++i)
        total += Item(i)->ProfitValue() + Item(i)->SwapValue();
    return total;
}

QString TListHistoryAccount::FooterText() const
{
    const double balance = ClientLists ? ClientLists->Account().Balance : 0.0;
    if (Days == 0)
        return QString::asprintf(MessageText(11).toUtf8().constData(), balance);
    const QDate today = Today ? Today() : QDate::currentDate();
    const QLocale locale = QLocale::system();
    const QString from = locale.toString(today.addDays(-Days), QLocale::ShortFormat);
    const QString to = locale.toString(today, QLocale::ShortFormat);
    return QString::asprintf(MessageText(44).toUtf8().constData(), Total(), from.toUtf8().constData(),
                             to.toUtf8().constData(), balance);
}

void TListHistoryAccount::RewriteFooter()
{
    if (!Footer)
        return;
    Footer->SetCaption(FooterText());
    Footer->SetImage(2);
}

// ---- TClientLists

TClientLists::TClientLists()
    : AccountHistory(this), OrderHistory(this), Instruments(this), Positions(this), Orders(this)
{
}
