#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "market.h"
#include "records.h"

// The binary layouts the client reads, written field by field (little-endian,
// packed). Texts are bytes in the wire code page.

using Bytes = std::vector<uint8_t>;

void putU8(Bytes &out, uint8_t v);
void putU16(Bytes &out, uint16_t v);
void putU32(Bytes &out, uint32_t v);
void putI32(Bytes &out, int32_t v);
void putF64(Bytes &out, double v);
// A short string of a fixed capacity: capacity + 1 bytes, cut and zero-padded.
void putShortString(Bytes &out, const std::string &text, size_t capacity);

constexpr size_t InstrumentRecordSize = 28;
constexpr size_t QuoteRecordSize = 14;
constexpr size_t PositionRecordBytes = 36;
constexpr size_t OrderRecordBytes = 30;
constexpr size_t AccountHistoryRecordSize = 40;
constexpr size_t OrderHistoryRecordSize = 31;
constexpr size_t BarRecordSize = 20;
constexpr size_t SysVariablesSize = 122;
constexpr size_t MailHeaderSize = 370;

constexpr size_t SenderCapacity = 100;
constexpr size_t SubjectCapacity = 254;
constexpr size_t TitleCapacity = 100;

void putInstrument(Bytes &out, const Instrument &i);
void putQuote(Bytes &out, const Instrument &i);
void putPosition(Bytes &out, const Position &p);
void putOrder(Bytes &out, const Order &o);
void putAccountHistory(Bytes &out, const AccountHistoryEntry &h);
void putOrderHistory(Bytes &out, const OrderHistoryEntry &h);
void putBar(Bytes &out, const Bar &b);
void putMail(Bytes &out, const Mail &m);
void putMessage(Bytes &out, const ChatMessage &m);

// Side of an order type: 1 for types 1, 2, 4; 2 for 3, 5, 6; 0 otherwise.
int orderSide(int type);
