#pragma once

#include <functional>

#include "dockableform.h"

class QAction;
class QPlainTextEdit;
class QTextEdit;
class QToolButton;
class TChatLog;
class TfrmViewMessages;
struct TMessageItem;

// The chat window: this run's conversation above the input box. Ctrl+Enter
// sends, Enter breaks the line.
class TfrmChat : public TDockableForm {
    Q_OBJECT
public:
    static constexpr int MaxInput = 500;

    TfrmChat(TChatLog &log, TfrmViewMessages &history, QWidget *parent = nullptr);
    ~TfrmChat() override;

    void UpdateActions();
    void Retranslate();
    void Clear();
    // True while the keyboard focus is on the window frame itself (not
    // on one of its controls).
    bool FrameHasFocus() const;

    QTextEdit *reHistory;
    QPlainTextEdit *textIn;
    QToolButton *btnSend, *SpeedButton1;
    QAction *Asend, *AviewHistory;
    std::function<bool()> Connected;

signals:
    void openChanged(bool open);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void sendingChanged(bool sending);
    void limitInput();

    TChatLog &log;
    TfrmViewMessages &history;
};
