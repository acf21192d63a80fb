#pragma once

#include <QObject>
#include <QString>

// Desktop notifications through the freedesktop notification service on
// the session bus; without a bus or a service nothing happens. The call is
// asynchronous: a slow or missing service never blocks the window.
class TDesktopNotifier : public QObject {
    Q_OBJECT
public:
    explicit TDesktopNotifier(QObject *parent = nullptr);
    // False when no session bus was reached (nothing was sent).
    bool Notify(const QString &title, const QString &body);
};
