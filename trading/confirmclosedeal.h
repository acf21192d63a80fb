#pragma once

#include "dlgform.h"
#include "positionimage.h"
#include "quotesubscription.h"

class QLabel;
class QLineEdit;
class QPushButton;
class TUpDown;

// The close confirmation of a position: what is closed, how many lots, at
// which price. Its countdown belongs to the dialog that opened it. It listens
// to the quote pushes only to learn that the connection ended: then it closes
// itself, cancelled.
class TfrmConfirmCloseDeal : public TDlgForm {
    Q_OBJECT
public:
    // dealAsk and dealBid are the dealing prices of the moment; the close
    // price shown is the bid for a buy, the ask for a sell.
    TfrmConfirmCloseDeal(TTradeContext &context, qint32 dealAsk, qint32 dealBid, const TPositionImage &position,
                         QWidget *parent = nullptr);

    // The lots chosen to close.
    int Lots() const;
    qint32 ClosePrice() const { return closePrice; }
    // Closed: no longer listens to the dispatcher.
    void done(int result) override;

    QLabel *lbTitle1;
    QLabel *lbTitle2;
    QLabel *Label1;
    QLineEdit *edLot;
    TUpDown *upLot;
    QLabel *Label3;
    QLabel *lbPrice;
    QPushButton *btOk;
    QPushButton *btCancel;

private:
    qint32 closePrice = 0;
    TQuoteSubscription quotes;
};
