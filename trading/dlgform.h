#pragma once

#include <functional>

#include <QDialog>

#include "dispatcher.h"

class EInputError;
struct TTradeContext;

// The common base of the trade dialogs: a fixed-size dialog translated from
// the language table when it is built. It sends one command at a time: the
// controls whose tag parameter is 999 (the lock group) are disabled while a
// command is outstanding (Busy), and the dialog refuses to close then, by
// any road (its buttons, Escape, the window's close box, done()).
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

protected:
    void closeEvent(QCloseEvent *event) override;
    // The end of a dialog's construction: translation and the fixed size.
    void FormCreate();
    // Runs a user action; an input error is shown instead of going further.
    void Guard(const std::function<void()> &action);
    // Sends a trade command. When the program is not connected "No connect"
    // is shown and nothing is sent; when the command was accepted the group
    // is locked and Busy set. True when the command went out.
    bool SendTrade(TCommandPtr command, TNotifyEvent onCancel, TPacketEvent onReply);
    bool Connected() const;
    void ShowNoConnect() const;

    TTradeContext &context;
};

// A tag carrying a caption index in the lock group.
constexpr int LockTag(int captionIndex = 0) { return (captionIndex << 16) | TDlgForm::LockGroup; }
