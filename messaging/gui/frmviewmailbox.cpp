#include "frmviewmailbox.h"

#include <stdexcept>

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>

#include "languagetables.h"
#include "listmail.h"
#include "listrowdelegate.h"
#include "mailicons.h"
#include "messagefiles.h"

namespace {

// The list's own painting, with unread mail in bold.
class TMailRowDelegate : public TListRowDelegate {
public:
    TMailRowDelegate(TCMListView *view) : TListRowDelegate(view), view(view) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const TListRow *row = view->Row(index.row());
        const auto *mail = row && !row->IsFooter() ? dynamic_cast<const TUserMail *>(row->Data()) : nullptr;
        if (!mail || !mail->Unread) {
            TListRowDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem bold(option);
        bold.font.setBold(true);
        bold.fontMetrics = QFontMetrics(bold.font);
        TListRowDelegate::paint(painter, bold, index);
    }

private:
    TCMListView *view;
};

TListColumn column(int caption, int min, int max) { return {caption, Qt::AlignLeft, min, max, true, min}; }

} // namespace

TfrmViewMailBox::TfrmViewMailBox(TListMail &list, QWidget *parent)
    : TfrmBase(129, list, {column(0, 60, 80), column(124, 100, 300), column(125, 60, 0), column(126, 80, 100)},
               true, MailIcons(), parent),
      mail(list)
{
    lv->setItemDelegate(new TMailRowDelegate(lv));
    // The date's limit of 100 pixels fits a date in the design font; in a
    // wider font it grows to one whole date in bold (unread mail).
    QFont bold(lv->font());
    bold.setBold(true);
    const int dateWidth =
        QFontMetrics(bold).horizontalAdvance(QStringLiteral("00.00.0000 00:00")) + 2 * TListRowDelegate::TextPadding + 2;
    lv->Rows().SetColumnMaxWidth(3, std::max(100, dateWidth));
    lv->RowFont = [](const TListRow &row, const QFont &base) {
        const auto *m = row.IsFooter() ? nullptr : dynamic_cast<const TUserMail *>(row.Data());
        QFont f(base);
        f.setBold(m && m->Unread);
        return f;
    };
    lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    AopenMessage = addAction(128, [this] {
        TUserMail *m = SelectedMail();
        if (!m)
            return;
        if (ShowMail)
            ShowMail(m);
        mail.MarkRead(m);
    });
    Adeletemail = addAction(127, [this] {
        TUserMail *m = SelectedMail();
        if (!m || !Confirm || !Confirm(MessageText(55)))
            return;
        if (HideMail)
            HideMail(m->Id);
        try {
            mail.DeleteMail(m->Id);
        } catch (const std::exception &) {
            // Removed from the list all the same; the next save tries again.
            if (mail.ShowStatus)
                mail.ShowStatus(SaveFailedText());
        }
        UpdateActions();
    });
    contextMenu->addAction(AopenMessage);
    contextMenu->addSeparator();
    contextMenu->addAction(Adeletemail);
    connect(lv, &TCMListView::rowActivated, this, [this](TListRow *) { AopenMessage->trigger(); });
    Confirm = [this](const QString &question) {
        // The title is the same in both languages.
        return QMessageBox::question(this, QStringLiteral("Kelvra"), question, QMessageBox::Ok | QMessageBox::Cancel)
               == QMessageBox::Ok;
    };
    Retranslate();
    UpdateActions();
}

TfrmViewMailBox::~TfrmViewMailBox()
{
    if (lv->Attached())
        lv->Detach();
    lv->disconnect(this);
}

void TfrmViewMailBox::Retranslate()
{
    TfrmBase::Retranslate();
    // "Id" has no entry in the tables and is never translated.
    QStringList texts;
    for (int c = 0; c < lv->Rows().columnCount(); ++c)
        texts << (c == 0 ? QStringLiteral("Id") : lv->Rows().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    lv->Rows().SetHeaderTexts(texts);
    mail.WriteCounts();
}

TUserMail *TfrmViewMailBox::SelectedMail() const { return dynamic_cast<TUserMail *>(lv->SelectedRecord()); }

void TfrmViewMailBox::UpdateActions()
{
    const bool selected = SelectedMail() != nullptr;
    AopenMessage->setEnabled(selected);
    Adeletemail->setEnabled(selected);
}
