#include "desktopnotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QVariantMap>

TDesktopNotifier::TDesktopNotifier(QObject *parent) : QObject(parent) {}

bool TDesktopNotifier::Notify(const QString &title, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
                                                       QStringLiteral("/org/freedesktop/Notifications"),
                                                       QStringLiteral("org.freedesktop.Notifications"),
                                                       QStringLiteral("Notify"));
    // The body is markup for some services: plain text only.
    call << QStringLiteral("Kelvra") << quint32(0) << QStringLiteral("kelvra") << title.toHtmlEscaped()
         << body.left(200).toHtmlEscaped() << QStringList() << QVariantMap() << qint32(-1);
    bus.asyncCall(call);
    return true;
}
