#pragma once

#include <QObject>
#include <QString>

#include "chatlog.h"
#include "listmail.h"
#include "mailclient.h"

class ClientSession;
class ClientState;

// The mail and the chat of the logged-in account: the mailbox list, the
// chat log, and their hooks into the session (the replies to the start-up
// requests 145 and 144, the pushes 148 and 143 on every session).
class TMessaging : public QObject {
    Q_OBJECT
public:
    TMessaging(ClientSession &session, ClientState &state, const QString &dataDir, QObject *parent = nullptr);
    ~TMessaging() override;

    // The login steps: the account's mailbox, then its messages.
    void LoadAccount(qint32 account);
    // The close steps: messages, then mail. Each failure is shown as
    // "Could not save file of messages"; false when one failed.
    bool SaveAll();

    TListMail Mail;
    TMailClient MailClient;
    TChatLog Chat;

private:
    void registerPushes();

    ClientSession &session;
    ClientState &state;
};
