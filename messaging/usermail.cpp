#include "usermail.h"

#include <cstring>

#include "forexexception.h"
#include "languagetables.h"
#include "listmail.h"
#include "packet.h"
#include "units.h"
#include "wiretext.h"

namespace {

// A short string of a fixed capacity; a length byte beyond it is clamped.
QByteArray shortString(const uint8_t *p, int capacity)
{
    const int n = std::min<int>(p[0], capacity);
    return QByteArray(reinterpret_cast<const char *>(p + 1), n);
}

} // namespace

void TUserMail::LoadFrom(std::span<const uint8_t> data)
{
    RequireSize(data, HeaderSize);
    const uint8_t *p = data.data();
    const quint16 length = GetU16(p + 368);
    if (data.size() - HeaderSize < length)
        throw EForexException(MessageText(25));
    Id = qint32(GetU32(p));
    From = shortString(p + 4, FromCapacity);
    quint64 bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= quint64(p[105 + i]) << (8 * i);
    std::memcpy(&Date, &bits, sizeof Date);
    Subject = shortString(p + 113, SubjectCapacity);
    Content = QByteArray(reinterpret_cast<const char *>(p + HeaderSize), length);
    Unread = true;
    New = true;
    ShowInView();
    if (auto *list = dynamic_cast<TListMail *>(Owner))
        list->WriteCounts();
}

QString TUserMail::FromText() const { return DecodeWireText(From); }
QString TUserMail::SubjectText() const { return DecodeWireText(Subject); }
QString TUserMail::DateText() const { return formatDateTime(QStringLiteral("dd.mm.yyyy hh:nn"), Date); }

void TUserMail::FillItem(TRowItem *row)
{
    TUserViewObject::FillItem(row);
    if (!Item)
        return;
    Item->SetCaption(QString::number(Id));
    Item->SetSubItem(0, FromText());
    Item->SetSubItem(1, SubjectText());
    Item->SetSubItem(2, DateText());
    Item->SetImage(ImageIndex());
}

void TUserMail::RefreshItem()
{
    if (Item)
        Item->SetImage(ImageIndex());
}
