#include "updown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

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
    associate = edit;
    writeAssociate();
}

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

void TUpDown::writeAssociate()
{
    if (!associate || intercept)
        return;
    const QString text = QString::number(position);
    if (associate->text() != text)
        associate->setText(text);
}
