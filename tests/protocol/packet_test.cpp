#include <gtest/gtest.h>

#include <random>

#include "commands.h"
#include "errortext.h"
#include "forexexception.h"
#include "languagetables.h"
#include "packet.h"
#include "packetreader.h"
#include "wiretext.h"

namespace {

TPacketBuffer Header(uint16_t signature, uint16_t length, uint8_t flags)
{
    TPacketBuffer b(5);
    PutU16(&b[0], signature);
    PutU16(&b[2], length);
    b[4] = flags;
    return b;
}

// A received reply as the reader would hand it over: code, id, error byte and data.
TUserReply ReceivedReply(std::vector<uint8_t> payload, uint8_t code = 109)
{
    TPacketBuffer head = Header(PacketSignature, uint16_t(payload.size()), pfReply);
    TPacketPtr p = CreatePacketFromHeader(head.data());
    std::copy(payload.begin(), payload.end(), p->Buffer.begin() + hdr::Data);
    p->Buffer[hdr::Code] = code;
    TUserReply reply(0);
    reply.Buffer = p->Buffer;
    reply.SyncSize();
    return reply;
}

} // namespace

TEST(PacketFrame, EmptyCommandIsExactlyTenBytes)
{
    TCommandPtr c = NewCommand(cmdGetInstruments, 0, false);
    const TPacketBuffer expected{0x02, 0x10, 0x00, 0x00, 0x05, 0, 0, 0, 0, cmdGetInstruments};
    EXPECT_EQ(c->Buffer, expected);
    EXPECT_EQ(c->Size, 10u);
    EXPECT_EQ(c->Id, 0);

    TCommandPtr noReply = NewCommandU32(cmdMailRead, 0x01020304, true);
    EXPECT_EQ(noReply->Buffer[hdr::Flags], 0x07);
    EXPECT_EQ(noReply->Size, 14u);
    EXPECT_EQ(GetU32(&noReply->Buffer[hdr::Data]), 0x01020304u);
    EXPECT_TRUE(noReply->NoReply);
}

TEST(PacketFrame, SetIdOnlyWithBufferAndQuerySlots)
{
    TUserCommand bare(cmdGetOrders);
    bare.SetId(5);
    EXPECT_EQ(bare.GetId(), 0);

    TCommandPtr c = NewCommand(cmdGetOrders, 0);
    c->SetId(0xBEEF);
    EXPECT_EQ(c->GetId(), 0xBEEF);
    EXPECT_EQ(GetU16(&c->Buffer[hdr::PacketId]), 0xBEEF);

    EXPECT_FALSE(c->Query0());
    EXPECT_TRUE(c->Query1());
    EXPECT_FALSE(c->Query2());
    EXPECT_TRUE(TUserCommand(107).Query2());
    EXPECT_FALSE(TUserReply(107).Query1());
    EXPECT_FALSE(TUserReply(107).Query2());
}

TEST(PacketFrame, AllocBufferSetsFlagsPerClass)
{
    TUserCommand c(cmdGetAccount);
    c.Size = 3;
    c.AllocBuffer();
    EXPECT_EQ(c.Size, 13u);
    EXPECT_EQ(c.Buffer.size(), 13u);
    EXPECT_EQ(c.PayloadLength(), 3);
    EXPECT_EQ(c.Flags(), pfCommand);

    TUserReply r(cmdGetAccount);
    r.Size = 0;
    r.AllocBuffer();
    EXPECT_EQ(r.Flags(), pfReply);
    EXPECT_EQ(r.Buffer[hdr::Code], cmdGetAccount);
}

TEST(PacketFrame, HeaderLimits)
{
    EXPECT_TRUE(IsValidHeader(Header(4098, 6144, 0x04).data()));
    EXPECT_FALSE(IsValidHeader(Header(4098, 6145, 0x04).data()));
    EXPECT_FALSE(IsValidHeader(Header(4098, 0, 0x00).data()));
    EXPECT_FALSE(IsValidHeader(Header(4097, 0, 0x05).data()));
}

