#pragma once

#include <QPointer>

#include "dlgform.h"
#include "positionimage.h"
#include "quotesubscription.h"
#include "updown.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// The market position dialog: opens a buy or a sell at the dealer's price
// (new-position mode), or changes the stops of an open position and closes
// it in whole or in part (existing-position mode). It follows its
// instrument's quotes, sends one command at a time and answers the dealer's
// requotes; the close confirmation and the requote box close themselves
// after a seven-second countdown.
class TfrmOpenDeal : public TDlgForm {
    Q_OBJECT
public:
    // New-position mode; an instrument id of 0 or below selects nothing.
    TfrmOpenDeal(TTradeContext &context, qint32 instrumentId, QWidget *parent = nullptr);
    // Existing-position mode for a copy of the position's record.
    TfrmOpenDeal(TTradeContext &context, const TPositionImage &position, QWidget *parent = nullptr);
    ~TfrmOpenDeal() override;

    bool ExistingMode() const { return existing; }
    // The confirmation (close confirmation or requote box) now open, if any.
    QDialog *ConfirmBox() const { return confirmBox.data(); }
    int Countdown() const { return countdown; }

    // The controls' handlers.
    void cbCurrencyChange();
    void edLotChange();
    void StopClick(QLineEdit *edit, TUpDown::TUDBtnType button);
    void Open(int orderType);  // 1 market buy, 6 market sell
    void btSaveClick();
    void btCloseClick();
    void tmTimer();
    // The quote push and the replies of the commands.
    void OnQuote(TUserCmdRply *packet);
    void OnReply(TUserCmdRply *packet);
    // The connection ended while a command was outstanding.
    void OnCommandCancel();

    QLabel *Label1;
    QComboBox *cbCurrency;
    QLabel *Label2;
    QLineEdit *edLot;
    TUpDown *upLot;
    QLabel *Label4;
    QLineEdit *edSL;
    TUpDown *upSl;
    QLabel *Label5;
    QLineEdit *edTp;
    TUpDown *upTp;
    QLabel *Label3;
    QLabel *edCurrency;
    QPushButton *btSell;
    QPushButton *btBuy;
    QPushButton *Button3;
    QPushButton *btSave;
    QPushButton *btClose;
    QTimer *tm;

    qint32 InstrumentId = 0;
    int Lots = 0;
    int Kind = 0;
    qint32 Ask = 0;
    qint32 Bid = 0;
    TPositionImage Position;
    qint32 RequotePrice = 0;

private:
    void build();
    void setUp(qint32 instrumentId);
    void subscribe();
    void drawPrices();
    // Ask and Bid as the dealer trades them for that many lots.
    void dealingPrices(int lots, qint32 &ask, qint32 &bid) const;
    bool send(TCommandPtr command);
    void showRequote();
    void startCountdown(QDialog *box);
    void writeCountdownCaption();
    void closeConfirmed(int result);
    void requoteAnswered();
    void endCountdown();

    bool existing = false;
    QPointer<QDialog> confirmBox;
    int countdown = 0;
    qint32 pendingClosePrice = 0;
    TQuoteSubscription quotes;
};

// Runs the dialog modally in the new-position mode, then clears the status
// text (RunClearingStatus).
void OpenNewDeal(TTradeContext &context, qint32 instrumentId);
// The same for a copy of the position's record.
void OpenExistingDeal(TTradeContext &context, const TPositionImage &position);
void OpenExistingDeal(TTradeContext &context, const TUserDeal &position);
