#include "requotebox.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "languagetables.h"
#include "translateform.h"
#include "units.h"

QString RequoteText(qint32 price)
{
    const QChar cr(u'\r');
    return MessageText(19) + QString(21, u' ') + cr + cr + MessageText(4) + PriceText(price) + cr
        + QString(37, u'-') + cr + MessageText(1);
}

TRequoteBox::TRequoteBox(qint32 price, QWidget *parent) : QDialog(parent), text(RequoteText(price))
{
    setWindowTitle(CaptionText(MakeTag(16)));
    // The carriage returns are the line breaks of the text.
    lbText = new QLabel(QString(text).replace(QChar(u'\r'), QChar(u'\n')), this);
    lbText->setTextFormat(Qt::PlainText);
    const bool english = IsEnglish();
    btYes = new QPushButton(english ? QStringLiteral("&Yes") : QStringLiteral("&Да"), this);
    btNo = new QPushButton(english ? QStringLiteral("&No") : QStringLiteral("&Нет"), this);
    for (QPushButton *b : {btYes, btNo})
        b->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btYes);
    buttons->addWidget(btNo);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lbText);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(btYes, &QPushButton::clicked, this, [this] {
        answer = Yes;
        accept();
    });
    connect(btNo, &QPushButton::clicked, this, [this] {
        answer = No;
        reject();
    });
}

void TRequoteBox::Cancel()
{
    answer = NoAnswer;
    reject();
}

void TRequoteBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        btNo->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
