#include "frmviewmessages.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include "chatlog.h"
#include "focusonhover.h"
#include "languagetables.h"
#include "units.h"
#include "wiretext.h"

namespace {

// TColor values are 0x00BBGGRR: 0x0000FF is red, 0xFF0000 blue.
QColor fromTColor(quint32 c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

} // namespace

void AppendChatMessage(QTextEdit *edit, const TMessageItem &item, const QString &datePattern)
{
    QTextCursor cursor(edit->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(fromTColor(item.Incoming ? 0x0000FF : 0xFF0000));
    format.setFontWeight(QFont::Bold);
    if (!edit->document()->isEmpty())
        cursor.insertBlock();
    cursor.insertText(QStringLiteral("%1 %2:").arg(formatDateTime(datePattern, item.Date), DecodeWireText(item.Sender)),
                      format);
    format.setFontWeight(QFont::Normal);
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("\t") + TChatLog::DisplayText(item.Text), format);
    edit->setTextCursor(cursor);
    edit->verticalScrollBar()->setValue(edit->verticalScrollBar()->maximum());
}

TfrmViewMessages::TfrmViewMessages(QWidget *parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmViewMessages"));
    resize(538, 330);
    reContent = NewContentPane(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(reContent);
    setFocusPolicy(Qt::StrongFocus);
    (new TFocusOnHover(this))->Watch(reContent->viewport());
    Retranslate();
}

void TfrmViewMessages::Retranslate() { setWindowTitle(CaptionText(130 << 16)); }

void TfrmViewMessages::Append(const TMessageItem &item)
{
    AppendChatMessage(reContent, item, QStringLiteral("dd.mm.yyyy hh:nn"));
}

void TfrmViewMessages::Clear() { reContent->clear(); }

void TfrmViewMessages::SetLoading(bool loading) { reContent->setUpdatesEnabled(!loading); }
