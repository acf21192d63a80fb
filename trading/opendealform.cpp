#include "opendealform.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "clientlists.h"
#include "clientsession.h"
#include "fieldinput.h"
#include "languagetables.h"
#include "requotebox.h"
#include "textformat.h"
#include "tradecontext.h"
#include "tradetexts.h"
#include "translateform.h"
#include "units.h"
#include "confirmclosedeal.h"

namespace {

constexpr int kCountdownStart = 7;

QLineEdit *newEdit(QWidget *parent, int maxLength)
{
    auto *e = new QLineEdit(parent);
    e->setMaxLength(maxLength);
    e->setFixedWidth(72);
    return e;
}

QPushButton *newButton(QWidget *parent, int tag)
{
    auto *b = new QPushButton(parent);
    SetTag(b, tag);
    // No default button: Enter in an edit never sends a trade.
    b->setAutoDefault(false);
    return b;
}

} // namespace

TfrmOpenDeal::TfrmOpenDeal(TTradeContext &context, qint32 instrumentId, QWidget *parent)
    : TDlgForm(context, parent), quotes(context.Session)
{
    build();
    edLot->setText(QStringLiteral("1"));
    setUp(instrumentId);
}

TfrmOpenDeal::TfrmOpenDeal(TTradeContext &context, const TPositionImage &position, QWidget *parent)
    : TDlgForm(context, parent), Position(position), existing(true), quotes(context.Session)
{
    build();
    setWindowTitle(FormatText(MessageText(46), {position.Id(), OperationText(position.Operation())}));
    // The position's own lot count, also above the ten a new position may take.
    upLot->SetRange(1, qMax(10, int(position.Lots())));
    upLot->SetPosition(position.Lots());
    KeepDisabled(edLot);
    KeepDisabled(upLot);
    KeepDisabled(cbCurrency);
    Label3->setText(MessageText(24));
    edTp->setText(PriceText(position.TakeProfit()));
    edSL->setText(PriceText(position.StopLoss()));
    btSave->show();
    btClose->show();
    btBuy->hide();
    btSell->hide();
    setUp(position.CurrencyId());
}

TfrmOpenDeal::~TfrmOpenDeal()
{
    tm->stop();
    quotes.Remove();
}

void TfrmOpenDeal::build()
{
    SetTag(this, MakeTag(76));  // "Open position"
    Label1 = new QLabel(this);
    SetTag(Label1, MakeTag(94));
    cbCurrency = new QComboBox(this);
    SetTag(cbCurrency, LockTag());
    Label2 = new QLabel(this);
    SetTag(Label2, MakeTag(57));
    edLot = newEdit(this, 6);
    edLot->setReadOnly(true);
    SetTag(edLot, LockTag());
    upLot = new TUpDown(this);
    SetTag(upLot, LockTag());
    upLot->SetRange(1, 10);
    upLot->SetPosition(1);
    Label4 = new QLabel(this);
    SetTag(Label4, MakeTag(23));
    edSL = newEdit(this, 6);
    SetTag(edSL, LockTag());
    upSl = new TUpDown(this);
    SetTag(upSl, LockTag());
    Label5 = new QLabel(this);
    SetTag(Label5, MakeTag(25));
    edTp = newEdit(this, 6);
    SetTag(edTp, LockTag());
    upTp = new TUpDown(this);
    SetTag(upTp, LockTag());
    for (TUpDown *u : {upSl, upTp}) {
        u->SetRange(-500, 500);
        u->SetIntercept(true);
    }
    // Their edits step them from the keyboard and the wheel.
    upSl->SetAssociate(edSL);
    upTp->SetAssociate(edTp);
    Label3 = new QLabel(this);
    SetTag(Label3, MakeTag(55));
    edCurrency = new QLabel(this);
    edCurrency->setFrameShape(QFrame::StyledPanel);
    edCurrency->setAlignment(Qt::AlignCenter);
    edCurrency->setMinimumWidth(140);
    QFont bold = edCurrency->font();
    bold.setBold(true);
    edCurrency->setFont(bold);
    btSell = newButton(this, LockTag(22));
    btBuy = newButton(this, LockTag(14));
    Button3 = newButton(this, LockTag(75));
    btSave = newButton(this, LockTag(96));
    btClose = newButton(this, LockTag(42));
    btSave->hide();
    btClose->hide();
    tm = new QTimer(this);
    tm->setInterval(context.CountdownIntervalMs);

    auto *grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(cbCurrency, 0, 1, 1, 2);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(edLot, 1, 1);
    grid->addWidget(upLot, 1, 2);
    grid->addWidget(Label4, 2, 0);
    grid->addWidget(edSL, 2, 1);
    grid->addWidget(upSl, 2, 2);
    grid->addWidget(Label5, 3, 0);
    grid->addWidget(edTp, 3, 1);
    grid->addWidget(upTp, 3, 2);
    grid->addWidget(Label3, 4, 0);
    grid->addWidget(edCurrency, 4, 1, 1, 2);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {btSell, btBuy, btSave, btClose, Button3})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(cbCurrency, &QComboBox::currentIndexChanged, this, [this] { cbCurrencyChange(); });
    connect(edLot, &QLineEdit::textChanged, this, [this] { edLotChange(); });
    connect(upSl, &TUpDown::clicked, this, [this](TUpDown::TUDBtnType b) { StopClick(edSL, b); });
    connect(upTp, &TUpDown::clicked, this, [this](TUpDown::TUDBtnType b) { StopClick(edTp, b); });
    connect(btBuy, &QPushButton::clicked, this, [this] { Open(1); });
    connect(btSell, &QPushButton::clicked, this, [this] { Open(6); });
    connect(btSave, &QPushButton::clicked, this, [this] { btSaveClick(); });
    connect(btClose, &QPushButton::clicked, this, [this] { btCloseClick(); });
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
    connect(tm, &QTimer::timeout, this, [this] { tmTimer(); });
    // A new connection drops every registration: follow the quotes again.
    connect(&context.Session, &ClientSession::sessionStarted, this, [this] {
        if (!quotes.Active())
            subscribe();
    });
    FormCreate();
    upLot->SetAssociate(edLot);
}

