#pragma once

#include <QDialog>

class QPushButton;
class QRadioButton;

// Where a new indicator goes: scale on the left or right of the clicked
// area, or a new area below the others (checked at first). Not translated.
class TfrmChoise : public QDialog {
    Q_OBJECT
public:
    explicit TfrmChoise(QWidget *parent = nullptr);

    QRadioButton *RadioButton1;  // Tag 1
    QRadioButton *RadioButton2;  // Tag 2
    QRadioButton *RadioButton3;  // Tag 3
    QPushButton *Button1;        // "Ok"
    QPushButton *Button2;        // "Cancel"

    // The Tag of the first checked radio button in control order, else 0.
    int CheckedTag() const;
    // After the dialog closed: CheckedTag() when confirmed, else 0.
    int Result() const;

    // Shows the dialog modally, centred on `parent`'s window; its result.
    static int Choose(QWidget *parent);
};
