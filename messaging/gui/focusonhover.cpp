#include "focusonhover.h"

#include <QApplication>
#include <QEvent>
#include <QTextEdit>
#include <QWidget>

#include "theme.h"

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
    FollowTheme(pane, [pane] {
        // White in a light theme, the palette's own base in a dark one.
        QPalette colours = QApplication::palette();
        colours.setColor(QPalette::Base, ContentBackground(colours));
        pane->setPalette(colours);
    });
    pane->setLineWrapMode(QTextEdit::NoWrap);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return pane;
}
