// kelvra-dealer: the demo dealing server, and its admin command.

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

#include "admin.h"
#include "options.h"
#include "server.h"

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("kelvra-dealer");

    if (!args.empty() && args[0] == "admin")
        return runAdminClient(std::vector<std::string>(args.begin() + 1, args.end()));
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(dealerUsage, stdout);
        return 0;
    }

    std::string error;
    const std::optional<DealerOptions> options = parseDealerOptions(args, error);
    if (!options) {
        std::fprintf(stderr, "kelvra-dealer: %s\n%s", error.c_str(), dealerUsage);
        return 2;
    }

    std::signal(SIGPIPE, SIG_IGN);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        std::perror("kelvra-dealer: socketpair");
        return 1;
    }
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    const std::string dataDir = options->dataDir.empty() ? defaultDataDir() : options->dataDir;
    int status = 0;
    {
        DealerServer server(*options, dataDir);
        if (!server.start(error)) {
            std::fprintf(stderr, "kelvra-dealer: %s\n", error.c_str());
            return 1;
        }
        status = app.exec();
    }
    std::fprintf(stdout, "stopped\n");
    return status;
}
