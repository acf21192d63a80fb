#include "openorderform.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "clientlists.h"
#include "clientsession.h"
#include "fieldinput.h"
#include "languagetables.h"
#include "positionimage.h"
#include "textformat.h"
#include "tradecontext.h"
#include "tradetexts.h"
#include "translateform.h"
#include "units.h"

namespace {

QLineEdit *newEdit(QWidget *parent, int maxLength)
{
    auto *e = new QLineEdit(parent);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    e->setFixedWidth(72);
    SetTag(e, LockTag());
    return e;
}

// A price stepper: every click intercepted; its edit steps it from the
// keyboard and the wheel.
TUpDown *newStepper(QWidget *parent, QLineEdit *edit)
{
    auto *u = new TUpDown(parent);
    u->SetRange(-500, 500);
    u->SetIntercept(true);
    u->SetAssociate(edit);
    SetTag(u, LockTag());
    return u;
}

QPushButton *newButton(QWidget *parent, int tag)
{
    auto *b = new QPushButton(parent);
    SetTag(b, tag);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TfrmOpenOrder::TfrmOpenOrder(TTradeContext &context, qint32 instrumentId, QWidget *parent)
    : TDlgForm(context, parent)
{
    build();
    fillInstruments();
    cbCurrency->setCurrentIndex(instrumentId > 0 ? cbCurrency->findData(instrumentId) : -1);
    edLot->setText(QStringLiteral("1"));
    btSave->setText(MessageText(39));
    SetLocked(false);
    cbCurrencyChange();
}

TfrmOpenOrder::TfrmOpenOrder(TTradeContext &context, const TOrderFields &order, QWidget *parent)
    : TDlgForm(context, parent), Order(order), existing(true)
{
    build();
    fillInstruments();
    setWindowTitle(FormatText(MessageText(40), {qint32(order.Id), OrderTypeText(order.OrderType)}));
    upLot->SetRange(1, qMax(10, int(order.Lots)));
    upLot->SetPosition(order.Lots);
    KeepDisabled(edLot);
    KeepDisabled(upLot);
    cbNameOrderType->setCurrentIndex(cbNameOrderType->findData(int(order.OrderType)));
    KeepDisabled(cbNameOrderType);
    cbCurrency->setCurrentIndex(cbCurrency->findData(int(order.CurrencyId)));
    KeepDisabled(cbCurrency);
    EdAtPrice->setText(PriceText(qint32(order.Price)));
    edSL->setText(PriceText(qint32(order.StopLoss)));
    edTp->setText(PriceText(qint32(order.TakeProfit)));
    btSave->show();
    btDelete->show();
    SetLocked(false);
    cbCurrencyChange();
}

void TfrmOpenOrder::build()
{
    SetTag(this, MakeTag(61));  // "New order"
    Label1 = new QLabel(this);
    SetTag(Label1, MakeTag(94));
    cbCurrency = new QComboBox(this);
    SetTag(cbCurrency, LockTag());
    Label2 = new QLabel(this);
    SetTag(Label2, MakeTag(57));
    edLot = newEdit(this, 6);
    edLot->setReadOnly(true);
    upLot = new TUpDown(this);
    SetTag(upLot, LockTag());
    upLot->SetRange(1, 10);
    upLot->SetPosition(1);
    Label6 = new QLabel(this);
    SetTag(Label6, MakeTag(103));
    cbNameOrderType = new QComboBox(this);
    SetTag(cbNameOrderType, LockTag());
    Label3 = new QLabel(this);
    SetTag(Label3, MakeTag(110));
    EdAtPrice = newEdit(this, 0);
    upPrice = newStepper(this, EdAtPrice);
    Label4 = new QLabel(this);
    SetTag(Label4, MakeTag(23));
    edSL = newEdit(this, 6);
    upSl = newStepper(this, edSL);
    Label5 = new QLabel(this);
    SetTag(Label5, MakeTag(25));
    edTp = newEdit(this, 6);
    upTp = newStepper(this, edTp);
    btSave = newButton(this, LockTag(96));
    btDelete = newButton(this, LockTag(104));
    btDelete->hide();
    Button3 = newButton(this, LockTag(75));

    auto *grid = new QGridLayout;
    int row = 0;
    grid->addWidget(Label1, row, 0);
    grid->addWidget(cbCurrency, row++, 1, 1, 2);
    grid->addWidget(Label2, row, 0);
    grid->addWidget(edLot, row, 1);
    grid->addWidget(upLot, row++, 2);
    grid->addWidget(Label6, row, 0);
    grid->addWidget(cbNameOrderType, row++, 1, 1, 2);
    grid->addWidget(Label3, row, 0);
    grid->addWidget(EdAtPrice, row, 1);
    grid->addWidget(upPrice, row++, 2);
    grid->addWidget(Label4, row, 0);
    grid->addWidget(edSL, row, 1);
    grid->addWidget(upSl, row++, 2);
    grid->addWidget(Label5, row, 0);
    grid->addWidget(edTp, row, 1);
    grid->addWidget(upTp, row++, 2);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {btSave, btDelete, Button3})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(cbCurrency, &QComboBox::currentIndexChanged, this, [this] { cbCurrencyChange(); });
    connect(upPrice, &TUpDown::clicked, this, [this](TUpDown::TUDBtnType b) { StepperClick(EdAtPrice, b); });
    connect(upSl, &TUpDown::clicked, this, [this](TUpDown::TUDBtnType b) { StepperClick(edSL, b); });
    connect(upTp, &TUpDown::clicked, this, [this](TUpDown::TUDBtnType b) { StepperClick(edTp, b); });
    connect(btSave, &QPushButton::clicked, this, [this] { btSaveClick(); });
    connect(btDelete, &QPushButton::clicked, this, [this] { btDeleteClick(); });
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
    FormCreate();
    upLot->SetAssociate(edLot);
    // The pending types only: the market types belong to the position dialog.
    for (int type = 2; type <= 5; ++type)
        cbNameOrderType->addItem(OrderTypeText(type), type);
    cbNameOrderType->setCurrentIndex(-1);
}

void TfrmOpenOrder::fillInstruments()
{
    const QSignalBlocker blocker(cbCurrency);
    const TListCurrency &instruments = context.Lists.Instruments;
    for (const auto &[key, id] : instruments.NameIndex())
        if (const TUserCurrency *c = instruments.FindRecord(id))
            cbCurrency->addItem(c->Name, id);
    cbCurrency->setCurrentIndex(-1);
}

void TfrmOpenOrder::cbCurrencyChange()
{
    if (cbCurrency->currentIndex() < 0)
        return;
    InstrumentId = cbCurrency->currentData().toInt();
    context.Lists.Instruments.GetPrices(InstrumentId, Ask, Bid);
}

void TfrmOpenOrder::StepperClick(QLineEdit *edit, TUpDown::TUDBtnType button)
{
    if (Ask == 0 && !existing)
        return;
    Guard([&] {
        qint32 value = ReadPriceUnits(edit, false, 0, kMaxPrice);
        if (value == 0) {
            if (edit != EdAtPrice && existing)
                value = ReadPriceUnits(EdAtPrice, false, 0, kMaxPrice);
            else
                value = qint32((qint64(Ask) + Bid) / 2);
        }
        const qint32 point = Ask != 0 ? PointSize(Ask) : 1;
        value += button == TUpDown::btNext ? point : -point;
        edit->setText(PriceText(value));
    });
}

bool TfrmOpenOrder::send(TCommandPtr command)
{
    QPointer<TfrmOpenOrder> self(this);
    return SendTrade(
        std::move(command),
        [self](TFxEvent *) {
            if (self)
                self->OnCommandCancel();
        },
        [self](TUserCmdRply *p) {
            if (self)
                self->OnReply(p);
        });
}

void TfrmOpenOrder::btSaveClick()
{
    Guard([&] {
        if (existing)
            change();
        else
            place();
    });
}

void TfrmOpenOrder::place()
{
    if (cbCurrency->currentIndex() < 0 || InstrumentId < 1)
        RaiseValueRequired(cbCurrency);
    if (cbNameOrderType->currentIndex() < 0)
        RaiseValueRequired(cbNameOrderType);
    const qint32 price = ReadPriceUnits(EdAtPrice, true, kMinPrice, kMaxPrice);
    const int lots = ReadInteger(edLot, true, kMinLots, kMaxLots);
    const qint32 stopLoss = ReadPriceUnits(edSL, false, kMinPrice, kMaxPrice);
    const qint32 takeProfit = ReadPriceUnits(edTp, false, kMinPrice, kMaxPrice);
    TOrderFields order;
    order.CurrencyId = quint16(InstrumentId);
    order.OrderType = quint8(cbNameOrderType->currentData().toInt());
    order.Lots = quint8(lots);
    order.TakeProfit = uint32_t(takeProfit);
    order.StopLoss = uint32_t(stopLoss);
    order.Price = uint32_t(price);
    send(NewPlaceCommand(order));
}

void TfrmOpenOrder::change()
{
    const qint32 price = ReadPriceUnits(EdAtPrice, true, kMinPrice, kMaxPrice);
    const qint32 stopLoss = ReadPriceUnits(edSL, false, kMinPrice, kMaxPrice);
    const qint32 takeProfit = ReadPriceUnits(edTp, false, kMinPrice, kMaxPrice);
    Order.Price = uint32_t(price);
    Order.StopLoss = uint32_t(stopLoss);
    Order.TakeProfit = uint32_t(takeProfit);
    send(NewChangeOrderCommand(Order));
}

void TfrmOpenOrder::btDeleteClick()
{
    if (!context.Ask(this, QStringLiteral("Подтверждение"), MessageText(35)))
        return;
    send(NewCommandU32(cmdDeleteOrder, Order.Id));
}

void TfrmOpenOrder::OnReply(TUserCmdRply *packet)
{
    const TTradeResult r = ReadTradeResult(*packet);
    Busy = false;
    if (r.Code == 0) {
        accept();
        return;
    }
    SetLocked(false);
    context.Session.ShowStatus(r.Text, true);
}

void TfrmOpenOrder::OnCommandCancel()
{
    Busy = false;
    reject();
}

void OpenNewOrder(TTradeContext &context, qint32 instrumentId)
{
    TfrmOpenOrder form(context, instrumentId);
    RunClearingStatus(form);
}

void OpenExistingOrder(TTradeContext &context, const TOrderFields &order)
{
    TfrmOpenOrder form(context, order);
    RunClearingStatus(form);
}

void OpenExistingOrder(TTradeContext &context, const TUserOrder &order)
{
    OpenExistingOrder(context, OrderFieldsOf(order));
}
