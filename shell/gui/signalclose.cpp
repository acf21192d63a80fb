#include "signalclose.h"

#include <atomic>
#include <csignal>

#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};
std::atomic<int> signalsReceived{0};
constexpr int HandledSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Only async-signal-safe calls here.
void onSignal(int signal)
{
    if (signalsReceived.fetch_add(1) > 0)
        ::_exit(128 + signal);  // the close already runs and seems stuck
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

} // namespace

TSignalCloser::TSignalCloser(std::function<void(int)> handler, QObject *parent)
    : QObject(parent), onSignal(std::move(handler))
{
    if (signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &TSignalCloser::readSignal);
    struct sigaction action {};
    action.sa_handler = ::onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : HandledSignals)
        sigaction(s, &action, nullptr);
}

TSignalCloser::~TSignalCloser()
{
    if (!notifier)
        return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int s : HandledSignals)
        sigaction(s, &action, nullptr);
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void TSignalCloser::readSignal()
{
    unsigned char byte = 0;
    if (::read(signalPipe[0], &byte, 1) != 1)
        return;
    // Once is enough: the close ends every event loop.
    notifier->setEnabled(false);
    if (onSignal)
        onSignal(byte);
}
