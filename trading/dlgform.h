#pragma once

#include <functional>

#include <QDialog>
#include <QPointer>

#include "dispatcher.h"

class EInputError;
class QMessageBox;
class QTimer;
struct TTradeContext;

// The common base of the trade dialogs: a fixed-size dialog translated from
// the language table when it is built. It sends one command at a time: the
// controls whose tag parameter is 999 (the lock group) are disabled while a
// command is outstanding (Busy), and the dialog refuses to close then, by
// any road (its buttons, Escape, the window's close box, done()).
//
// A dealer that never answers must not hold the program: when no reply has
// come ReplyTimeoutMs after a command went out, a notice in its own window
// (modal to this dialog only, so the reply is still handled) offers to stop
// waiting. A reply or the end of the connection closes the notice; keeping
// on waiting shows it again after another period.
class TDlgForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int LockGroup = 999;

    explicit TDlgForm(TTradeContext &context, QWidget *parent = nullptr);

    // Disables (locked) or enables the lock group. The group is never
    // enabled while a command is outstanding.
    void SetLocked(bool locked);
    // Takes a control out of the lock group and disables it for good.
    static void KeepDisabled(QWidget *control);

    void done(int result) override;
    void reject() override;

    TTradeContext &Context() const { return context; }
    bool Busy = false;

    // The notice that the dealer has not answered, while it is shown.
    QMessageBox *NoAnswerNotice() const;
    // True from a command's sending until its reply, its cancel or StopWaiting.
    bool WaitingForReply() const { return waiting; }
    // Gives up the reply: its event is removed (a late reply is ignored), the
    // dialog unlocks and closes, and the status bar says that the outcome
    // will show through the dealer's pushes.
    void StopWaiting();
    bool StoppedWaiting() const { return stoppedWaiting; }

protected:
    void closeEvent(QCloseEvent *event) override;
    // The end of a dialog's construction: translation and the fixed size.
    void FormCreate();
    // Runs a user action; an input error is shown instead of going further.
    void Guard(const std::function<void()> &action);
    // Sends a trade command (the requote answer too). When the program is
    // not connected "No connect" is shown and nothing is sent; when the
    // command was accepted the group is locked, Busy set and the wait for
    // the reply watched. True when the command went out.
    bool SendTrade(TCommandPtr command, TNotifyEvent onCancel, TPacketEvent onReply);
    bool Connected() const;
    void ShowNoConnect() const;

    TTradeContext &context;

private:
    // The wait numbered serial ended (its reply or cancel came); a stale
    // number, from a command already over, changes nothing.
    void endWait(quint64 serial);
    void showNoAnswer();
    void noticeAnswered(quint64 serial, bool stop);
    void closeNotice();

    QTimer *replyTimer;
    QPointer<QMessageBox> notice;
    TFxEvent *replyEvent = nullptr;  // valid while waiting: removed only by the dispatcher's reply or cancel
    quint64 waitSerial = 0;
    bool waiting = false;
    bool stoppedWaiting = false;
};

// A tag carrying a caption index in the lock group.
constexpr int LockTag(int captionIndex = 0) { return (captionIndex << 16) | TDlgForm::LockGroup; }

// Runs a trade dialog modally, then clears the status text its refusals
// left there; the notice of a reply given up on stays.
void RunClearingStatus(TDlgForm &form);
