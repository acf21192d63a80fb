#pragma once

#include <cstdint>
#include <vector>

#include <QString>
#include <QWidget>

#include "paramdescriptor.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;
class TOtherIndicator;

// An input the properties dialog refuses: the message shown and the control
// that gets the focus.
struct TPropInputError {
    QString Message;
    QWidget *Control = nullptr;
};

// Message 22 or 38 with the limits. The tables' texts carry no placeholders
// for them, so the limits are appended when the text takes none.
QString RangeMessage(const QString &text, const QString &minimum, const QString &maximum);

// A number typed by the user, read in the C locale ("," taken for "."):
// empty raises message 10, not a finite number message 21, outside
// minimum..maximum message 38 with the limits.
double ReadRealInput(QLineEdit *edit, double minimum, double maximum, const QString &minText,
                     const QString &maxText);

// The up-down beside an integer parameter's edit. It steps the edit's number
// by one within its limits (Up and Down in the edit too); the edit itself
// takes any text, so a typed value outside the limits reaches the check
// when the dialog applies.
class TParamUpDown : public QWidget {
    Q_OBJECT
public:
    TParamUpDown(QLineEdit *associate, QWidget *parent);

    void SetRange(int minimum, int maximum);
    void SetPosition(int position);   // clamped to the range
    int Min() const { return minimum; }
    int Max() const { return maximum; }
    int Position() const { return position; }
    // One click: +1 up, -1 down, from the number in the edit when it holds one.
    void Step(int delta);

    QToolButton *UpButton;
    QToolButton *DownButton;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *edit;
    int minimum = 0;
    int maximum = 0;
    int position = 0;
};

// A parameter value as read back from its row.
struct TParamValue {
    int32_t Int = 0;
    double Real = 0;
};

// The editor rows of an indicator's parameters, one per descriptor, built
// on the "Parameters" page: the label at x 20 and at x 100 a real-number
// edit, a method list, or an integer edit with its up-down. The rows keep
// no pointer into the indicator: values are stored through descriptors
// fetched again when they are written.
class TParamRows {
public:
    struct Row {
        int Index = 0;               // descriptor index, 1..count
        TParamKind Kind = TParamKind::Integer;
        int32_t Minimum = 0;
        int32_t Maximum = 0;
        QLabel *Label = nullptr;
        QLineEdit *Edit = nullptr;          // real and integer kinds
        QComboBox *Methods = nullptr;       // method kind
        TParamUpDown *UpDown = nullptr;     // integer kinds
    };

    // Replaces the rows with those of `ind` on `page`.
    void Build(QWidget *page, TOtherIndicator &ind);
    void Clear();
    const std::vector<Row> &Rows() const { return rows; }
    // The controls created (labels and inputs), not owned.
    std::vector<QWidget *> Controls() const;

    // Every row's value, checked in row order; the first bad one raises
    // TPropInputError (messages 10, 21, 22, 38).
    std::vector<TParamValue> Read() const;
    // Writes the values read into the indicator's parameter fields.
    void Store(TOtherIndicator &ind, const std::vector<TParamValue> &values) const;

private:
    std::vector<Row> rows;
};
