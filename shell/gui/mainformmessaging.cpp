// The main window's part of the mail and the chat: their windows, the
// login and close steps, the View menu's two actions and the alerts.
#include "mainform.h"

#include <QApplication>
#include <QRegularExpression>

#include "clientsession.h"
#include "desktopnotifier.h"
#include "frmchat.h"
#include "frmviewmail.h"
#include "frmviewmailbox.h"
#include "frmviewmessages.h"
#include "languagetables.h"
#include "messaging.h"
#include "shelllog.h"
#include "wiretext.h"

void TMainForm::buildMessaging()
{
    messaging = std::make_unique<TMessaging>(*session, *state, paths.DataDir);
    frmViewMailBox = new TfrmViewMailBox(messaging->Mail, this);
    frmViewMail = new TfrmViewMail(this);
    frmViewMessages = new TfrmViewMessages(this);
    frmChat = new TfrmChat(messaging->Chat, *frmViewMessages, this);
    frmChat->Connected = [this] { return session->LoggedIn(); };
    frmViewMailBox->hide();
    frmViewMail->hide();
    frmViewMessages->hide();
    frmChat->hide();
    frmViewMailBox->ShowMail = [this](TUserMail *mail) { frmViewMail->Show(mail); };
    frmViewMailBox->HideMail = [this](qint32 id) { frmViewMail->HideIfShowing(id); };
    connect(frmViewMailBox, &TfrmBase::openChanged, this, [this] { updateActions(); });
    connect(frmChat, &TfrmChat::openChanged, this, [this] { updateActions(); });
    connect(session.get(), &ClientSession::loggedInChanged, frmChat, &TfrmChat::UpdateActions);

    connect(&messaging->MailClient, &TMailClient::mailArrived, this, [this](TUserMail *mail) {
        // Opening again would rebuild the rows and lose the selection.
        if (!frmViewMailBox->IsOpen())
            frmViewMailBox->OpenByUser();
        frmViewMailBox->show();
        frmViewMailBox->raise();
        updateActions();
        notifyDesktop(mail->FromText(), mail->SubjectText());
    });
    connect(&messaging->Chat, &TChatLog::messageArrived, this, [this](const TMessageItem &item) {
        // Only the window frame itself holding the focus means the trader
        // is looking at it; typing in the input box still raises it.
        if (!frmChat->FrameHasFocus()) {
            ShowStatus(MessageText(50));
            frmChat->show();
            frmChat->raise();
            updateActions();
        }
        const QString text = DecodeWireText(item.Text);
        notifyDesktop(DecodeWireText(item.Sender), text.section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0));
    });
}

void TMainForm::deleteMessaging()
{
    delete frmChat;
    delete frmViewMessages;
    delete frmViewMail;
    delete frmViewMailBox;
    frmChat = nullptr;
    frmViewMessages = nullptr;
    frmViewMail = nullptr;
    frmViewMailBox = nullptr;
    messaging.reset();
}

void TMainForm::messagingLogin(quint32 account)
{
    frmViewMail->Show(nullptr);
    messaging->LoadAccount(qint32(account));
}

void TMainForm::saveMessaging()
{
    if (!messaging->SaveAll())
        qCDebug(lcShell) << "could not save the mail or the messages";
}

void TMainForm::updateMessagingActions()
{
    AViewMailBox->setEnabled(true);
    AviewChat->setEnabled(true);
    AViewMailBox->setChecked(frmViewMailBox->IsOpen());
    AviewChat->setChecked(frmChat->isVisible());
    frmViewMailBox->UpdateActions();
    frmChat->UpdateActions();
}

void TMainForm::toggleChat()
{
    frmChat->setVisible(!frmChat->isVisible());
    if (frmChat->isVisible())
        frmChat->raise();
    updateActions();
}

void TMainForm::retranslateMessaging()
{
    frmViewMailBox->Retranslate();
    frmViewMail->Retranslate();
    frmChat->Retranslate();
    frmViewMessages->Retranslate();
}

void TMainForm::dockMessagingDefault(TfrmBase *bottomTabs)
{
    addDockWidget(Qt::BottomDockWidgetArea, frmViewMailBox);
    frmViewMailBox->setFloating(false);
    frmViewMailBox->OpenByUser();
    tabifyDockWidget(bottomTabs, frmViewMailBox);
    addDockWidget(Qt::BottomDockWidgetArea, frmChat);
    frmChat->setFloating(false);
    frmChat->hide();
}

void TMainForm::notifyDesktop(const QString &title, const QString &body)
{
    if (isActiveWindow())
        return;
    if (!desktopNotifier)
        desktopNotifier = new TDesktopNotifier(this);
    desktopNotifier->Notify(title, body);
}
