#pragma once

#include <QObject>

class ClientSession;
class TListMail;
class TUserCmdRply;
class TUserMail;

// The mail's conversation with the server: the list of waiting ids (145),
// one mail (147), the new-mail push (148) and the receipts (151).
class TMailClient : public QObject {
    Q_OBJECT
public:
    TMailClient(TListMail &list, ClientSession &session, QObject *parent = nullptr);

    void RequestMail(quint32 id);
    // Every part of a split reply: held ids are only confirmed, others requested.
    void OnMailIds(TUserCmdRply *packet);
    void OnNewMail(TUserCmdRply *packet);
    // A mail held already is ignored. A new one is added and written to the
    // mailbox file; only a mail on disk is confirmed, so that the dealer
    // never forgets a mail that is nowhere. A write failure is shown, the
    // list stays modified for the next save.
    void OnMail(TUserCmdRply *packet);

signals:
    // After a new mail has been taken in ("You have new mail" is shown).
    void mailArrived(TUserMail *mail);

private:
    bool replyOk(TUserCmdRply *packet);

    TListMail &list;
    ClientSession &session;
};
