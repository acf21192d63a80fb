#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

// The dealer's offer of a new price: message 19, 21 blanks and a carriage
// return, another carriage return, message 4 with the new price and a
// carriage return, 37 "-" and a carriage return, then message 1.
QString RequoteText(qint32 price);

// The Yes/No box that offers a requoted price. Neither button is the
// default, so Enter answers nothing; Escape answers No. Closing it any other
// way (the countdown, the close box) leaves it unanswered.
class TRequoteBox : public QDialog {
    Q_OBJECT
public:
    enum TAnswer { NoAnswer, Yes, No };

    TRequoteBox(qint32 price, QWidget *parent);

    // Closes it unanswered.
    void Cancel();
    TAnswer Answer() const { return answer; }
    QString Text() const { return text; }

    QLabel *lbText;
    QPushButton *btYes;
    QPushButton *btNo;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString text;
    TAnswer answer = NoAnswer;
};
