#include "mainwindow.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

#include "languagetables.h"

MainWindow::MainWindow(ClientSession &s, QWidget *parent) : QMainWindow(parent), session(s)
{
    setWindowTitle(CaptionTextIn(IsEnglish(), 26));
    resize(900, 600);

    QMenu *connection = menuBar()->addMenu(CaptionTextIn(IsEnglish(), 95));
    connectAction = connection->addAction(CaptionTextIn(IsEnglish(), 27), this, &MainWindow::showLoginDialog);
    disconnectAction = connection->addAction(CaptionTextIn(IsEnglish(), 44), this, [this] { session.Disconnect(); });
    connection->addSeparator();
    connection->addAction(CaptionTextIn(IsEnglish(), 33), this, &QWidget::close);

    const int widths[4] = {50, 0, 90, 80};
    for (int i = 0; i < 4; ++i) {
        panels[i] = new QLabel(session.PanelText(i), this);
        if (widths[i])
            panels[i]->setMinimumWidth(widths[i]);
        statusBar()->addWidget(panels[i], i == ClientSession::PanelStatus ? 1 : 0);
    }
    connect(&session, &ClientSession::panelChanged, this, [this](int panel, const QString &text) {
        panels[panel]->setText(text);
    });
    connect(&session, &ClientSession::loggedInChanged, this, &MainWindow::updateActions);
    connect(&session, &ClientSession::popupRequested, this, [this](const QString &text) {
        QMessageBox::information(this, CaptionTextIn(IsEnglish(), 26), text);
        session.SetPanelText(ClientSession::PanelStatus, QString());
    });
    connect(&session, &ClientSession::handlerFailed, this, [this](const QString &text) {
        QMessageBox::warning(this, CaptionTextIn(IsEnglish(), 26), text);
    });
    updateActions();
}

void MainWindow::updateActions()
{
    connectAction->setEnabled(!session.LoggedIn());
    disconnectAction->setEnabled(session.LoggedIn());
}

void MainWindow::showLoginDialog()
{
    session.SetAutoReconnect(false);
    QDialog dialog(this);
    dialog.setWindowTitle(CaptionTextIn(IsEnglish(), 27));
    auto *form = new QFormLayout(&dialog);
    auto *account = new QLineEdit(session.SavedAccount() ? QString::number(session.SavedAccount()) : QString());
    auto *password = new QLineEdit(session.SavedPassword());
    password->setEchoMode(QLineEdit::Password);
    password->setMaxLength(10);
    form->addRow(CaptionTextIn(IsEnglish(), 62), account);
    form->addRow(CaptionTextIn(IsEnglish(), 77), password);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    while (dialog.exec() == QDialog::Accepted) {
        bool ok = false;
        const uint number = account->text().trimmed().toUInt(&ok);
        if (!ok) {
            session.SetPanelText(ClientSession::PanelStatus, MessageText(49));
            continue;
        }
        session.Login(number, password->text(), TKeyRecord{});
        session.SetAutoReconnect(true);
        break;
    }
}
