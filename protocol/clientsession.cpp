#include "clientsession.h"

#include <QDateTime>

#include "errortext.h"
#include "extratexts.h"
#include "forexexception.h"
#include "languagetables.h"
#include "packetreader.h"

namespace {
constexpr int PumpPeriodMs = 250;
constexpr int AutoConnectPeriodMs = 30000;
}

ClientSession::ClientSession(QObject *parent)
    : QObject(parent), dispatcher(std::make_unique<TDispCmdRply>()), thread(std::make_unique<TConnectThread>())
{
    thread->SetReceiver(this);
    thread->SetDispatcher(dispatcher.get());
    pumpTimer.setInterval(PumpPeriodMs);
    connect(&pumpTimer, &QTimer::timeout, this, &ClientSession::Pump);
    autoConnectTimer.setInterval(AutoConnectPeriodMs);
    connect(&autoConnectTimer, &QTimer::timeout, this, &ClientSession::autoConnectTick);
    clock.start();
    disconnectedHandling();
}

ClientSession::~ClientSession() { Shutdown(); }

void ClientSession::Shutdown()
{
    if (!thread)
        return;
    pumpTimer.stop();
    autoConnectTimer.stop();
    // The thread stops posting, ends (even if blocked in connect or read)
    // and is joined before the dispatcher it uses goes away.
    thread->SetReceiver(nullptr);
    thread->Terminate();
    thread.reset();
    dispatcher.reset();
}

void ClientSession::Login(uint32_t account, const QString &password, const TKeyRecord &key)
{
    if (!thread)
        return;
    disconnectedHandling();
    savedAccount = account;
    savedPassword = password;
    savedKey = key;
    thread->StartLogin(account, password, key);
}

void ClientSession::Register(const QString &name, const QString &email, uint32_t deposit, uint32_t group)
{
    if (!thread)
        return;
    disconnectedHandling();
    thread->StartRegistration(name, email, deposit, group);
}

void ClientSession::Disconnect()
{
    autoReconnect = false;
    disconnectedHandling();
}

bool ClientSession::isCurrent(const TThreadEvent &e) const
{
    return thread && e.Connection == thread->CurrentConnection() && !thread->RequestPending();
}

bool ClientSession::event(QEvent *e)
{
    const int type = int(e->type());
    if (type != WM_CONNECTED && type != WM_DISCONNECTED && type != WM_STATUS && type != WM_REGISTRATION)
        return QObject::event(e);
    auto *te = static_cast<TThreadEvent *>(e);
    if (!thread)
        return true;
    switch (te->Message()) {
    case WM_CONNECTED:
        if (isCurrent(*te) && thread->Connected())
            connectedHandling();
        break;
    case WM_DISCONNECTED:
        if (isCurrent(*te))
            disconnectedHandling();
        break;
    case WM_STATUS:
        SetPanelText(PanelStatus, te->Text);
        break;
    case WM_REGISTRATION:
        savedAccount = thread->RegAccount();
        savedPassword = thread->RegPassword();
        savedKey.fill(0);
        emit registrationDone(savedAccount, savedPassword);
        break;
    }
    return true;
}

void ClientSession::connectedHandling()
{
    autoConnectTimer.stop();
    loggedIn = true;
    dispatcher->Clear();
    sinceLastPump.start();
    pumpTimer.start(PumpPeriodMs);
    SetPanelText(PanelConnection, MessageText(41).trimmed());
    emit loggedInChanged(true);
    emit sessionStarted();
}

void ClientSession::disconnectedHandling()
{
    if (inDisconnect)
        return;
    inDisconnect = true;
    const bool was = loggedIn;
    loggedIn = false;
    pumpTimer.stop();
    if (dispatcher)
        dispatcher->Clear();
    SetPanelText(PanelProtected, QString());
    SetPanelText(PanelTime, QString());
    SetPanelText(PanelConnection, MessageText(33));
    autoConnectTimer.start();
    if (thread)
        thread->Stop();
    inDisconnect = false;
    if (was) {
        emit loggedInChanged(false);
        emit sessionEnded();
    }
}

void ClientSession::autoConnectTick()
{
    if (loggedIn || !autoReconnect)
        return;
    TKeyRecord key = savedKey;
    if (ReloadKey && !ReloadKey(key))
        return;
    Login(savedAccount, savedPassword, key);
}

bool ClientSession::SendCommand(TCommandPtr command, TNotifyEvent onCancel, TPacketEvent onReply,
                                TFxEvent **replyEvent)
{
    if (replyEvent)
        *replyEvent = nullptr;
    if (!loggedIn || !thread) {
        SetPanelText(PanelStatus, MessageText(32));
        return false;
    }
    command->SetId(thread->NextPacketId());
    const uint8_t code = command->Code;
    const uint16_t id = command->Id;
    const bool noReply = command->NoReply;
    dispatcher->PushOutgoing(std::move(command));
    if (!noReply) {
        TFxEvent *event = dispatcher->AddReplyEvent(code, id, std::move(onCancel), std::move(onReply));
        if (replyEvent)
            *replyEvent = event;
    }
    SetPanelText(PanelStatus, QString());
    return true;
}

