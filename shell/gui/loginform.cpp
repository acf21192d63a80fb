#include "loginform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include "languagetables.h"
#include "storedlogins.h"
#include "translateform.h"
#include "wiretext.h"

namespace {

// Refuses input that makes the text longer than the limit; texts set by the
// program are not validated.
class TypedLengthValidator : public QValidator {
public:
    TypedLengthValidator(QLineEdit *edit, int limit) : QValidator(edit), limit(limit)
    {
        // The length the text had before the change being validated.
        connect(edit, &QLineEdit::textChanged, this, [this](const QString &t) { lastLength = t.size(); });
    }
    State validate(QString &input, int &) const override
    {
        return input.size() > limit && input.size() > lastLength ? Invalid : Acceptable;
    }

private:
    int limit;
    qsizetype lastLength = 0;
};

} // namespace

TfrmLogin::TfrmLogin(TStoredLogins &logins, QWidget *parent) : QDialog(parent), logins(logins)
{
    SetTag(this, MakeTag(27));  // "Authorization"
    cb = new QComboBox(this);
    cb->setEditable(true);
    cb->addItems(logins.Accounts());
    edPassword = new QLineEdit(this);
    edPassword->setMaxLength(10);
    edPassword->setEchoMode(QLineEdit::Password);
    edFileName = new QLineEdit(this);
    Button3 = new QPushButton(QStringLiteral("..."), this);
    Button3->setFixedWidth(28);
    cbox = new QCheckBox(this);
    Button2 = new QPushButton(this);
    Button2->setDefault(true);
    Button1 = new QPushButton(this);
    lb2 = new QLabel(this);
    lb1 = new QLabel(this);
    Label1 = new QLabel(this);
    SetTag(lb2, MakeTag(62));
    SetTag(lb1, MakeTag(77));
    SetTag(Label1, MakeTag(21));
    SetTag(Button3, MakeTag(7));
    SetTag(cbox, MakeTag(98));
    SetTag(Button2, MakeTag(19));
    SetTag(Button1, MakeTag(15));

    auto *grid = new QGridLayout(this);
    grid->addWidget(lb2, 0, 0);
    grid->addWidget(cb, 0, 1, 1, 2);
    grid->addWidget(lb1, 1, 0);
    grid->addWidget(edPassword, 1, 1, 1, 2);
    grid->addWidget(Label1, 2, 0);
    grid->addWidget(edFileName, 2, 1);
    grid->addWidget(Button3, 2, 2);
    grid->addWidget(cbox, 3, 1, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    grid->addLayout(buttons, 4, 0, 1, 3);

    connect(cb, &QComboBox::editTextChanged, this, &TfrmLogin::AccountChanged);
    // Typing stops at 10 characters; a browsed path may be longer. (A
    // maximum length on the edit would cut the browsed path too.)
    edFileName->setValidator(new TypedLengthValidator(edFileName, TypedKeyFileLength));
    connect(Button3, &QPushButton::clicked, this, &TfrmLogin::BrowseKeyFile);
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    TranslateForm(this, true);
}

void TfrmLogin::AccountChanged()
{
    cbox->setChecked(true);
    edPassword->clear();
    edFileName->clear();
    if (const TLoginRecord *r = logins.Find(cb->currentText())) {
        edPassword->setText(r->LoginPassword);
        edFileName->setText(r->LoginKeyFile);
        cbox->setChecked(r->LoginSavePassword);
    }
}

void TfrmLogin::BrowseKeyFile()
{
    const QString start = edFileName->text();
    QString chosen;
    if (ChooseKeyFile) {
        chosen = ChooseKeyFile(start);
    } else {
        QFileDialog od(this, CaptionText(MakeTag(20)), start, QStringLiteral("private key file (*.prk)"));
        od.setDefaultSuffix(QStringLiteral("prk"));
        od.setFileMode(QFileDialog::ExistingFile);
        if (od.exec() == QDialog::Accepted && !od.selectedFiles().isEmpty())
            chosen = od.selectedFiles().first();
    }
    if (!chosen.isEmpty())
        edFileName->setText(chosen);
}

bool LoginDialog(TStoredLogins &logins, quint32 &account, QString &password, QString &keyFile,
                 const std::function<void(const QString &)> &showStatus, QWidget *parent,
                 const std::function<int(TfrmLogin &)> &run)
{
    TfrmLogin form(logins, parent);
    form.cb->setEditText(account > 0 ? QString::number(account) : QString());
    form.edPassword->setText(password);
    form.edFileName->setText(keyFile);
    form.AccountChanged();
    for (;;) {
        const int result = run ? run(form) : form.exec();
        if (result != QDialog::Accepted)
            return false;
        bool ok = false;
        const quint32 entered = form.cb->currentText().trimmed().toUInt(&ok);
        if (!ok || entered == 0) {
            if (showStatus)
                showStatus(MessageText(49));
            continue;
        }
        // The stored record holds 150 bytes of path: a longer one is refused,
        // not cut into a different file name.
        if (EncodeWireText(form.edFileName->text()).size() > form.TLoginKeyFileCapacity) {
            if (showStatus)
                showStatus(MessageText(21));
            continue;
        }
        account = entered;
        password = form.edPassword->text();
        keyFile = form.edFileName->text();
        logins.StoreLogin(TLoginRecord::Make(account, password, keyFile, form.cbox->isChecked()));
        if (showStatus)
            showStatus(QString());
        return true;
    }
}
