#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "packet.h"

// Records as the dealing server lays them out, built field by field for
// tests (little-endian, packed). Texts are plain ASCII here.
namespace wire {

using Bytes = std::vector<uint8_t>;

struct Instrument {  // 28 bytes
    uint16_t id = 0;
    uint8_t kind = 1;
    std::string name;
    uint32_t minutes = 0;
    uint16_t crossId = 0;
    int32_t ask = 0;
    int32_t bid = 0;
    Bytes bytes() const;
};

struct Quote {  // 14 bytes
    uint16_t id = 0;
    int32_t ask = 0;
    int32_t bid = 0;
    uint32_t minutes = 0;
    Bytes bytes() const;
};

struct Position {  // 36 bytes
    int32_t id = 0;
    uint16_t currencyId = 0;
    uint8_t operation = 1;
    uint32_t openTime = 0;
    int32_t openPrice = 0;
    uint32_t reserved1 = 0;
    uint32_t reserved2 = 0;
    int32_t swap = 0;  // cents
    uint8_t lots = 1;
    int32_t takeProfit = 0;
    int32_t stopLoss = 0;
    Bytes bytes() const;
};

struct Order {  // 30 bytes
    int32_t id = 0;
    uint8_t group = 0;
    uint16_t currencyId = 0;
    uint8_t side = 0;
    uint8_t orderType = 2;
    uint32_t time = 0;
    uint32_t reserved = 0;
    uint8_t lots = 1;
    int32_t takeProfit = 0;
    int32_t stopLoss = 0;
    int32_t price = 0;
    Bytes bytes() const;
};

struct Account {  // 8 bytes
    int32_t balance = 0;  // cents
    int32_t margin = 0;   // cents
    Bytes bytes() const;
};

struct HistoryAccount {  // 40 bytes
    int32_t id = 0;
    uint32_t time = 0;
    int32_t openPrice = 0;
    uint32_t closeTime = 0;
    int32_t closePrice = 0;
    uint8_t lots = 0;
    uint16_t currencyId = 0;
    int32_t profit = 0;  // cents
    int32_t swap = 0;    // cents
    int32_t stopLoss = 0;
    int32_t takeProfit = 0;
    uint8_t operationType = 101;
    Bytes bytes() const;
};

struct HistoryOrder {  // 31 bytes
    int32_t id = 0;
    uint8_t group = 0;
    uint16_t currencyId = 0;
    uint8_t orderType = 2;
    uint32_t openTime = 0;
    uint32_t closeTime = 0;
    uint8_t lots = 1;
    int32_t takeProfit = 0;
    int32_t stopLoss = 0;
    int32_t price = 0;
    uint8_t status = 4;
    Bytes bytes() const;
};

struct SysVariables {  // 122 bytes
    uint32_t serverTime = 0;
    int32_t lotSize = 100000;
    uint32_t kept = 0;
    std::array<uint8_t, 9> spreadTable{};
    std::string title;
    Bytes bytes() const;
};

// A list reply's data: the 16-bit count, then the records.
Bytes List(const std::vector<Bytes> &records);
template <class T>
Bytes ListOf(const std::vector<T> &records)
{
    std::vector<Bytes> raw;
    for (const T &r : records)
        raw.push_back(r.bytes());
    return List(raw);
}

// A received reply (error byte, then data) as the connection thread hands it over.
TPacketPtr Reply(uint8_t code, uint16_t packetId, const Bytes &data, uint8_t flags = pfReply, uint8_t errorCode = 0);
// A failed reply with the server's text.
TPacketPtr ErrorReply(uint8_t code, uint16_t packetId, uint8_t errorCode, const std::string &text = {});
// A received push: data from payload offset 0.
TPacketPtr Push(uint8_t code, const Bytes &data);
// A 32-bit id as push data.
Bytes U32(uint32_t value);

} // namespace wire
