#pragma once

#include <functional>
#include <optional>

#include <QDialog>

#include "updown.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// What the registration dialog hands over: name and e-mail as typed, the
// index of the account type and the deposit in currency units.
struct TRegistration {
    QString Name;
    QString Email;
    quint32 Group = 0;
    quint32 Deposit = 0;
};

// The registration dialog: name, e-mail, account type and the initial
// deposit, which its up-down steps by 1000 between 1000 and 10000.
class TfrmReg : public QDialog {
    Q_OBJECT
public:
    static constexpr int MinDeposit = 1000;
    static constexpr int MaxDeposit = 10000;
    static constexpr int DepositStep = 1000;
    static constexpr int MinNameLength = 4;
    static constexpr int MinEmailLength = 7;

    explicit TfrmReg(QWidget *parent = nullptr);

    int Deposit() const { return deposit; }
    TRegistration Registration() const;
    // Ok closes only with a name of 4 and an e-mail of 7 characters or more
    // (blanks around them not counted); otherwise the edit gets the focus,
    // "Value requered" is shown and the dialog stays.
    void done(int result) override;
    // How a refused value is shown (a message box unless replaced).
    std::function<void(const QString &text)> ShowError;

    QLabel *Label1, *Label2, *Label3;
    QLineEdit *edName, *edEmail, *Edit1;
    QComboBox *ComboBox1;
    TUpDown *UpDown1;
    QPushButton *Button1, *Button2;

private:
    void stepDeposit(TUpDown::TUDBtnType button);

    int deposit = MinDeposit;
};

// Shows the dialog modally; the values when it closes with Ok.
std::optional<TRegistration> RegistrationDialog(const std::function<void(const QString &)> &showError,
                                                QWidget *parent = nullptr);
