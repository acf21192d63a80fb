#include "listmail.h"

#include <stdexcept>

#include <QDir>
#include <QFile>

#include "languagetables.h"
#include "messagefiles.h"
#include "packet.h"
#include "textformat.h"

TListMail::~TListMail()
{
    // The records' destructors reach the view through this list.
    Clear();
}

void TListMail::AttachView(TRowView *view)
{
    TUserBaseList::AttachView(view);
    Footer = view ? view->FooterRow() : nullptr;
    WriteCounts();
}

void TListMail::DetachView()
{
    TUserBaseList::DetachView();
    Footer = nullptr;
}

QString TListMail::FilePath(qint32 account) const
{
    return QDir(DataDir).filePath(QStringLiteral("mail-%1.msg").arg(account));
}

TListMail::Counts TListMail::CountMail() const
{
    Counts c;
    for (int i = 0; i < Count(); ++i) {
        const TUserMail *m = Item(i);
        ++c.Total;
        if (m->New)
            ++c.New;
        else if (m->Unread)
            ++c.Unread;
    }
    return c;
}

void TListMail::WriteCounts()
{
    if (!Footer)
        return;
    const Counts c = CountMail();
    Footer->SetCaption(FormatText(MessageText(57), {c.Total, c.Unread, c.New}));
    Footer->SetImage(6);
}

QByteArray TListMail::EncodeFile(const TListMail &list)
{
    TFileImage image;
    image.I32(list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        const TUserMail *m = list.Item(i);
        image.I32(m->Id);
        image.U8(m->Unread ? 1 : 0);
        image.F64(m->Date);
        image.Bytes(m->From);
        image.Bytes(m->Subject);
        image.Bytes(m->Content);
    }
    return image.Data();
}

void TListMail::SaveMailbox()
{
    if (MailAccount < 1 || !Modified)
        return;
    const QString path = FilePath(MailAccount);
    if (damagedPath == path) {
        KeepDamagedCopy(path);
        damagedPath.clear();
    }
    if (!WriteFileAtomically(path, EncodeFile(*this)))
        throw std::runtime_error(SaveFailedText().toStdString());
    Modified = false;
}

void TListMail::LoadMailbox(qint32 account)
{
    if (account == MailAccount)
        return;
    try {
        SaveMailbox();
    } catch (const std::exception &) {
        if (ShowStatus)
            ShowStatus(SaveFailedText());
    }
    Modified = false;
    Clear();
    MailAccount = account;
    damagedPath.clear();
    const QString path = FilePath(account);
    QFile file(path);
    if (file.exists()) {
        bool whole = file.open(QIODevice::ReadOnly);
        TFileCursor in(whole ? file.readAll() : QByteArray());
        qint32 count = 0;
        whole = whole && in.I32(count) && count >= 0;
        if (View)
            View->BeginUpdate();
        for (qint32 i = 0; whole && i < count; ++i) {
            auto mail = std::make_unique<TUserMail>(this);
            quint8 unread = 0;
            whole = in.I32(mail->Id) && in.U8(unread) && in.F64(mail->Date) && in.Bytes(mail->From)
                    && in.Bytes(mail->Subject) && in.Bytes(mail->Content) && !Find(mail->Id);
            if (!whole)
                break;
            mail->Unread = unread != 0;
            TUserMail *shown = mail.get();
            Add(std::move(mail));
            if (View)
                shown->FillItem(View->AddRow());
        }
        if (View)
            View->EndUpdate();
        if (!whole) {
            damagedPath = path;
            if (ShowStatus)
                ShowStatus(LoadFailedText());
        }
    }
    WriteCounts();
}

void TListMail::DeleteMail(qint32 id)
{
    TUserMail *mail = FindRecord(id);
    if (!mail)
        return;
    Remove(mail);
    WriteCounts();
    Modified = true;
    SaveMailbox();
}

void TListMail::MarkRead(TUserMail *mail)
{
    if (!mail || !mail->Unread)
        return;
    mail->Unread = false;
    WriteCounts();
    Modified = true;
    if (View)
        View->Repaint();
}

TUserMail *TListMail::AddReceived(std::span<const uint8_t> data)
{
    if (data.size() >= 4 && Find(qint32(GetU32(data.data()))))
        return nullptr;
    auto mail = std::make_unique<TUserMail>(this);
    // Read before it is added: a damaged record changes nothing.
    mail->LoadFrom(data);
    TUserMail *added = mail.get();
    Modified = true;
    Add(std::move(mail));
    WriteCounts();
    return added;
}
