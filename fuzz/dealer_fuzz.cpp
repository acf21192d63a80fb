// The demo dealer's session input. A real DealerServer runs in the process
// and a client talks to it over a loopback socket; the input is what the
// client sends.
//
// Input: one byte picks where the input starts (its value mod 3): 0 on a
// fresh connection, 1 after the client's login as the plain account 1001,
// 2 after its login as the encrypted account 1002 (each whole frame of the
// input then goes out as the client sends it: encrypted where its code
// requires, scrambled). The rest is the bytes sent. A last command of the
// harness marks the end: its reply, or the session's end, means the server
// has handled everything before it.
#include <cstdio>

#include <QDir>

#include "commands.h"
#include "dealerpeer.h"
#include "fuzzsupport.h"

namespace {

constexpr uint16_t EndMarkId = 0xFFFF;
// The books grow with every input; a fresh server now and then keeps the
// inputs' work alike.
constexpr int InputsPerServer = 500;

class Harness {
public:
    // One input on the server, on a new one when fresh; false when the
    // harness could not do its part (log in, see the session end).
    bool Run(std::span<const uint8_t> input, bool fresh);

private:
    DealerPeer peer;
    int servers = 0;
    int inputs = 0;
};

bool Harness::Run(std::span<const uint8_t> input, bool fresh)
{
    if (fresh || servers == 0 || ++inputs > InputsPerServer) {
        inputs = 0;
        if (!peer.Start(QDir(fuzz::ScratchDir()).filePath(QStringLiteral("dealer-%1").arg(++servers))))
            return false;
    }
    if (!peer.Connect())
        return false;
    const int start = input.empty() ? 0 : input[0] % 3;
    std::span<const uint8_t> rest = input.empty() ? input : input.subspan(1);
    if (start != 0 && !peer.Login(start == 1 ? 1001 : 1002)) {
        peer.Disconnect();
        return false;
    }

    // Whole frames as the client sends them; from a damaged or cut frame on
    // the bytes go as they are, and the server ends the session there.
    bool whole = true;
    while (!rest.empty()) {
        const size_t length = rest.size() >= 5 ? size_t(GetU16(rest.data() + hdr::PayloadLength)) + PacketHeaderSize : 0;
        if (rest.size() < PacketHeaderSize || !IsValidHeader(rest.data()) || rest.size() < length) {
            peer.SendRaw(rest);
            whole = false;
            break;
        }
        if (start == 2) {
            TUserCommand command(rest[hdr::Code]);
            command.Buffer.assign(rest.begin(), rest.begin() + std::ptrdiff_t(length));
            peer.SessionId = GetU16(rest.data() + hdr::SessionId);
            peer.Send(command);
        } else {
            peer.SendRaw(rest.first(length));
        }
        rest = rest.subspan(length);
    }
    if (whole) {
        TCommandPtr mark = NewCommand(cmdGetAccount, 0);
        mark->SetId(EndMarkId);
        peer.Send(*mark);
        peer.AwaitReply(cmdGetAccount, EndMarkId);
    }
    return peer.Disconnect();
}

Harness *harness = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::InitApp();
    static Harness instance;
    harness = &instance;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The inputs before may have locked the account the harness logs in
    // with: the input is tried again on a fresh server. Failing there too,
    // the server has refused its own demo login or kept a session going.
    if (!harness->Run({data, size}, false) && !harness->Run({data, size}, true)) {
        std::fprintf(stderr, "dealer_fuzz: the server did not serve the input\n");
        std::abort();
    }
    return 0;
}
