#include "mailclient.h"

#include <stdexcept>

#include <QPointer>

#include "clientsession.h"
#include "idlist.h"
#include "commands.h"
#include "errortext.h"
#include "forexexception.h"
#include "languagetables.h"
#include "listmail.h"
#include "messagefiles.h"
#include "packetreader.h"

TMailClient::TMailClient(TListMail &l, ClientSession &s, QObject *parent) : QObject(parent), list(l), session(s) {}

bool TMailClient::replyOk(TUserCmdRply *packet) { return session.ReplySucceeded(packet); }

void TMailClient::RequestMail(quint32 id)
{
    QPointer<TMailClient> self(this);
    session.SendCommand(NewCommandU32(cmdGetMail, id), nullptr, [self](TUserCmdRply *packet) {
        if (self)
            self->OnMail(packet);
    });
}

void TMailClient::OnMailIds(TUserCmdRply *packet)
{
    if (!replyOk(packet))
        return;
    for (quint32 id : ReadIdList(*packet)) {
        if (list.Find(qint32(id)))
            session.SendCommand(NewReadReceipt(cmdMailRead, id), nullptr, nullptr);
        else
            RequestMail(id);
    }
}

void TMailClient::OnNewMail(TUserCmdRply *packet) { RequestMail(PacketReader(*packet, hdr::Data).u32()); }

void TMailClient::OnMail(TUserCmdRply *packet)
{
    if (!replyOk(packet))
        return;
    const std::span<const uint8_t> data(packet->Buffer.data() + hdr::ReplyData,
                                        packet->Buffer.size() - size_t(hdr::ReplyData));
    TUserMail *mail = list.AddReceived(data);
    if (!mail)
        return;
    const quint32 id = quint32(mail->Id);
    bool stored = true;
    try {
        list.SaveMailbox();
    } catch (const std::exception &) {
        stored = false;
    }
    // Sending clears the status text: the receipt goes first.
    if (stored)
        session.SendCommand(NewReadReceipt(cmdMailRead, id), nullptr, nullptr);
    session.ShowStatus(stored ? MessageText(56) : SaveFailedText());
    emit mailArrived(mail);
}
