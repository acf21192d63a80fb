#include "focusonhover.h"

#include <QApplication>
#include <QEvent>
#include <QTextEdit>
#include <QWidget>

TFocusOnHover::TFocusOnHover(QWidget *w) : QObject(w), window(w) {}

void TFocusOnHover::Watch(QWidget *widget)
{
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
}

bool TFocusOnHover::eventFilter(QObject *watched, QEvent *event)
{
    if ((event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) && window->isVisible()
        && QApplication::focusWidget() != window) {
        window->activateWindow();
        window->setFocus(Qt::MouseFocusReason);
    }
    return QObject::eventFilter(watched, event);
}

QTextEdit *NewContentPane(QWidget *window)
{
    auto *pane = new QTextEdit(window);
    pane->setReadOnly(true);
    pane->setStyleSheet(QStringLiteral("QTextEdit { background: white; }"));
    pane->setLineWrapMode(QTextEdit::NoWrap);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return pane;
}
