#pragma once

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QToolButton;

// An up-down control: two arrow buttons beside an edit. It keeps a position
// within Min..Max and writes it into its associated edit. With Intercept set
// a click only reports itself, the position stays where it is and nothing is
// written into the edit (the stop and price steppers compute their own
// values).
//
// The associated edit steps it from the keyboard and the mouse wheel, through
// the same click as the arrows: Up and Down one click, Page Up and Page Down
// up to PageSteps clicks (stopping at the first that changes nothing, such as
// the end of the range or a refused value), each wheel notch one click. The
// arrows themselves never take the focus; the edit does.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    enum TUDBtnType { btNext, btPrev };  // up, down
    static constexpr int PageSteps = 10;

    explicit TUpDown(QWidget *parent = nullptr);

    void SetAssociate(QLineEdit *edit);
    QLineEdit *Associate() const;
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
    // Up to that many clicks, stopping at the first that leaves the
    // associated edit as it was.
    void Step(TUDBtnType button, int clicks);

    QToolButton *UpButton() const { return up; }
    QToolButton *DownButton() const { return down; }

signals:
    void clicked(TUpDown::TUDBtnType button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void writeAssociate();
    // The keys of the associated edit that step it; false for any other key.
    bool stepKey(int key, Qt::KeyboardModifiers modifiers);
    void wheel(QWheelEvent *event);

    QToolButton *up;
    QToolButton *down;
    QPointer<QLineEdit> associate;
    int minimum = 0;
    int maximum = 100;
    int position = 0;
    bool intercept = false;
    int wheelDelta = 0;  // the part of a notch a fine-grained wheel has turned so far
};
