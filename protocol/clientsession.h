#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include "connectthread.h"
#include "dispatcher.h"

// The main-thread side of the connection, shared by the desktop client and
// the headless client: owns the dispatcher and the connection thread, reacts
// to the thread's notifications, pumps received packets every 250 ms, numbers
// and queues commands, reconnects every 30 seconds after a loss, and keeps
// the four status texts (protection, status, connection/rate, server time).
class ClientSession : public QObject {
    Q_OBJECT
public:
    enum Panel { PanelProtected = 0, PanelStatus = 1, PanelConnection = 2, PanelTime = 3 };

    explicit ClientSession(QObject *parent = nullptr);
    ~ClientSession() override;

    TDispCmdRply &Dispatcher() { return *dispatcher; }
    TConnectThread &Thread() { return *thread; }

    // Disconnected handling, then a login attempt with these values (kept as
    // the saved login that automatic reconnection repeats).
    void Login(uint32_t account, const QString &password, const TKeyRecord &key);
    // A registration attempt.
    void Register(const QString &name, const QString &email, uint32_t deposit, uint32_t group);
    // Drops the connection (the disconnected handling).
    void Disconnect();

    bool LoggedIn() const { return loggedIn; }
    void SetAutoReconnect(bool on) { autoReconnect = on; }
    bool AutoReconnect() const { return autoReconnect; }
    uint32_t SavedAccount() const { return savedAccount; }
    QString SavedPassword() const { return savedPassword; }

    // Numbers and queues a command and waits for its reply; "No connect"
    // and false when not logged in (the command is freed). replyEvent, when
    // given, receives the reply event (null for a no-reply command), so that
    // a caller that stops waiting can remove it with Dispatcher().RemoveEvent.
    bool SendCommand(TCommandPtr command, TNotifyEvent onCancel, TPacketEvent onReply,
                     TFxEvent **replyEvent = nullptr);
    // The session's own requests: the reply event is registered before
    // queuing, even for a no-reply command; nothing at all when logged out.
    void SendRequest(TCommandPtr command, TPacketEvent onReply);

    // True when the reply's error byte is 0; otherwise its error text goes
    // to the status panel and the answer is false.
    bool ReplySucceeded(TUserCmdRply *packet);

    // Status text (panel 1); with popup the text is also offered for a message box.
    void ShowStatus(const QString &text, bool popup = false);
    QString PanelText(int panel) const { return panels.at(size_t(panel)); }
    void SetPanelText(int panel, const QString &text);
    // Panel 3 from a server time (minutes since 2000-01-01), panel 0 from the protection.
    void ShowServerTime(uint32_t minutes);

    // One pump step (the timer calls it every 250 ms while logged in). A
    // turn ends after PumpBudgetMs; the packets left wait, in order, for the
    // next turn, which then comes at once so the window keeps responding.
    void Pump();
    static constexpr int PumpBudgetMs = 50;
    // Faulty packets within a minute after which the connection is dropped.
    static constexpr int MaxProtocolErrors = 100;
    // Bytes per second as the connection panel shows it: "Connect (1.5Kb)".
    static QString RateText(double bytesPerSecond);

    // Asked at each automatic reconnection for the key record to log in
    // with, so a key file changed or removed meanwhile is noticed; false
    // means no attempt this time. Unset: the key of the last login is used.
    std::function<bool(TKeyRecord &key)> ReloadKey;

    // One tick of the 30-second reconnection timer (tests drive it directly).
    void AutoConnectTick() { autoConnectTick(); }
    bool AutoConnectTimerActive() const { return autoConnectTimer.isActive(); }
    // Ends the connection thread (program exit); the session is unusable after.
    void Shutdown();

signals:
    void loggedInChanged(bool loggedIn);
    // After the connected handling: the place to send start-up requests and
    // register push handlers.
    void sessionStarted();
    void sessionEnded();
    void panelChanged(int panel, const QString &text);
    // A text to show in a message box; emitted queued, never inside a dispatch.
    void popupRequested(const QString &text);
    void handlerFailed(const QString &text);
    void registrationDone(uint32_t account, const QString &password);

protected:
    bool event(QEvent *e) override;

private:
    void connectedHandling();
    void disconnectedHandling();
    void autoConnectTick();
    bool isCurrent(const TThreadEvent &e) const;
    // A packet whose handler failed: one message box at a time (the others
    // go to the status panel with a count), and a server that keeps failing
    // loses its connection.
    void protocolError(const QString &text);

    std::unique_ptr<TDispCmdRply> dispatcher;
    std::unique_ptr<TConnectThread> thread;
    QTimer pumpTimer;
    QTimer autoConnectTimer;
    QElapsedTimer sinceLastPump;
    QElapsedTimer clock;
    std::deque<qint64> errorTimes;  // of the last minute's faulty packets
    bool errorBoxOpen = false;
    int errorsWhileBoxOpen = 0;
    std::array<QString, 4> panels;
    bool loggedIn = false;
    bool autoReconnect = false;
    bool inDisconnect = false;
    uint32_t savedAccount = 0;
    QString savedPassword;
    TKeyRecord savedKey{};
};