void TfrmOpenDeal::setUp(qint32 instrumentId)
{
    const TListCurrency &instruments = context.Lists.Instruments;
    {
        const QSignalBlocker blocker(cbCurrency);
        for (const auto &[key, id] : instruments.NameIndex())
            if (const TUserCurrency *c = instruments.FindRecord(id))
                cbCurrency->addItem(c->Name, id);
        cbCurrency->setCurrentIndex(instrumentId > 0 ? cbCurrency->findData(instrumentId) : -1);
    }
    Lots = edLot->text().toInt();
    cbCurrencyChange();
    SetLocked(false);
    subscribe();
}

void TfrmOpenDeal::subscribe()
{
    quotes.Add([this](TUserCmdRply *p) { OnQuote(p); });
}

void TfrmOpenDeal::cbCurrencyChange()
{
    if (cbCurrency->currentIndex() < 0) {
        InstrumentId = 0;
        Kind = 0;
    } else {
        InstrumentId = cbCurrency->currentData().toInt();
        Kind = context.Lists.Instruments.GetKind(InstrumentId);
        context.Lists.Instruments.GetPrices(InstrumentId, Ask, Bid);
    }
    drawPrices();
}

void TfrmOpenDeal::edLotChange()
{
    Lots = edLot->text().toInt();
    drawPrices();
}

void TfrmOpenDeal::dealingPrices(int lots, qint32 &ask, qint32 &bid) const
{
    ask = Ask;
    bid = Bid;
    DealingPrices(ask, bid, lots, TSpreadTable(context.Lists.SysVars.SpreadTable), Kind);
}

void TfrmOpenDeal::drawPrices()
{
    edCurrency->clear();
    if (InstrumentId > 0 && Ask != 0) {
        qint32 ask, bid;
        dealingPrices(Lots, ask, bid);
        edCurrency->setText(PriceText(bid) + QStringLiteral(" / ") + PriceText(ask));
    }
}

void TfrmOpenDeal::OnQuote(TUserCmdRply *packet)
{
    const TPacketBuffer &b = packet->Buffer;
    if (b.size() < size_t(hdr::Data) + 14)
        return;
    const uint8_t *q = &b[hdr::Data];
    if (GetU16(q) != InstrumentId || InstrumentId <= 0 || Busy || confirmBox)
        return;
    Ask = qint32(GetU32(q + 2));
    Bid = qint32(GetU32(q + 6));
    drawPrices();
}

void TfrmOpenDeal::StopClick(QLineEdit *edit, TUpDown::TUDBtnType button)
{
    if (Ask == 0)
        return;
    Guard([&] {
        qint32 value = ReadPriceUnits(edit, false, 0, kMaxPrice);
        if (value == 0)
            value = qint32((qint64(Ask) + Bid) / 2);
        const qint32 point = PointSize(Ask);
        value += button == TUpDown::btNext ? point : -point;
        edit->setText(PriceText(value));
    });
}

