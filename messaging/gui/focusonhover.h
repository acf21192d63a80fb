#pragma once

#include <QObject>

class QTextEdit;
class QWidget;

// Moving the mouse over the watched widgets gives their window the focus,
// unless the window itself already holds it, so that the wheel scrolls the
// text under the mouse without a click first.
class TFocusOnHover : public QObject {
    Q_OBJECT
public:
    explicit TFocusOnHover(QWidget *window);
    void Watch(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *window;
};

// The read-only text pane of the mail viewer and the history window: white,
// not wrapped, with both scroll bars; the window gets the focus when the
// mouse moves over it.
QTextEdit *NewContentPane(QWidget *window);
