#include "setupform.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "connectionsettings.h"
#include "inifile.h"
#include "translateform.h"

TfrmSetup::TfrmSetup(QWidget *parent) : QDialog(parent)
{
    SetTag(this, MakeTag(105));  // "Setup"
    pc = new QTabWidget(this);
    TabSheet1 = new QWidget;
    SetTag(TabSheet1, MakeTag(95));
    edServer = new QLineEdit(TabSheet1);
    edPort = new QLineEdit(TabSheet1);
    lbServer = new QLabel(TabSheet1);
    lbPort = new QLabel(TabSheet1);
    SetTag(lbServer, MakeTag(28));
    SetTag(lbPort, MakeTag(79));
    auto *form = new QFormLayout(TabSheet1);
    form->addRow(lbServer, edServer);
    form->addRow(lbPort, edPort);
    pc->addTab(TabSheet1, QString());
    Button2 = new QPushButton(this);
    Button1 = new QPushButton(this);
    Button2->setDefault(true);
    SetTag(Button2, MakeTag(19));
    SetTag(Button1, MakeTag(15));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pc);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    layout->addLayout(buttons);
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);  // Escape too
}

bool SetupDialog(TConnectionSettings &settings, TIniFile &ini, const std::function<void(const QString &)> &showError,
                 QWidget *parent, const std::function<int(TfrmSetup &)> &run)
{
    TfrmSetup form(parent);
    form.edServer->setText(settings.Servers);
    form.edPort->setText(QString::number(settings.Port));
    TranslateForm(&form, true);
    const int result = run ? run(form) : form.exec();
    if (result != QDialog::Accepted)
        return false;
    const QString error = ApplySetupValues(form.edServer->text(), form.edPort->text(), settings);
    if (!error.isEmpty()) {
        if (showError)
            showError(error);
        return false;
    }
    SaveConnectionSettings(ini, settings);
    if (!ini.Save()) {
        if (showError)
            showError(ini.ErrorText());
        return false;
    }
    return true;
}
