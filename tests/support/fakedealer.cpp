#include "fakedealer.h"

#include <algorithm>

FakeDealer::FakeDealer()
{
    server = std::make_unique<ScriptedServer>([this](ScriptedServer::Connection &c) { serve(c); });
}

FakeDealer::~FakeDealer()
{
    stopping = true;
    server.reset();
}

void FakeDealer::setReply(uint8_t code, const wire::Bytes &data)
{
    std::lock_guard guard(lock);
    replies[code] = Reply{0, data};
    lists.erase(code);
}

void FakeDealer::setError(uint8_t code, uint8_t errorCode, const std::string &text)
{
    wire::Bytes data{uint8_t(text.size())};
    data.insert(data.end(), text.begin(), text.end());
    std::lock_guard guard(lock);
    replies[code] = Reply{errorCode, data};
    lists.erase(code);
}

void FakeDealer::setList(uint8_t code, const std::vector<wire::Bytes> &recs, size_t perPacket)
{
    std::lock_guard guard(lock);
    lists[code] = ListReply{recs, perPacket};
    replies.erase(code);
}

void FakeDealer::setRecord(uint8_t code, uint32_t id, const wire::Bytes &record)
{
    std::lock_guard guard(lock);
    records[code][id] = record;
}

void FakeDealer::setSilent(uint8_t code)
{
    std::lock_guard guard(lock);
    silent.push_back(code);
}

void FakeDealer::pushAfterReply(uint8_t code, const std::vector<std::pair<uint8_t, wire::Bytes>> &pushes)
{
    std::lock_guard guard(lock);
    followUps[code] = pushes;
}

void FakeDealer::push(uint8_t code, const wire::Bytes &data)
{
    std::lock_guard guard(lock);
    pushes.emplace_back(code, data);
}

std::vector<TPacketBuffer> FakeDealer::received() const
{
    std::lock_guard guard(lock);
    return log;
}

std::vector<uint8_t> FakeDealer::receivedCodes() const
{
    std::vector<uint8_t> codes;
    for (const TPacketBuffer &p : received())
        codes.push_back(p[hdr::Code]);
    return codes;
}

int64_t FakeDealer::lastParameter(uint8_t code) const
{
    const std::vector<TPacketBuffer> all = received();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if ((*it)[hdr::Code] == code && it->size() >= size_t(hdr::Data) + 4)
            return GetU32(it->data() + hdr::Data);
    return -1;
}

void FakeDealer::serve(ScriptedServer::Connection &c)
{
    auto login = c.readPacket();
    if (!login || (*login)[hdr::Code] != 101)
        return;
    if (const uint8_t error = loginError.load(); error != 0) {
        c.sendReply(*login, error, {0});
        return;
    }
    c.sendReply(*login, 0);
    auto confirm = c.readPacket();
    if (!confirm || (*confirm)[hdr::Code] != 102)
        return;
    c.sendReply(*confirm, 0);
    sessionUp = true;
    dropRequested = false;
    while (!stopping && !dropRequested && !c.peerClosed()) {
        if (auto command = c.readPacket(10)) {
            {
                std::lock_guard guard(lock);
                log.push_back(*command);
            }
            answer(c, *command);
            std::vector<std::pair<uint8_t, wire::Bytes>> follow;
            {
                std::lock_guard guard(lock);
                if (auto it = followUps.find((*command)[hdr::Code]); it != followUps.end())
                    follow = it->second;
            }
            for (const auto &[code, data] : follow)
                c.send(code, 0, data, pfCommand | pfNoReply, 7);
        }
        std::deque<std::pair<uint8_t, wire::Bytes>> due;
        {
            std::lock_guard guard(lock);
            due.swap(pushes);
        }
        for (const auto &[code, data] : due)
            c.send(code, 0, data, pfCommand | pfNoReply, 7);
    }
    sessionUp = false;
}

void FakeDealer::answer(ScriptedServer::Connection &c, const TPacketBuffer &command)
{
    const uint8_t code = command[hdr::Code];
    if (command[hdr::Flags] & pfNoReply)
        return;
    std::unique_lock guard(lock);
    if (std::find(silent.begin(), silent.end(), code) != silent.end())
        return;
    if (auto it = records.find(code); it != records.end()) {
        const uint32_t id = command.size() >= size_t(hdr::Data) + 4 ? GetU32(command.data() + hdr::Data) : 0;
        auto found = it->second.find(id);
        const bool known = found != it->second.end();
        const wire::Bytes data = known ? found->second : wire::Bytes{0};
        guard.unlock();
        c.sendReply(command, known ? 0 : 3, data);
        return;
    }
    if (auto it = lists.find(code); it != lists.end()) {
        const ListReply list = it->second;
        guard.unlock();
        const size_t per = list.perPacket == 0 ? std::max<size_t>(list.records.size(), 1) : list.perPacket;
        const size_t packets = std::max<size_t>(1, (list.records.size() + per - 1) / per);
        for (size_t p = 0; p < packets; ++p) {
            const auto from = list.records.begin() + long(std::min(p * per, list.records.size()));
            const auto to = list.records.begin() + long(std::min((p + 1) * per, list.records.size()));
            wire::Bytes payload{0};
            const wire::Bytes data = wire::List(std::vector<wire::Bytes>(from, to));
            payload.insert(payload.end(), data.begin(), data.end());
            uint8_t flags = pfReply;
            if (packets > 1)
                flags |= p == 0 ? pfFirst : (p + 1 == packets ? pfLast : pfMiddle);
            c.send(code, GetU16(&command[hdr::PacketId]), payload, flags, 7);
        }
        return;
    }
    if (auto it = replies.find(code); it != replies.end()) {
        const Reply reply = it->second;
        guard.unlock();
        c.sendReply(command, reply.errorCode, reply.data);
        return;
    }
    guard.unlock();
    c.sendReply(command, 4, {0});
}
