#pragma once

#include <functional>
#include <vector>

#include <QByteArray>
#include <QObject>
#include <QString>

class ClientSession;
class TUserCmdRply;

// One chat message. Sender and text are Windows-1251 bytes, the text with
// CR LF line breaks, as on the wire and in the message file.
struct TMessageItem {
    qint32 Id = 0;
    bool Incoming = false;
    QByteArray Sender;
    double Date = 0;  // days since 1899-12-30
    QByteArray Text;
};

// The chat of one account (ChatAccount) without its windows: the message
// list, the sending state, the file "message-<account>.msg" of the data
// directory and the handlers of 144, 146, 143 and 149. The windows follow
// its signals.
//
// File (little-endian): i32 count, then per message i32 id, u8 incoming,
// f64 date, and sender and text each as i32 byte count + bytes.
class TChatLog : public QObject {
    Q_OBJECT
public:
    explicit TChatLog(ClientSession &session, QObject *parent = nullptr);

    // Sending off in every case. For another account (not 0): saves the
    // old one's messages (a failure is shown and the switch goes on),
    // clears both windows and reads the account's file into the history
    // only. A damaged file keeps what was read before the damage.
    void LoadMessages(qint32 account);
    // Writes the file when an account is held and the list was modified;
    // raises std::runtime_error("Could not save file of messages") on failure.
    void SaveMessages();
    // Appends to the list, the chat and the history.
    void AddMessage(qint32 id, const QByteArray &text, bool incoming, double date);
    // Sends a text typed in the input box (LF line breaks) as 149; false
    // when it is empty or there is no connection.
    bool SendText(const QString &text);

    bool Sending() const { return sending; }
    void SetSending(bool on);

    // Reply and push handlers.
    void OnMessageIds(TUserCmdRply *packet);  // 144, every part of a split reply
    void OnNewMessage(TUserCmdRply *packet);  // push 143
    void OnMessage(TUserCmdRply *packet);     // 146
    void OnSendReply(TUserCmdRply *packet);   // 149
    void RequestMessage(quint32 id);

    QString FilePath(qint32 account) const;
    static QByteArray EncodeFile(const std::vector<TMessageItem> &items);
    // Input box text (LF) to the wire's bytes (CR LF, Windows-1251).
    static QByteArray WireText(const QString &typed);
    // The text as shown: every line break (CR LF, or a lone LF or CR) is
    // followed by a tab, so continuation lines are indented.
    static QString DisplayText(const QByteArray &text);

    std::vector<TMessageItem> Items;
    bool Modified = false;
    qint32 ChatAccount = 0;
    QString DataDir;
    // The local current date-time as days (replaceable for tests).
    std::function<double()> Now;

signals:
    // Both windows are to be emptied (account change).
    void cleared();
    // A message for the chat window (this run's messages).
    void chatAppended(const TMessageItem &item);
    // A message for the history window (also those read from the file).
    void historyAppended(const TMessageItem &item);
    void historyLoading(bool begin);
    void sendingChanged(bool sending);
    // The reply to 149 arrived: the input box is to be emptied.
    void sent();
    // A new message from the dealer has been added.
    void messageArrived(const TMessageItem &item);

private:
    bool replyOk(TUserCmdRply *packet);
    void appendHistory(const TMessageItem &item);

    ClientSession &session;
    bool sending = false;
    QByteArray pendingText;
    QString damagedPath;
};
