#pragma once

#include <exception>

#include <QString>

class QLineEdit;
class QWidget;

// An input error of a trade dialog: the text shown to the user and the
// control that gets the focus. Raised before anything is sent.
class EInputError : public std::exception {
public:
    EInputError(QString message, QWidget *control = nullptr) : Message(std::move(message)), Control(control) {}
    const char *what() const noexcept override { return "input error"; }

    QString Message;
    QWidget *Control;
};

// "Value requered" (message 10) for the control.
[[noreturn]] void RaiseValueRequired(QWidget *control);

// An integer field: empty fails with message 10 when required (else 0), a
// text that is not a number with message 21, a number outside min..max with
// message 22 filled with the two bounds.
int ReadInteger(QLineEdit *edit, bool required, int min, int max);

// A price field in currency units ("1.2345"; a comma is taken as the decimal
// point too): empty fails with message 10 when required (else 0), a text that
// is not a finite number with message 21, a value outside min..max with
// message 38 filled with the two bounds in four decimals.
double ReadPrice(QLineEdit *edit, bool required, double min, double max);

// The same in price units (× 10000, rounded); 0 for an empty optional field.
qint32 ReadPriceUnits(QLineEdit *edit, bool required, double min, double max);

// The range of every price the dialogs accept, and of the stepper edits.
constexpr double kMinPrice = 0.0001;
constexpr double kMaxPrice = 100000;
constexpr int kMinLots = 1;
constexpr int kMaxLots = 100;
