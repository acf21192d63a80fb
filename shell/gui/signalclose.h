#pragma once

#include <functional>

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (a logout, kill, Ctrl+C in the terminal)
// into a call on the main thread, through a socket pair the signal handler
// writes a byte to. A second signal that arrives before the program has
// ended ends the process at once. One instance per program.
class TSignalCloser : public QObject {
    Q_OBJECT
public:
    explicit TSignalCloser(std::function<void(int signal)> onSignal, QObject *parent = nullptr);
    ~TSignalCloser() override;

    bool Installed() const { return notifier != nullptr; }

private:
    void readSignal();

    std::function<void(int)> onSignal;
    QSocketNotifier *notifier = nullptr;
};
