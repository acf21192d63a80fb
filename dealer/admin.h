#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QObject>

class QLocalServer;
class QLocalSocket;
class DealerServer;

// The operator's channel into the running server: a local socket named
// "admin.sock" in the data directory. A request is one line, a JSON array of
// strings (the command and its arguments); the answer is one line, a JSON
// object {"ok": bool, "text": string}.
class AdminChannel : public QObject {
    Q_OBJECT
public:
    explicit AdminChannel(DealerServer &server);
    ~AdminChannel() override;
    bool listen(std::string &error);

    // Runs one command; false with the reason in text on a refusal.
    bool run(const std::vector<std::string> &args, std::string &text);

private:
    void onConnection();
    void onRequest(QLocalSocket *socket);

    DealerServer &server;
    std::unique_ptr<QLocalServer> local;
};

// The path of the admin socket of a data directory.
std::string adminSocketPath(const std::string &dataDir);

// `kelvra-dealer admin [--data DIR] COMMAND ARGS...`: sends the command to the
// running server and prints its answer. Exit status 0 done, 1 refused, 2 no server or bad usage.
int runAdminClient(const std::vector<std::string> &args);
