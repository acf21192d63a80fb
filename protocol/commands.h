#pragma once

#include <cstdint>
#include <vector>

#include <QString>

#include "packet.h"

// Command codes exchanged with the dealing server.
enum TCommandCode : uint8_t {
    // sent by the client
    cmdLogin = 101,
    cmdLoginConfirm = 102,
    cmdRegister = 103,
    cmdGetInstruments = 105,
    cmdGetOrders = 108,
    cmdGetPositions = 109,
    cmdPlace = 113,
    cmdGetPosition = 115,
    cmdChangePosition = 117,
    cmdGetOrder = 121,
    cmdChangeOrder = 124,
    cmdDeleteOrder = 125,
    cmdGetAccount = 127,
    cmdGetAccountHistory = 129,
    cmdGetHistoryBars = 130,
    cmdGetSysVariables = 131,
    cmdClosePosition = 135,
    cmdGroupOrders = 137,
    cmdGetOrderHistory = 139,
    cmdConfirmPrice = 140,
    cmdReversePosition = 141,
    cmdGetMessageIds = 144,
    cmdGetMailIds = 145,
    cmdGetMessage = 146,
    cmdGetMail = 147,
    cmdSendMessage = 149,
    cmdMessageRead = 150,
    cmdMailRead = 151,
    // pushed by the server
    cmdQuote = 104,
    cmdServerTime = 112,
    cmdPositionOpened = 114,
    cmdPositionChanged = 116,
    cmdPositionClosed = 118,
    cmdOrderPlaced = 119,
    cmdOrderChanged = 122,
    cmdOrderDeleted = 123,
    cmdAccountChanged = 128,
    cmdPositionsChanged = 134,
    cmdSysVariablesChanged = 136,
    cmdOrdersChanged = 138,
    cmdNewMessage = 143,
    cmdNewMail = 148,
};

// Field images of the order record as the client sends it (113, 124).
struct TOrderFields {
    uint32_t Id = 0;
    uint8_t Group = 0;
    uint16_t CurrencyId = 0;
    uint8_t Side = 0;        // 1 buy, 2 sell: market positions only
    uint8_t OrderType = 0;   // 1 market buy, 6 market sell, 2..5 pending
    uint32_t Time = 0;
    uint32_t Reserved = 0;   // carried back as the server sent it
    uint8_t Lots = 0;
    uint32_t TakeProfit = 0; // 0 = none
    uint32_t StopLoss = 0;   // 0 = none
    uint32_t Price = 0;
};
constexpr int OrderRecordSize = 30;
constexpr int PositionRecordSize = 36;
constexpr int MaxMessageTextBytes = 512;

void WriteOrderRecord(uint8_t *out, const TOrderFields &order);

// 113: a market position or a pending order.
TCommandPtr NewPlaceCommand(const TOrderFields &order);
// 117: the position's own 36-byte image with the new take profit and stop loss.
TCommandPtr NewChangePositionCommand(const uint8_t (&position)[PositionRecordSize], uint32_t takeProfit,
                                     uint32_t stopLoss);
// 124: the order with its new price, take profit and stop loss.
TCommandPtr NewChangeOrderCommand(const TOrderFields &order);
// 135: position id, lots to close, close price (9 bytes).
TCommandPtr NewClosePositionCommand(uint32_t positionId, uint8_t lots, uint32_t price);
// 137: group number and order ids; a single order is sent with count 0 and no ids.
TCommandPtr NewGroupOrdersCommand(uint8_t group, const std::vector<uint32_t> &orderIds);
// 141: position id, price, lots entered minus the position's lots.
TCommandPtr NewReversePositionCommand(uint32_t positionId, uint32_t price, int32_t lotsDifference);
// 140: the answer to a requote.
TCommandPtr NewConfirmPriceCommand(bool accept);
// 129 / 139: history of the last days (0 = all).
TCommandPtr NewHistoryCommand(uint8_t code, uint32_t days);
// 130: bars of one instrument and timeframe newer than the newest bar held.
TCommandPtr NewHistoryBarsCommand(uint16_t instrumentId, uint8_t timeframe, uint32_t newestBarTime);
// 149: a chat text with id 0 and the local time (days since 1899-12-30); cut to 512 bytes.
TCommandPtr NewSendMessageCommand(const QString &text, double localTime);
// The same with the text's wire bytes as they are (the cut counts every byte, CRs too).
TCommandPtr NewSendMessageCommand(const QByteArray &text, double localTime);
// 150 / 151: a message or mail has been read; no reply.
TCommandPtr NewReadReceipt(uint8_t code, uint32_t id);

// Login payload of 101 and 102: u32 account, password of capacity 10 (15 bytes).
TCommandPtr NewLoginCommand(uint8_t code, uint32_t account, const QString &password);
// Registration payload of 103: name (40), e-mail (80), u32 list index, u32 amount (130 bytes).
TCommandPtr NewRegisterCommand(const QString &name, const QString &email, uint32_t group, uint32_t deposit);
