#pragma once

#include <QWidget>

class QTextEdit;
struct TMessageItem;

// The chat history: every message of the account with its full date,
// those of earlier runs too.
class TfrmViewMessages : public QWidget {
    Q_OBJECT
public:
    explicit TfrmViewMessages(QWidget *parent = nullptr);
    void Append(const TMessageItem &item);
    void Clear();
    // Suspends the control's updates while a file is read.
    void SetLoading(bool loading);
    void Retranslate();

    QTextEdit *reContent;
};

// Appends a bold header line (date, sender, colon) in red for an incoming
// message or blue for a sent one, then the text indented by a tab.
void AppendChatMessage(QTextEdit *edit, const TMessageItem &item, const QString &datePattern);
