#include "usercurrency.h"

#include <cmath>
#include <cstring>

#include "packet.h"
#include "wiretext.h"

namespace {

QString readName(const uint8_t *p, int capacity)
{
    const int length = p[0] > capacity ? capacity : p[0];
    return DecodeWireText(p + 1, size_t(length)).trimmed().left(capacity);
}

// A wire minute count of 0 means the instrument was never quoted.
TDateTime quoteTimeFromMinutes(quint32 minutes)
{
    return minutes == 0 ? 0.0 : MinutesToDateTime(qint32(minutes));
}

} // namespace

void TUserCurrency::LoadFrom(std::span<const uint8_t> data)
{
    RequireSize(data, WireSize);
    const uint8_t *p = data.data();
    Id = GetU16(p);
    Kind = p[2];
    Name = readName(p + 3, 10);
    QuoteTime = quoteTimeFromMinutes(GetU32(p + 14));
    CrossId = GetU16(p + 18);
    Ask = qint32(GetU32(p + 20));
    Bid = qint32(GetU32(p + 24));
    Mark = -1;
    ShowInView();
}

void TUserCurrency::ApplyQuote(std::span<const uint8_t> quote)
{
    RequireSize(quote, QuoteSize);
    ApplyQuote(qint32(GetU32(quote.data() + 2)), qint32(GetU32(quote.data() + 6)), GetU32(quote.data() + 10));
}

void TUserCurrency::ApplyQuote(qint32 ask, qint32 bid, quint32 minutes)
{
    Mark = 2;
    if (Bid > bid)
        Mark = 1;
    else if (Bid < bid)
        Mark = 0;
    Ask = ask;
    Bid = bid;
    QuoteTime = quoteTimeFromMinutes(minutes);
    RefreshItem();
}

QString TUserCurrency::TimeText() const
{
    return QuoteTime == 0 ? QString() : formatDateTime(QStringLiteral("hh:nn"), QuoteTime);
}

QString TUserCurrency::DateTimeText() const
{
    return QuoteTime == 0 ? QString() : formatDateTime(QStringLiteral("dd.mm.yyyy hh:nn"), QuoteTime);
}

void TUserCurrency::FillItem(TRowItem *row)
{
    TUserViewObject::FillItem(row);
    if (!Item)
        return;
    Item->SetCaption(Name);
    writeChangingColumns();
}

void TUserCurrency::RefreshItem()
{
    if (Item)
        writeChangingColumns();
}

void TUserCurrency::writeChangingColumns()
{
    Item->SetImage(Mark);
    Item->SetSubItem(0, BidText());
    Item->SetSubItem(1, AskText());
    Item->SetSubItem(2, TimeText());
}

std::array<uint8_t, TUserCurrency::ImageSize> TUserCurrency::SaveImage() const
{
    std::array<uint8_t, ImageSize> image{};
    uint8_t *p = image.data();
    PutU32(p, uint32_t(Id));
    // 4..11: two object references, meaningless once stored: left zero.
    PutU32(p + 12, uint32_t(Ask));
    PutU32(p + 16, uint32_t(Bid));
    WriteShortString(p + 20, Name, 10);
    PutU32(p + 31, uint32_t(Kind));
    uint64_t bits = 0;
    std::memcpy(&bits, &QuoteTime, sizeof bits);
    for (int i = 0; i < 8; ++i)
        p[35 + i] = uint8_t(bits >> (8 * i));
    PutU32(p + 43, uint32_t(CrossId));
    return image;
}

void TUserCurrency::LoadImage(std::span<const uint8_t> image)
{
    RequireSize(image, ImageSize);
    const uint8_t *p = image.data();
    Id = qint32(GetU32(p));
    Ask = qint32(GetU32(p + 12));
    Bid = qint32(GetU32(p + 16));
    Name = readName(p + 20, 10);
    Kind = qint32(GetU32(p + 31));
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | p[35 + i];
    double time = 0;
    std::memcpy(&time, &bits, sizeof time);
    QuoteTime = std::isfinite(time) ? time : 0.0;
    CrossId = qint32(GetU32(p + 43));
    Item = nullptr;
    Mark = -1;
}
