#include "updown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

TUpDown::TUpDown(QWidget *parent) : QWidget(parent)
{
    up = new QToolButton(this);
    down = new QToolButton(this);
    for (QToolButton *b : {up, down}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(18, 11);
    }
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up);
    layout->addWidget(down);
    connect(up, &QToolButton::clicked, this, [this] { Click(btNext); });
    connect(down, &QToolButton::clicked, this, [this] { Click(btPrev); });
}

void TUpDown::SetAssociate(QLineEdit *edit)
{
    if (associate)
        associate->removeEventFilter(this);
    associate = edit;
    if (associate)
        associate->installEventFilter(this);
    writeAssociate();
}

QLineEdit *TUpDown::Associate() const { return associate.data(); }

void TUpDown::SetRange(int min, int max)
{
    minimum = min;
    maximum = max;
    SetPosition(position);
}

void TUpDown::SetPosition(int p)
{
    position = qMax(qMin(p, maximum), minimum);
    writeAssociate();
}

void TUpDown::Click(TUDBtnType button)
{
    if (!isEnabled())
        return;
    emit clicked(button);
    if (!intercept)
        SetPosition(position + (button == btNext ? 1 : -1));
}

void TUpDown::Step(TUDBtnType button, int clicks)
{
    QPointer<TUpDown> self(this);
    for (int i = 0; i < clicks && self; ++i) {
        // A click that changes nothing (the end of the range, no quote yet, a
        // value refused with a message) would only repeat itself.
        const QString before = associate ? associate->text() : QString();
        Click(button);
        if (!self || !associate || associate->text() == before)
            return;
    }
}

bool TUpDown::stepKey(int key, Qt::KeyboardModifiers modifiers)
{
    if ((modifiers & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    switch (key) {
    case Qt::Key_Up: Click(btNext); return true;
    case Qt::Key_Down: Click(btPrev); return true;
    case Qt::Key_PageUp: Step(btNext, PageSteps); return true;
    case Qt::Key_PageDown: Step(btPrev, PageSteps); return true;
    default: return false;
    }
}

void TUpDown::wheel(QWheelEvent *event)
{
    // One click per notch (120); a fine-grained wheel adds up to a notch.
    wheelDelta += event->angleDelta().y();
    event->accept();
    while (wheelDelta >= 120) {
        wheelDelta -= 120;
        Click(btNext);
    }
    while (wheelDelta <= -120) {
        wheelDelta += 120;
        Click(btPrev);
    }
}

bool TUpDown::eventFilter(QObject *watched, QEvent *event)
{
    // The type first: the edit's own destruction sends events too, and then
    // it is no longer a QLineEdit to compare with.
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::Wheel) || watched != associate.data())
        return QWidget::eventFilter(watched, event);
    if (type == QEvent::Wheel) {
        wheel(static_cast<QWheelEvent *>(event));
        return true;
    }
    auto *key = static_cast<QKeyEvent *>(event);
    return stepKey(key->key(), key->modifiers());
}

void TUpDown::wheelEvent(QWheelEvent *event) { wheel(event); }

void TUpDown::writeAssociate()
{
    if (!associate || intercept)
        return;
    const QString text = QString::number(position);
    if (associate->text() != text)
        associate->setText(text);
}
