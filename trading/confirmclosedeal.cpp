#include "confirmclosedeal.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "clientlists.h"
#include "languagetables.h"
#include "textformat.h"
#include "tradecontext.h"
#include "tradetexts.h"
#include "translateform.h"
#include "units.h"
#include "updown.h"

TfrmConfirmCloseDeal::TfrmConfirmCloseDeal(TTradeContext &context, qint32 dealAsk, qint32 dealBid,
                                           const TPositionImage &position, QWidget *parent)
    : TDlgForm(context, parent), quotes(context.Session)
{
    SetTag(this, MakeTag(16));  // "Confirm"
    lbTitle1 = new QLabel(this);
    lbTitle2 = new QLabel(this);
    Label1 = new QLabel(this);
    SetTag(Label1, MakeTag(32));
    edLot = new QLineEdit(this);
    edLot->setReadOnly(true);
    edLot->setMaxLength(6);
    edLot->setFixedWidth(48);
    upLot = new TUpDown(this);
    Label3 = new QLabel(this);
    SetTag(Label3, MakeTag(110));
    lbPrice = new QLabel(this);
    lbPrice->setFrameShape(QFrame::StyledPanel);
    lbPrice->setAlignment(Qt::AlignCenter);
    QFont bold = lbPrice->font();
    bold.setBold(true);
    lbPrice->setFont(bold);
    lbPrice->setMinimumWidth(80);
    btOk = new QPushButton(this);
    SetTag(btOk, MakeTag(19));
    btCancel = new QPushButton(this);
    SetTag(btCancel, MakeTag(15));
    for (QPushButton *b : {btOk, btCancel})
        b->setAutoDefault(false);

    auto *row = new QHBoxLayout;
    row->addWidget(Label1);
    row->addWidget(edLot);
    row->addWidget(upLot);
    row->addWidget(Label3);
    row->addWidget(lbPrice);
    row->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOk);
    buttons->addWidget(btCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lbTitle1);
    layout->addWidget(lbTitle2);
    layout->addLayout(row);
    layout->addLayout(buttons);

    connect(btOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    FormCreate();

    const int lots = position.Lots();
    const QString name = context.Lists.Instruments.FindRecord(position.CurrencyId())
        ? context.Lists.Instruments.FindRecord(position.CurrencyId())->Name
        : QString();
    lbTitle1->setText(FormatText(MessageText(28), {position.Id(), OperationText(position.Operation()), name}));
    lbTitle2->setText(FormatText(MessageText(16), {MinuteTimeText(qint32(position.OpenTime()), false),
                                                   PriceText(position.OpenPrice())}));
    upLot->SetAssociate(edLot);
    upLot->SetRange(1, qMax(1, lots));
    upLot->SetPosition(lots);
    upLot->setEnabled(lots > 1);
    closePrice = PriceForSide(CloseSide(position.Operation()), dealAsk, dealBid);
    lbPrice->setText(PriceText(closePrice));

    QPointer<TfrmConfirmCloseDeal> self(this);
    quotes.Add(nullptr, [self] {
        if (self)
            self->reject();
    });
}

int TfrmConfirmCloseDeal::Lots() const { return edLot->text().toInt(); }

void TfrmConfirmCloseDeal::done(int result)
{
    quotes.Remove();
    TDlgForm::done(result);
}