TEST(PacketFrame, FactoryChoosesClassByBitZero)
{
    TPacketPtr command = CreatePacketFromHeader(Header(4098, 4, pfCommand | pfScrambled).data());
    EXPECT_NE(dynamic_cast<TUserCommand *>(command.get()), nullptr);
    EXPECT_EQ(command->Size, 14u);
    EXPECT_EQ(command->Buffer.size(), 14u);

    // Bit 0 clear makes a reply even without bit 2.
    TPacketPtr reply = CreatePacketFromHeader(Header(4098, 1, pfScrambled).data());
    EXPECT_NE(dynamic_cast<TUserReply *>(reply.get()), nullptr);
    EXPECT_EQ(reply->Code, 0);
}

TEST(Scrambling, RoundTripsAndLeavesTheFirstBytes)
{
    std::mt19937 rng(42);
    for (int length : {0, 1, 15, 16, 17, 300, 6144}) {
        TPacketBuffer original = NewPacketBuffer(length);
        for (size_t i = 5; i < original.size(); ++i)
            original[i] = uint8_t(rng());
        original[hdr::Flags] = pfCommand | pfReply;
        TPacketBuffer b = original;
        Scramble(b);
        EXPECT_EQ(b[hdr::Flags], original[hdr::Flags] | pfScrambled);
        EXPECT_TRUE(std::equal(b.begin(), b.begin() + 4, original.begin()));
        if (length > 8) {
            EXPECT_NE(b, original);
        }
        Descramble(b);
        b[hdr::Flags] &= uint8_t(~pfScrambled);
        EXPECT_EQ(b, original) << "length " << length;
    }
}

TEST(Scrambling, ChainsOnTheScrambledByte)
{
    // Byte i is XORed with K[previous scrambled byte & 15]; the first with K[0].
    TPacketBuffer b = NewPacketBuffer(2);
    b[5] = 0x11;
    b[6] = 0x22;
    Scramble(b);
    const uint8_t *k = ScrambleTable();
    const uint8_t s0 = 0x11 ^ k[0];
    const uint8_t s1 = 0x22 ^ k[s0 & 15];
    EXPECT_EQ(b[5], s0);
    EXPECT_EQ(b[6], s1);

    // Without bit 6 nothing is descrambled.
    TPacketBuffer plain = NewPacketBuffer(2);
    plain[5] = 0x11;
    TPacketBuffer copy = plain;
    Descramble(copy);
    EXPECT_EQ(copy, plain);
}

TEST(ReplyHeader, ErrorTextOnlyForErrors)
{
    TUserReply ok = ReceivedReply({0, 3, 'a', 'b', 'c'});
    ok.ReadHeader();
    EXPECT_TRUE(ok.IsOk());
    EXPECT_TRUE(ok.ErrorText.isEmpty());
    EXPECT_EQ(ok.Code, 109);

    TUserReply err = ReceivedReply({42, 3, 'a', 'b', 'c'});
    err.ReadHeader();
    EXPECT_EQ(err.ErrorCode, 42);
    EXPECT_EQ(err.ErrorText, QStringLiteral("abc"));
}

TEST(ReplyHeader, ClampsTextAndReadsNoTextForRequote)
{
    TUserReply clamped = ReceivedReply({9, 200, 'x', 'y'});
    clamped.ReadHeader();
    EXPECT_EQ(clamped.ErrorText, QStringLiteral("xy"));

    TUserReply noText = ReceivedReply({9});
    noText.ReadHeader();
    EXPECT_TRUE(noText.ErrorText.isEmpty());

    // A requote carries the new price where the text would be.
    TUserReply requote = ReceivedReply({ErrorRequote, 0x10, 0x30, 0, 0});
    requote.ReadHeader();
    EXPECT_EQ(requote.ErrorCode, ErrorRequote);
    EXPECT_TRUE(requote.ErrorText.isEmpty());
    EXPECT_EQ(PacketReader(requote).u32(), 0x3010u);

    // A reply without its error byte is invalid.
    TUserReply empty = ReceivedReply({});
    EXPECT_THROW(empty.ReadHeader(), EForexException);
}