bool TfrmOpenDeal::send(TCommandPtr command)
{
    QPointer<TfrmOpenDeal> self(this);
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

void TfrmOpenDeal::Open(int orderType)
{
    Guard([&] {
        if (cbCurrency->currentIndex() < 0 || InstrumentId < 1 || Ask == 0)
            RaiseValueRequired(cbCurrency);
        const int lots = ReadInteger(edLot, true, kMinLots, kMaxLots);
        const qint32 stopLoss = ReadPriceUnits(edSL, false, kMinPrice, kMaxPrice);
        const qint32 takeProfit = ReadPriceUnits(edTp, false, kMinPrice, kMaxPrice);
        qint32 ask, bid;
        dealingPrices(lots, ask, bid);
        TOrderFields order;
        order.CurrencyId = quint16(InstrumentId);
        order.Side = orderType == 1 ? 1 : 2;
        order.OrderType = quint8(orderType);
        order.Lots = quint8(lots);
        order.TakeProfit = uint32_t(takeProfit);
        order.StopLoss = uint32_t(stopLoss);
        order.Price = uint32_t(orderType == 1 ? ask : bid);
        send(NewPlaceCommand(order));
    });
}

void TfrmOpenDeal::btSaveClick()
{
    Guard([&] {
        const qint32 stopLoss = ReadPriceUnits(edSL, false, kMinPrice, kMaxPrice);
        const qint32 takeProfit = ReadPriceUnits(edTp, false, kMinPrice, kMaxPrice);
        Position.SetStops(takeProfit, stopLoss);
        send(NewChangePositionCommand(Position.Array(), uint32_t(takeProfit), uint32_t(stopLoss)));
    });
}

void TfrmOpenDeal::btCloseClick()
{
    if (!Connected()) {
        ShowNoConnect();
        return;
    }
    Guard([&] {
        // Without a quote, or for an instrument without a spread entry, there
        // is no dealing price to close at.
        if (Ask == 0 || Kind < 1 || Kind > 3)
            RaiseValueRequired(cbCurrency);
        qint32 ask, bid;
        dealingPrices(1, ask, bid);
        auto *box = new TfrmConfirmCloseDeal(context, ask, bid, Position, this);
        pendingClosePrice = box->ClosePrice();
        connect(box, &QDialog::finished, this, [this](int result) { closeConfirmed(result); });
        startCountdown(box);
    });
}

void TfrmOpenDeal::startCountdown(QDialog *box)
{
    confirmBox = box;
    tm->setInterval(context.CountdownIntervalMs);
    tm->start();
    countdown = kCountdownStart;
    writeCountdownCaption();
    box->open();
}

void TfrmOpenDeal::writeCountdownCaption()
{
    if (confirmBox)
        confirmBox->setWindowTitle(FormatText(MessageText(23), {countdown}));
}

void TfrmOpenDeal::tmTimer()
{
    if (!confirmBox)
        return;
    if (countdown < 1) {
        if (auto *requote = qobject_cast<TRequoteBox *>(confirmBox.data()))
            requote->Cancel();
        else
            confirmBox->reject();
        return;
    }
    writeCountdownCaption();
    --countdown;
}

void TfrmOpenDeal::endCountdown()
{
    tm->stop();
    if (confirmBox)
        confirmBox->deleteLater();
    confirmBox = nullptr;
}

void TfrmOpenDeal::closeConfirmed(int result)
{
    auto *box = qobject_cast<TfrmConfirmCloseDeal *>(confirmBox.data());
    const int lots = box ? box->Lots() : 0;
    endCountdown();
    if (result != QDialog::Accepted || lots < 1)
        return;
    send(NewClosePositionCommand(uint32_t(Position.Id()), quint8(lots), uint32_t(pendingClosePrice)));
}

void TfrmOpenDeal::OnReply(TUserCmdRply *packet)
{
    const TTradeResult r = ReadTradeResult(*packet);
    if (r.Requote) {
        RequotePrice = r.Price;
        // The box is shown after the current event, never inside the dispatch.
        QMetaObject::invokeMethod(this, [this] { showRequote(); }, Qt::QueuedConnection);
        return;
    }
    Busy = false;
    if (r.Code == 0) {
        accept();
        return;
    }
    SetLocked(false);
    context.Session.ShowStatus(r.Text, true);
}

void TfrmOpenDeal::showRequote()
{
    if (!Connected()) {
        // No answer can be sent: the dialog must not stay locked.
        Busy = false;
        SetLocked(false);
        return;
    }
    auto *box = new TRequoteBox(RequotePrice, this);
    box->setFont(font());
    connect(box, &QDialog::finished, this, [this] { requoteAnswered(); });
    startCountdown(box);
}

void TfrmOpenDeal::requoteAnswered()
{
    auto *box = qobject_cast<TRequoteBox *>(confirmBox.data());
    const TRequoteBox::TAnswer answer = box ? box->Answer() : TRequoteBox::NoAnswer;
    endCountdown();
    bool sent = false;
    // Still locked and Busy: the answer's reply ends the command, and the
    // wait for it is watched like the command's own.
    if (answer != TRequoteBox::NoAnswer && Connected())
        sent = send(NewConfirmPriceCommand(answer == TRequoteBox::Yes));
    if (!sent) {
        if (answer != TRequoteBox::NoAnswer && !Connected())
            ShowNoConnect();
        Busy = false;
        SetLocked(false);
    }
}

void TfrmOpenDeal::OnCommandCancel()
{
    if (confirmBox) {
        if (auto *requote = qobject_cast<TRequoteBox *>(confirmBox.data()))
            requote->Cancel();
        else
            confirmBox->reject();
    }
    Busy = false;
    reject();
}

void OpenNewDeal(TTradeContext &context, qint32 instrumentId)
{
    TfrmOpenDeal form(context, instrumentId);
    RunClearingStatus(form);
}

void OpenExistingDeal(TTradeContext &context, const TPositionImage &position)
{
    TfrmOpenDeal form(context, position);
    RunClearingStatus(form);
}

void OpenExistingDeal(TTradeContext &context, const TUserDeal &position)
{
    OpenExistingDeal(context, TPositionImage::FromDeal(position));
}
