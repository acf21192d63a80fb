#include "regform.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "languagetables.h"
#include "translateform.h"

TfrmReg::TfrmReg(QWidget *parent) : QDialog(parent)
{
    SetTag(this, MakeTag(89));  // "Registration new account"
    Label1 = new QLabel(this);
    Label2 = new QLabel(this);
    Label3 = new QLabel(this);
    SetTag(Label1, MakeTag(46));
    SetTag(Label2, MakeTag(17));
    SetTag(Label3, MakeTag(41));
    edName = new QLineEdit(this);
    edEmail = new QLineEdit(this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->addItems({QStringLiteral("Mini forex"), QStringLiteral("Forex")});
    ComboBox1->setCurrentIndex(0);
    Edit1 = new QLineEdit(QString::number(deposit), this);
    Edit1->setReadOnly(true);
    // The up-down only reports its clicks; the deposit is counted here.
    UpDown1 = new TUpDown(this);
    UpDown1->SetRange(-10, 10);
    UpDown1->SetIntercept(true);
    UpDown1->SetAssociate(Edit1);
    Button1 = new QPushButton(this);
    Button2 = new QPushButton(this);
    SetTag(Button1, MakeTag(88));
    SetTag(Button2, MakeTag(74));
    Button1->setDefault(true);

    auto *grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(edName, 0, 1, 1, 2);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(edEmail, 1, 1, 1, 2);
    grid->addWidget(ComboBox1, 2, 1, 1, 2);
    grid->addWidget(Label3, 3, 0);
    grid->addWidget(Edit1, 3, 1);
    grid->addWidget(UpDown1, 3, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 4, 0, 1, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);  // a single border: no resizing

    connect(UpDown1, &TUpDown::clicked, this, &TfrmReg::stepDeposit);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);  // Escape too
    ShowError = [this](const QString &text) { QMessageBox::critical(this, windowTitle(), text); };
    TranslateForm(this, true);
}

void TfrmReg::stepDeposit(TUpDown::TUDBtnType button)
{
    if (button == TUpDown::btNext && deposit < MaxDeposit)
        deposit += DepositStep;
    else if (button == TUpDown::btPrev && deposit > MinDeposit)
        deposit -= DepositStep;
    Edit1->setText(QString::number(deposit));
}

TRegistration TfrmReg::Registration() const
{
    return {edName->text(), edEmail->text(), quint32(qMax(0, ComboBox1->currentIndex())), quint32(deposit)};
}

void TfrmReg::done(int result)
{
    if (result == QDialog::Accepted) {
        for (auto [edit, minimum] : {std::pair{edName, MinNameLength}, std::pair{edEmail, MinEmailLength}}) {
            if (edit->text().trimmed().size() < minimum) {
                edit->setFocus();
                if (ShowError)
                    ShowError(CachedTexts().ValueRequired);
                return;
            }
        }
    }
    QDialog::done(result);
}

std::optional<TRegistration> RegistrationDialog(const std::function<void(const QString &)> &showError, QWidget *parent)
{
    TfrmReg form(parent);
    if (showError)
        form.ShowError = showError;
    if (form.exec() != QDialog::Accepted)
        return std::nullopt;
    return form.Registration();
}
