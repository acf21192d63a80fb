#pragma once

#include "commands.h"
#include "dlgform.h"
#include "updown.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TUserOrder;

// The pending order dialog: places a limit or stop order (new-order mode),
// or changes the price and stops of an existing order and deletes it. The
// market prices are read once, when the instrument is chosen.
class TfrmOpenOrder : public TDlgForm {
    Q_OBJECT
public:
    // New-order mode; an instrument id of 0 or below selects nothing.
    TfrmOpenOrder(TTradeContext &context, qint32 instrumentId, QWidget *parent = nullptr);
    // Existing-order mode for a copy of the order's record.
    TfrmOpenOrder(TTradeContext &context, const TOrderFields &order, QWidget *parent = nullptr);

    bool ExistingMode() const { return existing; }

    void cbCurrencyChange();
    // upPrice, upSl, upTp.
    void StepperClick(QLineEdit *edit, TUpDown::TUDBtnType button);
    void btSaveClick();
    void btDeleteClick();
    void OnReply(TUserCmdRply *packet);
    void OnCommandCancel();

    QLabel *Label1;
    QComboBox *cbCurrency;
    QLabel *Label2;
    QLineEdit *edLot;
    TUpDown *upLot;
    QLabel *Label6;
    QComboBox *cbNameOrderType;
    QLabel *Label3;
    QLineEdit *EdAtPrice;
    TUpDown *upPrice;
    QLabel *Label4;
    QLineEdit *edSL;
    TUpDown *upSl;
    QLabel *Label5;
    QLineEdit *edTp;
    TUpDown *upTp;
    QPushButton *btSave;
    QPushButton *btDelete;
    QPushButton *Button3;

    qint32 InstrumentId = 0;
    qint32 Ask = 0;
    qint32 Bid = 0;
    TOrderFields Order;

private:
    void build();
    void fillInstruments();
    void place();
    void change();
    bool send(TCommandPtr command);

    bool existing = false;
};

// Runs the dialog modally in the new-order mode (−1: no instrument chosen),
// then clears the status text (RunClearingStatus).
void OpenNewOrder(TTradeContext &context, qint32 instrumentId);
// The same for an order.
void OpenExistingOrder(TTradeContext &context, const TOrderFields &order);
void OpenExistingOrder(TTradeContext &context, const TUserOrder &order);
