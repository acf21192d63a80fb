#include "chatlog.h"

#include <stdexcept>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTimeZone>

#include "clientsession.h"
#include "commands.h"
#include "errortext.h"
#include "forexexception.h"
#include "idlist.h"
#include "languagetables.h"
#include "messagefiles.h"
#include "packetreader.h"
#include "units.h"
#include "wiretext.h"

TChatLog::TChatLog(ClientSession &s, QObject *parent) : QObject(parent), session(s)
{
    Now = [] {
        // The local wall-clock time, as the dealer's other clients send it.
        const QDateTime local = QDateTime::currentDateTime();
        return dateTimeFromQt(QDateTime(local.date(), local.time(), Qt::UTC));
    };
}

QString TChatLog::FilePath(qint32 account) const
{
    return QDir(DataDir).filePath(QStringLiteral("message-%1.msg").arg(account));
}

void TChatLog::SetSending(bool on)
{
    if (sending == on)
        return;
    sending = on;
    emit sendingChanged(on);
}

QByteArray TChatLog::EncodeFile(const std::vector<TMessageItem> &items)
{
    TFileImage image;
    image.I32(qint32(items.size()));
    for (const TMessageItem &m : items) {
        image.I32(m.Id);
        image.U8(m.Incoming ? 1 : 0);
        image.F64(m.Date);
        image.Bytes(m.Sender);
        image.Bytes(m.Text);
    }
    return image.Data();
}

void TChatLog::SaveMessages()
{
    if (ChatAccount < 1 || !Modified)
        return;
    const QString path = FilePath(ChatAccount);
    if (damagedPath == path) {
        KeepDamagedCopy(path);
        damagedPath.clear();
    }
    if (!WriteFileAtomically(path, EncodeFile(Items)))
        throw std::runtime_error(SaveFailedText().toStdString());
    Modified = false;
}

void TChatLog::LoadMessages(qint32 account)
{
    SetSending(false);
    if (account == 0 || account == ChatAccount)
        return;
    try {
        SaveMessages();
    } catch (const std::exception &) {
        session.ShowStatus(SaveFailedText());
    }
    emit cleared();
    ChatAccount = account;
    Modified = false;
    Items.clear();
    damagedPath.clear();
    QFile file(FilePath(account));
    if (!file.exists())
        return;
    bool whole = file.open(QIODevice::ReadOnly);
    TFileCursor in(whole ? file.readAll() : QByteArray());
    qint32 count = 0;
    whole = whole && in.I32(count) && count >= 0;
    emit historyLoading(true);
    for (qint32 i = 0; whole && i < count; ++i) {
        TMessageItem m;
        quint8 incoming = 0;
        whole = in.I32(m.Id) && in.U8(incoming) && in.F64(m.Date) && in.Bytes(m.Sender) && in.Bytes(m.Text);
        if (!whole)
            break;
        m.Incoming = incoming != 0;
        appendHistory(m);
    }
    emit historyLoading(false);
    if (!whole) {
        damagedPath = file.fileName();
        session.ShowStatus(LoadFailedText());
    }
}

void TChatLog::appendHistory(const TMessageItem &item)
{
    Items.push_back(item);
    emit historyAppended(Items.back());
}

void TChatLog::AddMessage(qint32 id, const QByteArray &text, bool incoming, double date)
{
    TMessageItem m;
    m.Id = id;
    m.Incoming = incoming;
    // The name in the language of the moment, kept as it was.
    m.Sender = EncodeWireText(incoming ? MessageText(51)
                                       : MessageText(52) + QString::number(session.SavedAccount()));
    m.Date = date;
    m.Text = text;
    emit chatAppended(m);
    appendHistory(m);
    Modified = true;
}

QByteArray TChatLog::WireText(const QString &typed)
{
    QString text = typed;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return EncodeWireText(text);
}

QString TChatLog::DisplayText(const QByteArray &text)
{
    QString decoded = DecodeWireText(text);
    decoded.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    decoded.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    decoded.replace(QLatin1Char('\n'), QStringLiteral("\n\t"));
    return decoded;
}

bool TChatLog::SendText(const QString &text)
{
    if (text.isEmpty() || !session.LoggedIn())
        return false;
    pendingText = WireText(text);
    SetSending(true);
    QPointer<TChatLog> self(this);
    const bool queued = session.SendCommand(
        NewSendMessageCommand(pendingText, Now()),
        [self](TFxEvent *) {
            if (self)
                self->SetSending(false);
        },
        [self](TUserCmdRply *packet) {
            if (self)
                self->OnSendReply(packet);
        });
    if (!queued)
        SetSending(false);
    return queued;
}

bool TChatLog::replyOk(TUserCmdRply *packet) { return session.ReplySucceeded(packet); }

void TChatLog::OnSendReply(TUserCmdRply *packet)
{
    // Whatever happens, the input box is usable again afterwards.
    struct Done {
        TChatLog *log;
        ~Done() { log->SetSending(false); }
    } done{this};
    if (!replyOk(packet))
        return;
    PacketReader reader(*packet, hdr::ReplyData);
    const qint32 id = reader.i32();
    const quint32 minutes = reader.u32();
    AddMessage(id, pendingText, false, MinutesToDateTime(qint32(minutes)));
    pendingText.clear();
    emit sent();
}

void TChatLog::RequestMessage(quint32 id)
{
    QPointer<TChatLog> self(this);
    session.SendCommand(NewCommandU32(cmdGetMessage, id), nullptr, [self](TUserCmdRply *packet) {
        if (self)
            self->OnMessage(packet);
    });
}

void TChatLog::OnMessageIds(TUserCmdRply *packet)
{
    if (!replyOk(packet))
        return;
    for (quint32 id : ReadIdList(*packet))
        RequestMessage(id);
}

void TChatLog::OnNewMessage(TUserCmdRply *packet) { RequestMessage(PacketReader(*packet, hdr::Data).u32()); }

void TChatLog::OnMessage(TUserCmdRply *packet)
{
    if (!replyOk(packet))
        return;
    PacketReader reader(*packet, hdr::ReplyData);
    const quint32 id = reader.u32();
    const double date = reader.f64();
    const quint16 length = reader.u16();
    const QByteArray text = reader.bytes(length);
    // A message held already (its 150 lost with the connection) is not
    // shown or stored twice; it is confirmed again.
    bool held = false;
    for (const TMessageItem &m : Items)
        held = held || m.Id == qint32(id);
    if (!held)
        AddMessage(qint32(id), text, true, date);
    session.SendCommand(NewReadReceipt(cmdMessageRead, id), nullptr, nullptr);
    if (!held)
        emit messageArrived(Items.back());
}