void ClientSession::SendRequest(TCommandPtr command, TPacketEvent onReply)
{
    if (!loggedIn || !thread)
        return;
    command->SetId(thread->NextPacketId());
    dispatcher->AddReplyEvent(command->Code, command->Id, nullptr, std::move(onReply));
    dispatcher->PushOutgoing(std::move(command));
}

bool ClientSession::ReplySucceeded(TUserCmdRply *packet)
{
    const uint8_t code = PacketReader(*packet, hdr::Data).u8();
    if (code == 0)
        return true;
    const auto *reply = dynamic_cast<const TUserReply *>(packet);
    ShowStatus(ErrorText(code, reply ? reply->ErrorText : QString(), IsEnglish()));
    return false;
}

void ClientSession::ShowStatus(const QString &text, bool popup)
{
    SetPanelText(PanelStatus, text);
    if (popup && !text.isEmpty())
        QMetaObject::invokeMethod(this, [this, text] { emit popupRequested(text); }, Qt::QueuedConnection);
}

void ClientSession::SetPanelText(int panel, const QString &text)
{
    QString &slot = panels.at(size_t(panel));
    if (slot == text)
        return;
    slot = text;
    emit panelChanged(panel, text);
}

void ClientSession::ShowServerTime(uint32_t minutes)
{
    if (minutes == 0) {
        SetPanelText(PanelTime, QString());
    } else {
        const QDateTime base(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
        SetPanelText(PanelTime, base.addSecs(qint64(minutes) * 60).toString(QStringLiteral("hh:mm ")) + "GMT");
    }
    SetPanelText(PanelProtected, thread && thread->Encrypted() ? MessageText(8) : QString());
}

QString ClientSession::RateText(double rate)
{
    QString unit;
    if (rate > 100000) {
        rate /= 1000000;
        unit = QStringLiteral("Mb");
    } else if (rate > 100) {
        rate /= 1000;
        unit = QStringLiteral("Kb");
    } else if (rate >= 0.1) {
        unit = QStringLiteral("b");
    }
    QString text = MessageText(41);
    if (!unit.isEmpty())
        text += QString::asprintf("(%.1f%s)", rate, unit.toUtf8().constData());
    return text;
}

void ClientSession::Pump()
{
    if (!loggedIn || !dispatcher)
        return;
    pumpTimer.stop();
    try {
        QElapsedTimer turn;
        turn.start();
        qint64 total = 0;
        bool more = false;
        while (TPacketPtr packet = dispatcher->PopReceived()) {
            total += packet->Size;
            try {
                dispatcher->Dispatch(std::move(packet));
            } catch (const EForexException &e) {
                protocolError(e.Message());
            } catch (const std::exception &e) {
                protocolError(QString::fromUtf8(e.what()));
            }
            // A handler (or too many faults) may have ended the session.
            if (!loggedIn || !dispatcher)
                return;
            if (turn.elapsed() >= PumpBudgetMs) {
                more = dispatcher->ReceivedCount() > 0;
                break;
            }
        }
        if (total > 0) {
            const qint64 ms = qMax<qint64>(1, sinceLastPump.elapsed());
            SetPanelText(PanelConnection, RateText(double(total) * 1000.0 / double(ms)));
        }
        sinceLastPump.start();
        pumpTimer.start(more ? 0 : PumpPeriodMs);
    } catch (...) {
        disconnectedHandling();
    }
}

void ClientSession::protocolError(const QString &text)
{
    const qint64 now = clock.elapsed();
    errorTimes.push_back(now);
    while (!errorTimes.empty() && errorTimes.front() <= now - 60000)
        errorTimes.pop_front();
    if (int(errorTimes.size()) >= MaxProtocolErrors) {
        errorTimes.clear();
        disconnectedHandling();
        SetPanelText(PanelStatus, ExtraText(TExtraText::ServerErrorsDropped));
        return;
    }
    if (errorBoxOpen) {
        ++errorsWhileBoxOpen;
        SetPanelText(PanelStatus, ExtraText(TExtraText::ServerErrorMore).arg(text).arg(errorsWhileBoxOpen));
        return;
    }
    errorBoxOpen = true;
    // Shown outside the dispatch; the receiver's box is modal, so the
    // signal returns when it has been closed.
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            emit handlerFailed(text);
            errorBoxOpen = false;
            errorsWhileBoxOpen = 0;
        },
        Qt::QueuedConnection);
}
