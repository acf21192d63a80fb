#pragma once

#include <QPointer>

#include "dlgform.h"
#include "positionimage.h"
#include "updown.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TRequoteBox;

// The reversal of a position: closes it and opens the other direction at
// one dealing price, for a chosen total lot count. The dialog is itself a
// time-limited offer and closes after a seven-second countdown unless it is
// confirmed; a requote box then takes over the countdown.
class TfrmReverseDeal : public TDlgForm {
    Q_OBJECT
public:
    TfrmReverseDeal(TTradeContext &context, const TPositionImage &position, QWidget *parent = nullptr);
    ~TfrmReverseDeal() override;

    // What the countdown is closing now: this dialog, the requote box, or none.
    QDialog *CountdownSubject() const { return subject.data(); }
    int Countdown() const { return countdown; }
    QString BaseCaption() const { return baseCaption; }
    TRequoteBox *RequoteBox() const;

    void edLotChange();
    void btSaveClick();
    void tmTimer();
    void OnReply(TUserCmdRply *packet);
    // The connection ended while a command was outstanding.
    void EventDisconnect();

    QLabel *lbCloseDeal;
    QLabel *Label3;
    QLabel *lbClosePrice;
    QLabel *lbOpenDeal;
    QLabel *Label4;
    QLabel *lbOpenPrice;
    QLabel *Label2;
    QLineEdit *edLot;
    TUpDown *upLot;
    QPushButton *btSave;
    QPushButton *btCancel;
    QTimer *tm;

    TPositionImage Position;
    qint32 Ask = 0;
    qint32 Bid = 0;
    int Kind = 0;
    qint32 ClosePrice = 0;
    qint32 RequotePrice = 0;

private:
    void computePrices();
    void showRequote();
    void requoteAnswered();
    TNotifyEvent cancelAction();
    TPacketEvent replyAction();

    QString baseCaption;
    QPointer<QDialog> subject;
    QPointer<TRequoteBox> requoteBox;
    int countdown = 0;
};

// Runs the reversal dialog modally for a copy of the position's record.
void OpenReverse(TTradeContext &context, const TPositionImage &position);
void OpenReverse(TTradeContext &context, const TUserDeal &position);
