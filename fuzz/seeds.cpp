// Writes the seed corpora of the fuzz targets: kelvra-fuzz-seeds FOLDER puts
// each target's seeds in FOLDER/<target>/. The files come from the project's
// own writers and from a recorded session with a real demo dealer, so every
// seed is something a real peer or a real save makes.
#include <cstdio>

#include <QDir>
#include <QFile>

#include "barfile.h"
#include "chartscene.h"
#include "chartstate.h"
#include "chatlog.h"
#include "clientlists.h"
#include "commands.h"
#include "connectionsettings.h"
#include "dealerpeer.h"
#include "fixedkey.h"
#include "fuzzsupport.h"
#include "inifile.h"
#include "itemfactory.h"
#include "keyfiles.h"
#include "layouttext.h"
#include "listmail.h"
#include "market.h"
#include "patternstore.h"
#include "rsapacket.h"
#include "server.h"
#include "hvlines.h"
#include "simpleline.h"
#include "sixbittext.h"
#include "storedlogins.h"
#include "wiretext.h"

namespace {

QString root;

void put(const QString &target, const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(root + "/" + target);
    QFile file(root + "/" + target + "/" + name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
}

QByteArray bytesOf(const TPacketBuffer &b) { return QByteArray(reinterpret_cast<const char *>(b.data()), qsizetype(b.size())); }

template <size_t N>
QByteArray bytesOf(const std::array<uint8_t, N> &b) { return QByteArray(reinterpret_cast<const char *>(b.data()), qsizetype(N)); }

// The frames of a stretch of wire, each descrambled and marked plain, so
// that a mutation of one field changes that field only.
QByteArray plainFrames(const QByteArray &wire)
{
    QByteArray out;
    for (qsizetype at = 0; at + 5 <= wire.size();) {
        const auto *head = reinterpret_cast<const uint8_t *>(wire.constData() + at);
        const qsizetype length = GetU16(head + hdr::PayloadLength) + PacketHeaderSize;
        if (at + length > wire.size())
            break;
        TPacketBuffer frame(head, head + length);
        Descramble(frame);
        frame[hdr::Flags] &= uint8_t(~pfScrambled);
        out += bytesOf(frame);
        at += length;
    }
    return out;
}

// ---- a session with the demo dealer

class Recording {
public:
    explicit Recording(DealerPeer &p) : peer(p) {}

    // Sends the command; the server's bytes up to its reply (pushes too).
    QByteArray Request(TCommandPtr command, const QString &name)
    {
        command->SetId(nextId++);
        // The dealer target's seeds: the command as the client sends it
        // (plain: the harness sends it as it is, or encrypts it).
        sent += bytesOf(command->Buffer);
        put(QStringLiteral("dealer"), QStringLiteral("%1-%2").arg(peer.Encrypted ? "encrypted" : "plain", name),
            QByteArray(1, char(peer.Encrypted ? 2 : 1)) + bytesOf(command->Buffer));
        const qsizetype from = peer.Parsed();
        const uint8_t code = command->Code;
        const uint16_t id = command->Id;
        const bool noReply = command->NoReply;
        peer.Send(*command);
        if (!noReply && !peer.AwaitReply(code, id))
            std::fprintf(stderr, "no reply to %s\n", qPrintable(name));
        return peer.Wire.mid(from, peer.Parsed() - from);
    }

    // The frames of a stretch of wire as the client decodes them.
    std::vector<TPacketPtr> Replies(const QByteArray &wire) const
    {
        std::vector<TPacketPtr> out;
        for (qsizetype at = 0; at + 5 <= wire.size();) {
            const auto *head = reinterpret_cast<const uint8_t *>(wire.constData() + at);
            TPacketPtr packet = CreatePacketFromHeader(head);
            std::copy(head + 5, head + packet->Buffer.size(), packet->Buffer.begin() + 5);
            at += qsizetype(packet->Buffer.size());
            Descramble(packet->Buffer);
            if (packet->Flags() & pfRsa)
                DecryptPacket(*packet, peer.EncryptedKey());
            packet->ReadHeader();
            out.push_back(std::move(packet));
        }
        return out;
    }

    QByteArray sent;

private:
    DealerPeer &peer;
    uint16_t nextId = 10;
};

// Data of the first record of a list reply.
std::vector<uint8_t> firstRecord(const TUserCmdRply &reply, size_t size)
{
    const auto &b = reply.Buffer;
    if (b.size() < hdr::ReplyData + 2 + size || GetU16(&b[hdr::ReplyData]) == 0)
        return {};
    return std::vector<uint8_t>(b.begin() + hdr::ReplyData + 2, b.begin() + hdr::ReplyData + 2 + std::ptrdiff_t(size));
}

struct SessionFacts {
    std::vector<std::vector<uint8_t>> instruments;  // wire records
    std::vector<TPacketPtr> mail;                    // 147 replies
    std::vector<uint8_t> position;                   // a 109 record
    TOrderFields order;                              // a pending order
};

// A whole trading session of the plain account; every server stretch is a
// seed of the packet target, every command one of the dealer target.
SessionFacts recordPlainSession(DealerPeer &peer)
{
    SessionFacts facts;
    Recording r(peer);
    DealerServer &server = peer.Server();
    const auto reply = [&](const QByteArray &wire, const QString &name) {
        put(QStringLiteral("packets"), name, plainFrames(wire));
        return r.Replies(wire);
    };
    const qsizetype sessionStart = peer.Parsed();

    reply(r.Request(NewCommand(cmdGetSysVariables, 0), "sysvars"), "sysvars");
    for (const TPacketPtr &p : reply(r.Request(NewCommand(cmdGetInstruments, 0), "instruments"), "instruments")) {
        const auto &b = p->Buffer;
        for (size_t i = 0; hdr::ReplyData + 2 + (i + 1) * 28 <= b.size(); ++i)
            facts.instruments.emplace_back(b.begin() + hdr::ReplyData + 2 + std::ptrdiff_t(i * 28),
                                           b.begin() + hdr::ReplyData + 2 + std::ptrdiff_t((i + 1) * 28));
    }
    const Instrument &eur = server.market().instruments().front();

    // Trading: a market position, a pending order, their changes.
    TOrderFields market;
    market.CurrencyId = eur.id;
    market.Side = 1;
    market.OrderType = 1;
    market.Lots = 1;
    market.Price = uint32_t(eur.ask);
    reply(r.Request(NewPlaceCommand(market), "place-market"), "place-market");
    facts.order.CurrencyId = eur.id;
    facts.order.OrderType = 2;
    facts.order.Lots = 2;
    facts.order.Price = uint32_t(eur.bid - 200 * eur.point);
    reply(r.Request(NewPlaceCommand(facts.order), "place-pending"), "place-pending");
    for (const TPacketPtr &p : reply(r.Request(NewCommand(cmdGetPositions, 0), "positions"), "positions"))
        if (auto record = firstRecord(*p, PositionRecordSize); !record.empty())
            facts.position = record;
    for (const TPacketPtr &p : reply(r.Request(NewCommand(cmdGetOrders, 0), "orders"), "orders"))
        if (auto record = firstRecord(*p, OrderRecordSize); !record.empty())
            facts.order.Id = GetU32(record.data());
    const uint32_t positionId = facts.position.empty() ? 1 : GetU32(facts.position.data());
    reply(r.Request(NewCommandU32(cmdGetPosition, positionId), "position"), "position");
    reply(r.Request(NewCommandU32(cmdGetOrder, facts.order.Id), "order"), "order");
    if (facts.position.size() == PositionRecordSize) {
        uint8_t image[PositionRecordSize];
        std::copy(facts.position.begin(), facts.position.end(), image);
        reply(r.Request(NewChangePositionCommand(image, uint32_t(eur.bid + 300 * eur.point),
                                                 uint32_t(eur.bid - 300 * eur.point)),
                        "change-position"),
              "change-position");
    }
    TOrderFields changed = facts.order;
    changed.Price -= uint32_t(10 * eur.point);
    reply(r.Request(NewChangeOrderCommand(changed), "change-order"), "change-order");
    reply(r.Request(NewGroupOrdersCommand(0, {}), "group"), "group");
    reply(r.Request(NewReversePositionCommand(positionId, uint32_t(eur.bid), 1), "reverse"), "reverse");
    reply(r.Request(NewConfirmPriceCommand(true), "confirm-price"), "confirm-price");
    reply(r.Request(NewClosePositionCommand(positionId, 1, uint32_t(eur.bid)), "close"), "close");
    reply(r.Request(NewCommandU32(cmdDeleteOrder, facts.order.Id), "delete-order"), "delete-order");
    reply(r.Request(NewCommand(cmdGetAccount, 0), "account"), "account");
    reply(r.Request(NewHistoryCommand(cmdGetAccountHistory, 0), "account-history"), "account-history");
    reply(r.Request(NewHistoryCommand(cmdGetOrderHistory, 7), "order-history"), "order-history");
    reply(r.Request(NewHistoryBarsCommand(eur.id, 3, server.nowMinutes() - 40 * 60), "bars"), "bars");
    reply(r.Request(NewHistoryBarsCommand(eur.id, 1, 0), "bars-long"), "bars-long");

    // A quote push.
    std::string error;
    server.setPrice(eur.name, eur.bid + 5 * eur.point, error);
    const qsizetype quoteFrom = peer.Parsed();
    peer.Receive();
    put(QStringLiteral("packets"), QStringLiteral("quote"), plainFrames(peer.Wire.mid(quoteFrom, peer.Parsed() - quoteFrom)));

    // Mail and chat from the dealer: the pushes, the id lists, the texts.
    server.book().sendMail(1001, "Dealer", "Welcome", "{\\rtf1\\ansi Welcome to the \\b demo\\b0 .\\par}");
    server.book().sendMail(1001, EncodeWireText(QStringLiteral("Дилер")).toStdString(),
                           EncodeWireText(QStringLiteral("Счёт")).toStdString(), "Plain text\r\nsecond line");
    server.book().sendMessage(1001, "Hello from the dealer\r\nsecond line");
    server.flushPushes();
    std::vector<uint32_t> mailIds, messageIds;
    for (const TPacketPtr &p : reply(r.Request(NewCommand(cmdGetMailIds, 0), "mail-ids"), "mail-ids"))
        for (size_t at = hdr::ReplyData + 2; at + 4 <= p->Buffer.size(); at += 4)
            mailIds.push_back(GetU32(&p->Buffer[at]));
    for (const TPacketPtr &p : reply(r.Request(NewCommand(cmdGetMessageIds, 0), "message-ids"), "message-ids"))
        for (size_t at = hdr::ReplyData + 2; at + 4 <= p->Buffer.size(); at += 4)
            messageIds.push_back(GetU32(&p->Buffer[at]));
    for (uint32_t id : mailIds)
        for (TPacketPtr &p : reply(r.Request(NewCommandU32(cmdGetMail, id), QStringLiteral("mail-%1").arg(id)),
                                   QStringLiteral("mail-%1").arg(id)))
            if (p->Code == cmdGetMail)
                facts.mail.push_back(std::move(p));
    for (uint32_t id : messageIds)
        reply(r.Request(NewCommandU32(cmdGetMessage, id), QStringLiteral("message-%1").arg(id)),
              QStringLiteral("message-%1").arg(id));
    reply(r.Request(NewSendMessageCommand(QStringLiteral("Hello,\nI have a question."), 37000.5), "send-message"),
          "send-message");
    if (!mailIds.empty())
        r.Request(NewReadReceipt(cmdMailRead, mailIds.front()), "mail-read");
    if (!messageIds.empty())
        r.Request(NewReadReceipt(cmdMessageRead, messageIds.front()), "message-read");
    reply(r.Request(NewLoginCommand(cmdLogin, 1001, QStringLiteral("demo")), "login-again"), "login-again");
    reply(r.Request(NewCommand(200, 4), "unknown"), "unknown");

    // The whole session: as it came (scrambled) and plain.
    const QByteArray wire = peer.Wire.mid(sessionStart, peer.Parsed() - sessionStart);
    put(QStringLiteral("packets"), QStringLiteral("session-scrambled"), wire);
    put(QStringLiteral("packets"), QStringLiteral("session"), plainFrames(wire));
    put(QStringLiteral("dealer"), QStringLiteral("plain-session"), QByteArray(1, char(1)) + r.sent);
    return facts;
}

// The encrypted account: its commands for the dealer target, its replies as
// the RSA layer receives them (descrambled, still encrypted).
void recordEncryptedSession(DealerPeer &peer)
{
    Recording r(peer);
    const QByteArray key = bytesOf(peer.EncryptedKey());
    int n = 0;
    for (uint8_t code : {cmdGetAccount, cmdGetPositions, cmdGetAccountHistory, cmdGetInstruments}) {
        TCommandPtr command = code == cmdGetAccountHistory ? NewHistoryCommand(code, 0) : NewCommand(code, 0);
        const QByteArray wire = r.Request(std::move(command), QStringLiteral("code-%1").arg(code));
        QByteArray frames;
        for (qsizetype at = 0; at + 5 <= wire.size();) {
            const auto *head = reinterpret_cast<const uint8_t *>(wire.constData() + at);
            TPacketBuffer frame(head, head + GetU16(head + hdr::PayloadLength) + PacketHeaderSize);
            at += qsizetype(frame.size());
            Descramble(frame);
            frames += bytesOf(frame);
        }
        put(QStringLiteral("rsa"), QStringLiteral("account-key-%1").arg(++n), QByteArray(1, char(1)) + key + frames);
    }
}

// Replies encrypted as the server of the fixed pair sends them.
void fixedKeyFrames(const SessionFacts &facts)
{
    const fuzz::FixedPair &fixed = fuzz::FixedPair::Get();
    std::vector<std::pair<QString, TPacketBuffer>> plain;
    TPacketBuffer account = NewPacketBuffer(9);
    account[hdr::Flags] = pfReply;
    account[hdr::Code] = cmdGetAccount;
    PutU32(&account[hdr::ReplyData], 1000000);
    plain.emplace_back(QStringLiteral("account"), account);
    if (!facts.position.empty()) {
        TPacketBuffer position = NewPacketBuffer(int(1 + facts.position.size()));
        position[hdr::Flags] = pfReply;
        position[hdr::Code] = cmdGetPosition;
        std::copy(facts.position.begin(), facts.position.end(), position.begin() + hdr::ReplyData);
        plain.emplace_back(QStringLiteral("position"), position);
    }
    TPacketBuffer login = NewPacketBuffer(1);
    login[hdr::Flags] = pfReply;
    login[hdr::Code] = cmdLogin;
    plain.emplace_back(QStringLiteral("login"), login);
    for (auto &[name, buffer] : plain) {
        TUserReply reply(buffer[hdr::Code]);
        reply.Buffer = buffer;
        reply.SyncSize();
        EncryptPacket(reply, fixed.serverRecord);
        put(QStringLiteral("rsa"), QStringLiteral("fixed-") + name, QByteArray(1, char(0)) + bytesOf(reply.Buffer));
    }
    put(QStringLiteral("rsa"), QStringLiteral("fixed-plain-quote"), QByteArray(1, char(0)) + bytesOf(NewPacketBuffer(14)));
}

// ---- files

void keyFiles(DealerPeer &peer)
{
    put(QStringLiteral("keyfile"), QStringLiteral("demo-1002.prk"), bytesOf(peer.EncryptedKey()));
    for (const auto &[bits, seed] : {std::pair{240, 7}, std::pair{64, 3}}) {
        const RsaKeyPair pair = generateKeyPair(bits, uint64_t(seed));
        put(QStringLiteral("keyfile"), QStringLiteral("client-%1.prk").arg(bits),
            bytesOf(makeKeyRecord(pair.clientExponent, pair.modulus)));
        put(QStringLiteral("keyfile"), QStringLiteral("server-%1.key").arg(bits), QByteArray::fromStdString(serverKeyText(pair)));
    }
}

QString layoutText()
{
    const QString form = LayoutText({{"Left", "10"}, {"Top", "20"}, {"Width", "240"}, {"Height", "300"},
                                     {"Visible", LayoutBoolText(true)}, {"Floating", LayoutBoolText(false)}});
    const QString panel = LayoutText({{"DockClients", LayoutText({{"frmQuotes", form}, {"frmTerminal", form}})},
                                      {"Width", "240"}, {"Height", "600"},
                                      {"DockingData", LayoutHex(QByteArray::fromHex("000000ff00000000fd00000001"))}});
    return LayoutText({{"Version", "1"},
                       {"FloatingDockForms", LayoutText({{"frmMessages", form}})},
                       {"PageControlHosts", LayoutText({{"host1", LayoutText({{"DockedControls", LayoutText({{"frmMail", form}})}})}})},
                       {"DockPanels", LayoutText({{"pnlLeft", panel}, {"pnlBottom", panel}})}});
}

void settingsFiles(const SessionFacts &facts)
{
    TStoredLogins logins;
    logins.StoreLogin(TLoginRecord::Make(1001, QStringLiteral("demo"), QString(), true));
    logins.StoreLogin(TLoginRecord::Make(1002, QStringLiteral("demo"), QStringLiteral("/home/trader/1002.prk"), true));
    logins.StoreLogin(TLoginRecord::Make(4000000000u, QStringLiteral("secret"), QString(), false));
    logins.SavedAccount = 1002;
    TListCurrency instruments;
    for (const auto &record : facts.instruments) {
        auto instrument = std::make_unique<TUserCurrency>(&instruments);
        instrument->LoadFrom(record);
        instrument->ApplyQuote(instrument->Ask + 3, instrument->Bid + 3, 2281565);
        instruments.AddInstrument(std::move(instrument));
    }

    TIniFile ini;
    SaveConnectionSettings(ini, {QStringLiteral("dealer.example.com,localhost"), 2222});
    logins.SaveLogins(ini);
    instruments.SaveToIni(ini);
    ini.WriteLongValue(QStringLiteral("desktop"), QStringLiteral("defaultk"), layoutText());
    ini.WriteString(QStringLiteral("mainform"), QStringLiteral("geometry"), QStringLiteral("01d9d0cb0003000000000000"));
    ini.WriteString(QStringLiteral("EURUSDH1"), QStringLiteral("state"), QStringLiteral("000000ff00000000"));
    ini.WriteString(QStringLiteral("report"), QStringLiteral("folder"), QStringLiteral("/home/trader/reports"));
    put(QStringLiteral("ini"), QStringLiteral("full.ini"), ini.ToText());

    // A long layout in several pieces, an older client's negative account.
    TIniFile old;
    SaveConnectionSettings(old, {QStringLiteral("10.0.0.1"), 443});
    logins.SaveLogins(old);
    old.WriteString(QStringLiteral("lastLogin"), QStringLiteral("account"), QStringLiteral("-294967296"));
    QString longLayout = layoutText();
    while (longLayout.size() < 2600)
        longLayout = LayoutText({{"Version", "1"}, {"DockPanels", longLayout}});
    old.WriteLongValue(QStringLiteral("desktop"), QStringLiteral("defaultk"), longLayout);
    put(QStringLiteral("ini"), QStringLiteral("old-account-long-layout.ini"), old.ToText());
    put(QStringLiteral("ini"), QStringLiteral("server-only.ini"), "[kelvra-server]\nHost=localhost\nport=2222\n");

    // The 6-bit texts of those records.
    const auto login = TLoginRecord::Make(1002, QStringLiteral("demo"), QStringLiteral("/home/trader/1002.prk"), true).ToBytes();
    put(QStringLiteral("sixbit"), QStringLiteral("login"), QByteArray::fromStdString(EncodeSixBitText({login.begin(), login.end()})));
    if (instruments.Count() > 0) {
        const auto image = instruments.Item(0)->SaveImage();
        put(QStringLiteral("sixbit"), QStringLiteral("instrument"),
            QByteArray::fromStdString(EncodeSixBitText({image.begin(), image.end()})));
    }
    const QByteArray layout = layoutText().toUtf8();
    put(QStringLiteral("sixbit"), QStringLiteral("layout"),
        QByteArray::fromStdString(EncodeSixBitText({layout.begin(), layout.end()})));
    const TKeyRecord &key = fuzz::FixedPair::Get().clientRecord;
    put(QStringLiteral("sixbit"), QStringLiteral("key-modulus"),
        QByteArray(reinterpret_cast<const char *>(key.data() + keyModulusOffset + 1), key[keyModulusOffset]));
}

void barFiles(DealerPeer &peer)
{
    const QString dir = fuzz::ScratchDir();
    for (const auto &[name, count] : {std::pair{"bars-200", 200}, std::pair{"bars-3", 3}}) {
        TSerData series(3, 1, QStringLiteral("EURUSD"));
        for (const Bar &b : peer.Server().market().bars(1, 3, 0, Market::NoUpperLimit, size_t(count), size_t(count)))
            series.AddBar(b.time, b.open, b.high, b.low, b.close);
        series.Modified = true;
        series.SaveBarFile(dir);
        QFile file(series.BarFileName(dir));
        file.open(QIODevice::ReadOnly);
        put(QStringLiteral("barfile"), QString::fromLatin1(name), file.readAll());
    }
    put(QStringLiteral("barfile"), QStringLiteral("empty"), QByteArray("DT\x01", 3));
}

void messageFiles(const SessionFacts &facts)
{
    TListMail mail;
    for (const TPacketPtr &p : facts.mail)
        mail.AddReceived({p->Buffer.data() + hdr::ReplyData, p->Buffer.size() - hdr::ReplyData});
    if (mail.Count() > 0)
        mail.Item(0)->Unread = false;
    put(QStringLiteral("messagefiles"), QStringLiteral("mailbox"), TListMail::EncodeFile(mail));
    std::vector<TMessageItem> chat{
        {1, true, EncodeWireText(QStringLiteral("Дилер")), 37000.25, "Hello from the dealer\r\nsecond line"},
        {2, false, "Trader 1001", 37000.5, EncodeWireText(QStringLiteral("Вопрос\r\nпро счёт"))},
    };
    put(QStringLiteral("messagefiles"), QStringLiteral("messages"), TChatLog::EncodeFile(chat));
    put(QStringLiteral("messagefiles"), QStringLiteral("none"), QByteArray(4, '\0'));

    // Mail texts as the dealers' word processors write them, and plain.
    put(QStringLiteral("richtext"), QStringLiteral("plain"), "Dear trader,\r\nyour account is open.\r\n");
    for (const TPacketPtr &p : facts.mail) {
        const size_t at = hdr::ReplyData + TUserMail::HeaderSize;
        if (p->Buffer.size() >= at)
            put(QStringLiteral("richtext"), QStringLiteral("mail-%1").arg(p->Id),
                QByteArray(reinterpret_cast<const char *>(p->Buffer.data() + at), qsizetype(p->Buffer.size() - at)));
    }
    put(QStringLiteral("richtext"), QStringLiteral("wordpad"),
        "{\\rtf1\\ansi\\ansicpg1251\\deff0\\nouicompat\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset204 Calibri;}"
        "{\\f1\\fswiss\\fcharset0 Arial;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green77\\blue187;}\r\n"
        "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang9 "
        "\\'c7\\'e4\\'f0\\'e0\\'e2\\'f1\\'f2\\'e2\\'f3\\'e9\\'f2\\'e5, \\b trader\\b0 !\\par\r\n"
        "\\cf1\\i Margin call\\i0\\cf0  at \\ul 50%\\ulnone .\\line Next\\tab line \\u8364?.\\par\r\n"
        "{\\pict\\wmetafile8\\picw10\\pich10 0100090000}\\cf2\\f1\\fs28 End.\\par\r\n}\r\n\0");
    put(QStringLiteral("richtext"), QStringLiteral("nested"),
        "{\\rtf1{\\stylesheet{\\s1 Normal;}}{\\info{\\author x}}{{{\\b{\\i deep}}}}\\par\\'3f\\u-3913?}");
}

// A drawn item placed as a user places it, over the bars in view.
void placeItem(TGraphItem &item, int id, TGraphIndicator *bound)
{
    if (auto *line = dynamic_cast<TSimpleLine *>(&item)) {
        line->P1().SetBar(100 + id);
        line->P1().Value = 1.201;
        line->P2().SetBar(130.5 + id);
        line->P2().Value = 1.207;
        line->Bound = bound;
        line->OwnerAxis = bound->OwnerAxis;
    } else if (auto *h = dynamic_cast<THLine *>(&item)) {
        h->Value = 1.204;
    } else if (auto *v = dynamic_cast<TVLine *>(&item)) {
        v->Point.SetBar(110);
        v->ShowInAllAreas = true;
    }
    item.Color = 0x0000FF + uint32_t(id);
}

void chartFiles()
{
    auto series = fuzz::ChartSeries();
    TPatternMenager patterns;
    auto plain = fuzz::ChartPanel(series.get(), &patterns, TChartPanel::Creation::NewChart);
    put(QStringLiteral("chart"), QStringLiteral("price-only"), SaveChart(*plain, {0, 274, 614}));

    auto rich = fuzz::ChartPanel(series.get(), &patterns, TChartPanel::Creation::NewChart);
    TGraphArea *price = rich->Area(0);
    TGraphIndicator *ma = rich->AttachIndicator(price, CreateIndicator(0), 0);
    rich->AttachIndicator(price, CreateIndicator(3), 1);
    rich->AttachIndicator(rich->AddArea(), CreateIndicator(22), 0);
    rich->AttachIndicator(rich->AddArea(), CreateIndicator(29), 0);
    for (int id = GraphTypeId::SimpleLine; id <= GraphTypeId::FibbZone; ++id) {
        std::unique_ptr<TGraphItem> item = CreateDrawnItem(id);
        placeItem(*item, id, ma);
        rich->AttachItem(price, std::move(item), false);
    }
    rich->RightMargin = 7;
    rich->Refresh();
    rich->ZoomTo(60, 80);
    rich->Refresh();
    put(QStringLiteral("chart"), QStringLiteral("indicators-and-items"), SaveChart(*rich, {2, 480, 700}));

    // Every element's style as the user stores it for new ones.
    patterns.Store(*rich->XAxis());
    patterns.Store(*price);
    patterns.Store(*price->RightAxis);
    for (const auto &ind : price->Indicators)
        patterns.Store(*ind);
    for (const auto &item : price->Items)
        patterns.Store(*item);
    put(QStringLiteral("patterns"), QStringLiteral("styles"), patterns.Serialize());
    TPatternMenager one;
    one.Store(*price->Items.front());
    put(QStringLiteral("patterns"), QStringLiteral("one-line"), one.Serialize());
    put(QStringLiteral("patterns"), QStringLiteral("none"), TPatternMenager().Serialize());
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvra-fuzz-seeds FOLDER\n");
        return 2;
    }
    root = QString::fromLocal8Bit(argv[1]);
    fuzz::InitApp(true);

    DealerPeer peer;
    if (!peer.Start(QDir(fuzz::ScratchDir()).filePath(QStringLiteral("dealer"))) || !peer.Connect()) {
        std::fprintf(stderr, "no dealer\n");
        return 1;
    }
    // Before the login: the handshake and a registration as the client sends them.
    TCommandPtr login = NewLoginCommand(cmdLogin, 1001, QStringLiteral("demo"));
    login->SetId(1);
    TCommandPtr confirm = NewLoginCommand(cmdLoginConfirm, 1001, QStringLiteral("demo"));
    confirm->SetId(2);
    put(QStringLiteral("dealer"), QStringLiteral("fresh-login"), QByteArray(1, '\0') + bytesOf(login->Buffer) + bytesOf(confirm->Buffer));
    TCommandPtr registration = NewRegisterCommand(QStringLiteral("Ivan Petrov"), QStringLiteral("ivan@example.com"), 0, 5000);
    registration->SetId(1);
    put(QStringLiteral("dealer"), QStringLiteral("fresh-register"), QByteArray(1, '\0') + bytesOf(registration->Buffer));
    put(QStringLiteral("dealer"), QStringLiteral("fresh-wrong-password"),
        QByteArray(1, '\0') + bytesOf(NewLoginCommand(cmdLogin, 1002, QStringLiteral("guess"))->Buffer));

    if (!peer.Login(1001)) {
        std::fprintf(stderr, "no login\n");
        return 1;
    }
    const SessionFacts facts = recordPlainSession(peer);
    peer.Disconnect();
    if (!peer.Connect() || !peer.Login(1002)) {
        std::fprintf(stderr, "no encrypted login\n");
        return 1;
    }
    recordEncryptedSession(peer);
    peer.Disconnect();

    fixedKeyFrames(facts);
    keyFiles(peer);
    settingsFiles(facts);
    barFiles(peer);
    messageFiles(facts);
    chartFiles();
    return 0;
}
