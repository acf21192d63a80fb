#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "scriptedserver.h"
#include "wirerecords.h"

// A scripted dealing server for client-state tests: accepts the plain login,
// answers every request from the data the test configured (lists, split
// when asked, single records by id, fixed replies, refusals), sends the
// pushes the test queues, and records every command it received.
class FakeDealer {
public:
    FakeDealer();
    ~FakeDealer();

    int port() const { return server->port(); }

    // The reply data (after the error byte) for every command of this code.
    void setReply(uint8_t code, const wire::Bytes &data);
    // A refusal with the server's text for every command of this code.
    void setError(uint8_t code, uint8_t errorCode, const std::string &text = {});
    // A list reply; with perPacket > 0 split into packets of that many records.
    void setList(uint8_t code, const std::vector<wire::Bytes> &records, size_t perPacket = 0);
    template <class T>
    void setListOf(uint8_t code, const std::vector<T> &records, size_t perPacket = 0)
    {
        std::vector<wire::Bytes> raw;
        for (const T &r : records)
            raw.push_back(r.bytes());
        setList(code, raw, perPacket);
    }
    // The record a single-record request (115, 121) with this id gets;
    // unknown ids are answered with error 3.
    void setRecord(uint8_t code, uint32_t id, const wire::Bytes &record);
    // Never answer commands of this code.
    void setSilent(uint8_t code);
    // Pushes sent right after every reply to this code.
    void pushAfterReply(uint8_t code, const std::vector<std::pair<uint8_t, wire::Bytes>> &pushes);
    // Refuse the login with this error code (0: accept).
    void setLoginError(uint8_t errorCode) { loginError = errorCode; }

    // Sent by the server thread as soon as it gets to it.
    void push(uint8_t code, const wire::Bytes &data);
    // Ends the current connection from the server side.
    void dropConnection() { dropRequested = true; }

    // Every command received after the login, in order.
    std::vector<TPacketBuffer> received() const;
    std::vector<uint8_t> receivedCodes() const;
    // The u32 parameter of the last command of this code (-1 when none came).
    int64_t lastParameter(uint8_t code) const;
    bool loggedIn() const { return sessionUp; }

private:
    void serve(ScriptedServer::Connection &c);
    void answer(ScriptedServer::Connection &c, const TPacketBuffer &command);

    struct Reply {
        uint8_t errorCode = 0;
        wire::Bytes data;
    };
    struct ListReply {
        std::vector<wire::Bytes> records;
        size_t perPacket = 0;
    };

    mutable std::mutex lock;
    std::map<uint8_t, Reply> replies;
    std::map<uint8_t, ListReply> lists;
    std::map<uint8_t, std::map<uint32_t, wire::Bytes>> records;
    std::map<uint8_t, std::vector<std::pair<uint8_t, wire::Bytes>>> followUps;
    std::vector<uint8_t> silent;
    std::deque<std::pair<uint8_t, wire::Bytes>> pushes;
    std::vector<TPacketBuffer> log;
    std::atomic<uint8_t> loginError{0};
    std::atomic<bool> stopping{false};
    std::atomic<bool> dropRequested{false};
    std::atomic<bool> sessionUp{false};
    std::unique_ptr<ScriptedServer> server;
};
