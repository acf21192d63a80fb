#include "focusonhover.h"

#include <QApplication>
#include <QEvent>
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
