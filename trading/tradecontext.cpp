#include "tradecontext.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

#include "errortext.h"
#include "languagetables.h"
#include "packet.h"

void TTradeContext::Error(QWidget *parent, const QString &text) const
{
    if (ShowError) {
        ShowError(parent, text);
        return;
    }
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
}

bool TTradeContext::Ask(QWidget *parent, const QString &caption, const QString &text) const
{
    if (AskOkCancel)
        return AskOkCancel(parent, caption, text);
    return QMessageBox::question(parent, caption, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel)
        == QMessageBox::Ok;
}

int TTradeContext::Run(QDialog &dialog) const { return RunModal ? RunModal(dialog) : dialog.exec(); }

TTradeResult ReadTradeResult(const TUserCmdRply &packet)
{
    TTradeResult r;
    const TPacketBuffer &b = packet.Buffer;
    if (b.size() <= size_t(hdr::Data)) {
        r.Text = ErrorText(r.Code, QString(), IsEnglish());
        return r;
    }
    r.Code = b[hdr::Data];
    if (r.Code == 0)
        return r;
    const auto *reply = dynamic_cast<const TUserReply *>(&packet);
    r.Text = ErrorText(r.Code, reply ? reply->ErrorText : QString(), IsEnglish());
    // A requote without its price cannot be offered: it is an error like any other.
    if (r.Code == ErrorRequote && b.size() >= size_t(hdr::ReplyData) + 4) {
        r.Requote = true;
        r.Price = qint32(GetU32(&b[hdr::ReplyData]));
    }
    return r;
}
