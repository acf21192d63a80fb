#include "reversedealform.h"

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

namespace {

constexpr int kCountdownStart = 7;

QLabel *newPanel(QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setFrameShape(QFrame::StyledPanel);
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumWidth(80);
    return l;
}

} // namespace

TfrmReverseDeal::TfrmReverseDeal(TTradeContext &context, const TPositionImage &position, QWidget *parent)
    : TDlgForm(context, parent), Position(position)
{
    SetTag(this, MakeTag(47));  // "Reverse operation"
    lbCloseDeal = new QLabel(this);
    Label3 = new QLabel(this);
    SetTag(Label3, MakeTag(43));
    lbClosePrice = newPanel(this);
    lbOpenDeal = new QLabel(this);
    Label4 = new QLabel(this);
    SetTag(Label4, MakeTag(72));
    lbOpenPrice = newPanel(this);
    Label2 = new QLabel(this);
    SetTag(Label2, MakeTag(57));
    edLot = new QLineEdit(this);
    edLot->setReadOnly(true);
    edLot->setMaxLength(6);
    edLot->setFixedWidth(48);
    SetTag(edLot, LockTag());
    upLot = new TUpDown(this);
    SetTag(upLot, LockTag());
    btSave = new QPushButton(this);
    SetTag(btSave, LockTag(96));
    btCancel = new QPushButton(this);
    SetTag(btCancel, LockTag(75));
    for (QPushButton *b : {btSave, btCancel})
        b->setAutoDefault(false);
    tm = new QTimer(this);
    tm->setInterval(context.CountdownIntervalMs);

    auto *grid = new QGridLayout;
    grid->addWidget(lbCloseDeal, 0, 0, 1, 3);
    grid->addWidget(Label3, 1, 0);
    grid->addWidget(lbClosePrice, 1, 1, 1, 2);
    grid->addWidget(lbOpenDeal, 2, 0, 1, 3);
    grid->addWidget(Label4, 3, 0);
    grid->addWidget(lbOpenPrice, 3, 1, 1, 2);
    grid->addWidget(Label2, 4, 0);
    grid->addWidget(edLot, 4, 1);
    grid->addWidget(upLot, 4, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btSave);
    buttons->addWidget(btCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(edLot, &QLineEdit::textChanged, this, [this] { edLotChange(); });
    connect(btSave, &QPushButton::clicked, this, [this] { btSaveClick(); });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(tm, &QTimer::timeout, this, [this] { tmTimer(); });
    FormCreate();

    // The new position has at least one lot. The control's own maximum of
    // 10 would leave a 10-lot position nothing to choose; up to 100 lots
    // (the dealer's limit) are offered instead.
    const int lots = position.Lots();
    upLot->SetRange(lots + 1, qMin(qMax(10, lots + 1), kMaxLots));
    upLot->SetPosition(lots + 1);
    upLot->SetAssociate(edLot);

    baseCaption = CaptionText(MakeTag(47)) + QStringLiteral(" #") + QString::number(position.Id());
    setWindowTitle(baseCaption);
    const TUserCurrency *instrument = context.Lists.Instruments.FindRecord(position.CurrencyId());
    const QString name = instrument ? instrument->Name.trimmed() : QString();
    context.Lists.Instruments.GetPrices(position.CurrencyId(), Ask, Bid);
    Kind = context.Lists.Instruments.GetKind(position.CurrencyId());
    lbCloseDeal->setText(
        FormatText(MessageText(43), {OperationText(position.Operation()), name, int(position.Lots())}));
    lbOpenDeal->setText(FormatText(MessageText(6), {OperationText(position.Operation() == 1 ? 2 : 1), name}));
    computePrices();
    SetLocked(false);

    countdown = kCountdownStart;
    subject = this;
    tm->start();
}

TfrmReverseDeal::~TfrmReverseDeal() { tm->stop(); }

TRequoteBox *TfrmReverseDeal::RequoteBox() const { return requoteBox.data(); }

void TfrmReverseDeal::computePrices()
{
    // Judged by the dealer at the one-lot price, whatever the lot count.
    qint32 ask = Ask, bid = Bid;
    DealingPrices(ask, bid, 1, TSpreadTable(context.Lists.SysVars.SpreadTable), Kind);
    ClosePrice = PriceForSide(CloseSide(Position.Operation()), ask, bid);
    lbClosePrice->setText(PriceText(ClosePrice));
    lbOpenPrice->setText(PriceText(ClosePrice));
}

void TfrmReverseDeal::edLotChange()
{
    computePrices();
    SetLocked(false);
}

void TfrmReverseDeal::tmTimer()
{
    if (!subject)
        return;
    if (countdown < 1) {
        if (requoteBox && subject == requoteBox.data())
            requoteBox->Cancel();
        else
            subject->reject();
        return;
    }
    if (subject == this)
        setWindowTitle(baseCaption + FormatText(MessageText(12), {countdown}));
    --countdown;
}

TNotifyEvent TfrmReverseDeal::cancelAction()
{
    QPointer<TfrmReverseDeal> self(this);
    return [self](TFxEvent *) {
        if (self)
            self->EventDisconnect();
    };
}

TPacketEvent TfrmReverseDeal::replyAction()
{
    QPointer<TfrmReverseDeal> self(this);
    return [self](TUserCmdRply *p) {
        if (self)
            self->OnReply(p);
    };
}

void TfrmReverseDeal::btSaveClick()
{
    if (!Connected()) {
        ShowNoConnect();
        return;
    }
    Guard([&] {
        // Without a quote, or for an instrument without a spread entry, there
        // is no dealing price to reverse at.
        if (Ask == 0 || Kind < 1 || Kind > 3)
            RaiseValueRequired(edLot);
        const int lots = ReadInteger(edLot, true, Position.Lots() + 1, kMaxLots);
        if (SendTrade(NewReversePositionCommand(uint32_t(Position.Id()), uint32_t(ClosePrice),
                                                lots - Position.Lots()),
                      cancelAction(), replyAction()))
            subject = nullptr;  // no longer closes by itself
    });
}

void TfrmReverseDeal::OnReply(TUserCmdRply *packet)
{
    const TTradeResult r = ReadTradeResult(*packet);
    if (r.Requote) {
        RequotePrice = r.Price;
        QMetaObject::invokeMethod(this, [this] { showRequote(); }, Qt::QueuedConnection);
        return;
    }
    Busy = false;
    done(r.Code == 0 ? QDialog::Accepted : QDialog::Rejected);
    if (r.Code != 0)
        context.Session.ShowStatus(r.Text, true);
}

void TfrmReverseDeal::showRequote()
{
    if (!Connected()) {
        // No answer can be sent: the dialog must not stay locked.
        Busy = false;
        SetLocked(false);
        return;
    }
    auto *box = new TRequoteBox(RequotePrice, this);
    box->setFont(font());
    requoteBox = box;
    subject = box;
    countdown = kCountdownStart;
    tm->start();
    connect(box, &QDialog::finished, this, [this] { requoteAnswered(); });
    box->open();
}

void TfrmReverseDeal::requoteAnswered()
{
    const TRequoteBox::TAnswer answer = requoteBox ? requoteBox->Answer() : TRequoteBox::NoAnswer;
    bool sent = false;
    // Still locked and Busy; the wait for the answer's reply is watched.
    if (answer != TRequoteBox::NoAnswer && Connected())
        sent = SendTrade(NewConfirmPriceCommand(answer == TRequoteBox::Yes), cancelAction(), replyAction());
    if (!sent) {
        if (answer != TRequoteBox::NoAnswer && !Connected())
            ShowNoConnect();
        Busy = false;
        SetLocked(false);
    }
    tm->stop();
    subject = nullptr;
    if (requoteBox)
        requoteBox->deleteLater();
    requoteBox = nullptr;
}

void TfrmReverseDeal::EventDisconnect()
{
    if (requoteBox)
        requoteBox->Cancel();
    Busy = false;
    reject();
}

void OpenReverse(TTradeContext &context, const TPositionImage &position)
{
    TfrmReverseDeal form(context, position);
    context.Run(form);
}

void OpenReverse(TTradeContext &context, const TUserDeal &position)
{
    OpenReverse(context, TPositionImage::FromDeal(position));
}