TEST(ReplyHeader, WindowsCodePageText)
{
    ASSERT_TRUE(WireCodecAvailable());
    // "Да" in windows-1251.
    TUserReply r = ReceivedReply({5, 2, 0xC4, 0xE0});
    r.ReadHeader();
    EXPECT_EQ(r.ErrorText, QString::fromUtf8("Да"));
    EXPECT_EQ(EncodeWireText(QString::fromUtf8("Да")), QByteArray("\xC4\xE0"));
}

TEST(ErrorTexts, BothLanguages)
{
    EXPECT_EQ(ErrorText(1, {}, true), QStringLiteral("Incorrect login name or password"));
    EXPECT_EQ(ErrorText(1, {}, false), QString::fromUtf8("Непральный логин или пороль"));
    EXPECT_EQ(ErrorText(6, {}, true), ErrorText(19, {}, true));
    EXPECT_EQ(ErrorText(11, {}, false), ErrorText(12, {}, false));
    EXPECT_EQ(ErrorText(14, {}, true), QStringLiteral("Confirmation timeout"));
    EXPECT_EQ(ErrorText(0, QStringLiteral("x"), true), QStringLiteral("Error code: 0 x"));
    EXPECT_EQ(ErrorText(20, QStringLiteral("boom"), true), QStringLiteral("Error code: 20 boom"));
    EXPECT_EQ(ErrorText(200, QStringLiteral("boom"), false), QString::fromUtf8("Ошибка #: 200 boom"));

    SetEnglish(false);
    TUserReply r = ReceivedReply({3});
    r.ReadHeader();
    EXPECT_EQ(ErrorText(r), QString::fromUtf8("Запись не найдена"));
    EXPECT_EQ(ErrorCodeText(r), QString::fromUtf8("Error code: 3 Запись не найдена"));
    // Outside the table: the code once, then the server's own text.
    TUserReply unknown = ReceivedReply({20, 4, 'b', 'u', 's', 'y'});
    unknown.ReadHeader();
    EXPECT_EQ(ErrorCodeText(unknown), QStringLiteral("Error code: 20 busy"));
    SetEnglish(true);
    EXPECT_EQ(ErrorCodeText(unknown), QStringLiteral("Error code: 20 busy"));
    EXPECT_EQ(ErrorText(r), QStringLiteral("Record not found"));
}

TEST(PayloadReader, BoundsChecked)
{
    SetEnglish(true);
    TUserReply r = ReceivedReply({0, 1, 2, 3, 4, 5});
    r.ReadHeader();
    PacketReader reader(r);
    EXPECT_EQ(reader.u32(), 0x04030201u);
    EXPECT_EQ(reader.remaining(), 1u);
    try {
        reader.u16();
        FAIL() << "over-read not refused";
    } catch (const EForexException &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Not valid packet is recieved"));
    }
    EXPECT_EQ(reader.u8(), 5);
    EXPECT_THROW(reader.u8(), EForexException);

    // A short string of capacity N always takes N + 1 bytes and never more than present.
    TUserReply s = ReceivedReply({0, 50, 'a', 'b'});
    PacketReader strings(s);
    EXPECT_THROW(strings.shortString(10), EForexException);
    PacketReader var(s);
    EXPECT_THROW(var.shortStringVar(), EForexException);
}

TEST(CommandPayloads, LoginAndRegistration)
{
    TCommandPtr login = NewLoginCommand(cmdLogin, 1001, QStringLiteral("abcdefghijklmnop"));
    ASSERT_EQ(login->PayloadLength(), 15);
    EXPECT_EQ(GetU32(&login->Buffer[hdr::Data]), 1001u);
    EXPECT_EQ(login->Buffer[hdr::Data + 4], 10);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(&login->Buffer[hdr::Data + 5]), 10), "abcdefghij");

    TCommandPtr reg = NewRegisterCommand(QStringLiteral("Ann"), QStringLiteral("a@b.c"), 2, 5000);
    ASSERT_EQ(reg->PayloadLength(), 130);
    const uint8_t *d = &reg->Buffer[hdr::Data];
    EXPECT_EQ(d[0], 3);
    EXPECT_EQ(d[41], 5);
    EXPECT_EQ(GetU32(d + 122), 2u);     // list index first
    EXPECT_EQ(GetU32(d + 126), 5000u);  // then the amount
}
