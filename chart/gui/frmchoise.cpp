#include "frmchoise.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TfrmChoise::TfrmChoise(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmChoise"));
    setWindowTitle(QStringLiteral("Scaling options"));
    RadioButton1 = new QRadioButton(QStringLiteral("Display scale on left"), this);
    RadioButton2 = new QRadioButton(QStringLiteral("Display scale on right"), this);
    RadioButton3 = new QRadioButton(QStringLiteral("New chart window"), this);
    RadioButton3->setChecked(true);
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);  // Escape too

    auto *layout = new QVBoxLayout(this);
    for (QRadioButton *b : {RadioButton1, RadioButton2, RadioButton3})
        layout->addWidget(b);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int TfrmChoise::CheckedTag() const
{
    const QRadioButton *buttons[] = {RadioButton1, RadioButton2, RadioButton3};
    for (int i = 0; i < 3; ++i)
        if (buttons[i]->isChecked())
            return i + 1;
    return 0;
}

int TfrmChoise::Result() const
{
    return result() == QDialog::Accepted ? CheckedTag() : 0;
}

int TfrmChoise::Choose(QWidget *parent)
{
    TfrmChoise dialog(parent ? parent->window() : nullptr);
    dialog.exec();
    return dialog.Result();
}
