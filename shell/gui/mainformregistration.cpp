// The main window's part of the online registration: the dialog, the
// hand-over to the connection thread and the new account's follow-up.
#include "mainform.h"

#include "clientsession.h"
#include "languagetables.h"
#include "regform.h"
#include "shelllog.h"
#include "textformat.h"

void TMainForm::doRegistration()
{
    const std::optional<TRegistration> r = RunRegistrationDialog ? RunRegistrationDialog() : std::nullopt;
    if (!r)
        return;
    // A retry of the old login must not cut into the registration.
    session->SetAutoReconnect(false);
    qCDebug(lcShell) << "registration of a new account";
    session->Register(r->Name, r->Email, r->Deposit, r->Group);
}

void TMainForm::Registered(quint32 account, const QString &password)
{
    // The registration connection goes on as a session of the new account:
    // its start-up requests fetch and confirm the new account's mail and
    // messages, which must land in its own mailbox and files.
    messagingLogin(account);
    logins.SavedAccount = account;
    logins.SavedPassword = password;
    logins.SavedKeyFile.clear();
    SavedKeyFile.clear();
    if (ShowMessage)
        ShowMessage(FormatText(MessageText(2), {account}) + QStringLiteral("\n") + FormatText(MessageText(13), {password}));
    logins.StoreRegisteredLogin(account, password);
    doConnect();
}
