#pragma once

#include <array>

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>

#include "quotepublisher.h"

// One topic on the session bus: the object /ASK, /BID, /TIME or /FULL with
// the interface org.kelvra.Quotes. Other programs read an item with Value and
// follow it through Changed, filtered on its first argument (the item).
class TQuoteBusTopic : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kelvra.Quotes")
public:
    TQuoteBusTopic(const TQuoteTopic &topic, QObject *parent = nullptr);

public slots:
    QStringList Items() const;
    // An unknown item is answered with the error org.kelvra.Quotes.UnknownItem.
    QString Value(const QString &item);

signals:
    void Changed(const QString &item, const QString &value);

private:
    const TQuoteTopic &topic;
};

// Offers the publisher's topics on a bus under one service name.
class TQuoteBus : public QObject {
    Q_OBJECT
public:
    enum class TState { NotStarted, Publishing, NoBus, NameUnavailable };

    explicit TQuoteBus(TQuotePublisher &publisher, QObject *parent = nullptr);
    // Gives the name and the objects back (without the publisher).
    ~TQuoteBus() override;

    // Registers the four objects and takes the name; on failure nothing stays
    // registered and the state says why.
    TState Start(const QDBusConnection &bus, const QString &serviceName);
    TState State() const { return state; }
    QString ServiceName() const { return serviceName; }

    // "org.kelvra." + the executable's file name up to its first ".", made
    // a valid bus-name element.
    static QString DefaultServiceName(const QString &executablePath);
    // The name given in KELVRA_DBUS_SERVICE, else the default one.
    static QString ServiceNameFor(const QString &executablePath);
    static constexpr char ServiceVariable[] = "KELVRA_DBUS_SERVICE";

private:
    void stop();

    TQuotePublisher &publisher;
    std::array<TQuoteBusTopic *, kQuoteTopicCount> objects{};
    // Kept apart from the publisher, which may go first at the end.
    std::array<QString, kQuoteTopicCount> paths;
    QDBusConnection bus;
    QString serviceName;
    TState state = TState::NotStarted;
};
