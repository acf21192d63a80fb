#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// An up-down control: two arrow buttons beside an edit. It keeps a position
// within Min..Max and writes it into its associated edit. With Intercept set
// a click only reports itself and the position stays where it is (the stop
// and price steppers compute their own values).
class TUpDown : public QWidget {
    Q_OBJECT
public:
    enum TUDBtnType { btNext, btPrev };  // up, down

    explicit TUpDown(QWidget *parent = nullptr);

    void SetAssociate(QLineEdit *edit);
    QLineEdit *Associate() const { return associate; }
    // Sets the range; the position is kept inside it (Min wins when Min > Max).
    void SetRange(int min, int max);
    int Min() const { return minimum; }
    int Max() const { return maximum; }
    void SetPosition(int position);
    int Position() const { return position; }
    void SetIntercept(bool on) { intercept = on; }
    bool Intercept() const { return intercept; }

    // A click as the arrows make it.
    void Click(TUDBtnType button);

    QToolButton *UpButton() const { return up; }
    QToolButton *DownButton() const { return down; }

signals:
    void clicked(TUpDown::TUDBtnType button);

private:
    void writeAssociate();

    QToolButton *up;
    QToolButton *down;
    QLineEdit *associate = nullptr;
    int minimum = 0;
    int maximum = 100;
    int position = 0;
    bool intercept = false;
};
