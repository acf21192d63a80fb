#include "commands.h"

#include "wiretext.h"

#include <cstring>

TCommandPtr NewLoginCommand(uint8_t code, uint32_t account, const QString &password)
{
    TCommandPtr command = NewCommand(code, 15);
    uint8_t *data = &command->Buffer[hdr::Data];
    PutU32(data, account);
    WriteShortString(data + 4, password, 10);
    return command;
}

TCommandPtr NewRegisterCommand(const QString &name, const QString &email, uint32_t group, uint32_t deposit)
{
    TCommandPtr command = NewCommand(cmdRegister, 130);
    uint8_t *data = &command->Buffer[hdr::Data];
    WriteShortString(data, name, 40);
    WriteShortString(data + 41, email, 80);
    PutU32(data + 122, group);
    PutU32(data + 126, deposit);
    return command;
}

void WriteOrderRecord(uint8_t *out, const TOrderFields &o)
{
    std::memset(out, 0, OrderRecordSize);
    PutU32(out, o.Id);
    out[4] = o.Group;
    PutU16(out + 5, o.CurrencyId);
    out[7] = o.Side;
    out[8] = o.OrderType;
    PutU32(out + 9, o.Time);
    PutU32(out + 13, o.Reserved);
    out[17] = o.Lots;
    PutU32(out + 18, o.TakeProfit);
    PutU32(out + 22, o.StopLoss);
    PutU32(out + 26, o.Price);
}

TCommandPtr NewPlaceCommand(const TOrderFields &order)
{
    TCommandPtr command = NewCommand(cmdPlace, OrderRecordSize);
    WriteOrderRecord(&command->Buffer[hdr::Data], order);
    return command;
}

TCommandPtr NewChangePositionCommand(const uint8_t (&position)[PositionRecordSize], uint32_t takeProfit,
                                     uint32_t stopLoss)
{
    TCommandPtr command = NewCommand(cmdChangePosition, PositionRecordSize);
    uint8_t *data = &command->Buffer[hdr::Data];
    std::memcpy(data, position, PositionRecordSize);
    PutU32(data + 28, takeProfit);
    PutU32(data + 32, stopLoss);
    return command;
}

TCommandPtr NewChangeOrderCommand(const TOrderFields &order)
{
    TCommandPtr command = NewCommand(cmdChangeOrder, OrderRecordSize);
    WriteOrderRecord(&command->Buffer[hdr::Data], order);
    return command;
}

TCommandPtr NewClosePositionCommand(uint32_t positionId, uint8_t lots, uint32_t price)
{
    TCommandPtr command = NewCommand(cmdClosePosition, 9);
    uint8_t *data = &command->Buffer[hdr::Data];
    PutU32(data, positionId);
    data[4] = lots;
    PutU32(data + 5, price);
    return command;
}

TCommandPtr NewGroupOrdersCommand(uint8_t group, const std::vector<uint32_t> &orderIds)
{
    // One chosen order travels as a bare group number with count 0.
    const size_t count = orderIds.size() > 1 ? orderIds.size() : 0;
    TCommandPtr command = NewCommand(cmdGroupOrders, int(3 + 4 * count));
    uint8_t *data = &command->Buffer[hdr::Data];
    data[0] = group;
    PutU16(data + 1, uint16_t(count));
    for (size_t i = 0; i < count; ++i)
        PutU32(data + 3 + 4 * i, orderIds[i]);
    return command;
}

TCommandPtr NewReversePositionCommand(uint32_t positionId, uint32_t price, int32_t lotsDifference)
{
    TCommandPtr command = NewCommand(cmdReversePosition, 12);
    uint8_t *data = &command->Buffer[hdr::Data];
    PutU32(data, positionId);
    PutU32(data + 4, price);
    PutU32(data + 8, uint32_t(lotsDifference));
    return command;
}

TCommandPtr NewConfirmPriceCommand(bool accept) { return NewCommandU32(cmdConfirmPrice, accept ? 1 : 0); }

TCommandPtr NewHistoryCommand(uint8_t code, uint32_t days) { return NewCommandU32(code, days); }

TCommandPtr NewHistoryBarsCommand(uint16_t instrumentId, uint8_t timeframe, uint32_t newestBarTime)
{
    TCommandPtr command = NewCommand(cmdGetHistoryBars, 12);
    uint8_t *data = &command->Buffer[hdr::Data];
    PutU16(data, instrumentId);
    data[2] = 2;
    data[3] = timeframe;
    PutU32(data + 4, newestBarTime);
    PutU32(data + 8, 0x00FFFFFF);
    return command;
}

TCommandPtr NewSendMessageCommand(const QString &text, double localTime)
{
    return NewSendMessageCommand(EncodeWireText(text), localTime);
}

TCommandPtr NewSendMessageCommand(const QByteArray &text, double localTime)
{
    QByteArray bytes = text;
    if (bytes.size() > MaxMessageTextBytes)
        bytes.truncate(MaxMessageTextBytes);
    TCommandPtr command = NewCommand(cmdSendMessage, int(14 + bytes.size()));
    uint8_t *data = &command->Buffer[hdr::Data];
    PutU32(data, 0);
    uint64_t bits;
    std::memcpy(&bits, &localTime, sizeof bits);
    for (int i = 0; i < 8; ++i)
        data[4 + i] = uint8_t(bits >> (8 * i));
    PutU16(data + 12, uint16_t(bytes.size()));
    std::memcpy(data + 14, bytes.constData(), size_t(bytes.size()));
    return command;
}

TCommandPtr NewReadReceipt(uint8_t code, uint32_t id) { return NewCommandU32(code, id, true); }
