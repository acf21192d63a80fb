#pragma once

#include <cstdint>

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

// Login payload of 101 and 102: u32 account, password of capacity 10 (15 bytes).
TCommandPtr NewLoginCommand(uint8_t code, uint32_t account, const QString &password);
// Registration payload of 103: name (40), e-mail (80), u32 list index, u32 amount (130 bytes).
TCommandPtr NewRegisterCommand(const QString &name, const QString &email, uint32_t group, uint32_t deposit);
