#include "messaging.h"

#include <stdexcept>

#include <QPointer>

#include "clientsession.h"
#include "clientstate.h"
#include "commands.h"
#include "messagefiles.h"

TMessaging::TMessaging(ClientSession &s, ClientState &st, const QString &dataDir, QObject *parent)
    : QObject(parent), MailClient(Mail, s), Chat(s), session(s), state(st)
{
    Mail.DataDir = dataDir;
    Chat.DataDir = dataDir;
    Mail.ShowStatus = [this](const QString &text) { session.ShowStatus(text); };
    QPointer<TMessaging> self(this);
    state.MailIdsHandler = [self](TUserCmdRply *packet) {
        if (self)
            self->MailClient.OnMailIds(packet);
    };
    state.MessageIdsHandler = [self](TUserCmdRply *packet) {
        if (self)
            self->Chat.OnMessageIds(packet);
    };
    // After the client state's own handlers: the start-up requests go first.
    connect(&session, &ClientSession::sessionStarted, this, &TMessaging::registerPushes);
}

TMessaging::~TMessaging()
{
    state.MailIdsHandler = nullptr;
    state.MessageIdsHandler = nullptr;
}

void TMessaging::registerPushes()
{
    QPointer<TMessaging> self(this);
    session.Dispatcher().AddCommandEvent(cmdNewMail, nullptr, [self](TUserCmdRply *packet) {
        if (self)
            self->MailClient.OnNewMail(packet);
    });
    session.Dispatcher().AddCommandEvent(cmdNewMessage, nullptr, [self](TUserCmdRply *packet) {
        if (self)
            self->Chat.OnNewMessage(packet);
    });
}

void TMessaging::LoadAccount(qint32 account)
{
    Mail.LoadMailbox(account);
    Chat.LoadMessages(account);
}

bool TMessaging::SaveAll()
{
    bool ok = true;
    for (auto save : {+[](TMessaging &m) { m.Chat.SaveMessages(); }, +[](TMessaging &m) { m.Mail.SaveMailbox(); }}) {
        try {
            save(*this);
        } catch (const std::exception &) {
            session.ShowStatus(SaveFailedText());
            ok = false;
        }
    }
    return ok;
}
