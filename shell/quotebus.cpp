#include "quotebus.h"

#include <QDBusConnectionInterface>
#include <QFileInfo>

namespace {

const QString kUnknownItemError = QStringLiteral("org.kelvra.Quotes.UnknownItem");
constexpr int kMaxBusNameLength = 255;

} // namespace

// ---- one topic on the bus

TQuoteBusTopic::TQuoteBusTopic(const TQuoteTopic &t, QObject *parent) : QObject(parent), topic(t) {}

QStringList TQuoteBusTopic::Items() const { return topic.Items(); }

QString TQuoteBusTopic::Value(const QString &item)
{
    if (const std::optional<QString> value = topic.Value(item))
        return *value;
    if (calledFromDBus())
        sendErrorReply(kUnknownItemError, QStringLiteral("No item %1 in topic %2").arg(item, topic.Name()));
    return QString();
}

// ---- the service

TQuoteBus::TQuoteBus(TQuotePublisher &p, QObject *parent) : QObject(parent), publisher(p), bus(QString())
{
    for (size_t t = 0; t < objects.size(); ++t) {
        objects[t] = new TQuoteBusTopic(publisher.Topics()[t], this);
        paths[t] = QLatin1Char('/') + publisher.Topics()[t].Name();
    }
    connect(&publisher, &TQuotePublisher::itemChanged, this,
            [this](TQuoteTopicId topic, const QString &item, const QString &value) {
                if (state == TState::Publishing)
                    emit objects[size_t(topic)]->Changed(item, value);
            });
}

TQuoteBus::~TQuoteBus() { stop(); }

TQuoteBus::TState TQuoteBus::Start(const QDBusConnection &connection, const QString &name)
{
    stop();
    bus = connection;
    serviceName = name;
    if (!bus.isConnected() || !bus.interface())
        return state = TState::NoBus;
    // The objects first, so that whoever sees the name can use it at once.
    size_t registered = 0;
    while (registered < objects.size()
           && bus.registerObject(paths[registered], objects[registered],
                                 QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals))
        ++registered;
    const bool named = registered == objects.size()
                       && bus.interface()->registerService(name, QDBusConnectionInterface::DontQueueService,
                                                           QDBusConnectionInterface::DontAllowReplacement)
                              == QDBusConnectionInterface::ServiceRegistered;
    if (!named) {
        for (size_t t = 0; t < registered; ++t)
            bus.unregisterObject(paths[t]);
        return state = TState::NameUnavailable;
    }
    return state = TState::Publishing;
}

void TQuoteBus::stop()
{
    if (state == TState::Publishing) {
        bus.interface()->unregisterService(serviceName);
        for (const QString &path : paths)
            bus.unregisterObject(path);
    }
    state = TState::NotStarted;
}

QString TQuoteBus::DefaultServiceName(const QString &executablePath)
{
    // An element holds letters, digits, "_" and "-" and does not begin with a digit.
    QString element = QFileInfo(executablePath).fileName().section(QLatin1Char('.'), 0, 0);
    for (QChar &c : element)
        if (c.unicode() >= 128 || !(c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('-')))
            c = QLatin1Char('_');
    if (element.isEmpty() || element.front().isDigit())
        element.prepend(QLatin1Char('_'));
    const QString prefix = QStringLiteral("org.kelvra.");
    return prefix + element.left(kMaxBusNameLength - prefix.size());
}

QString TQuoteBus::ServiceNameFor(const QString &executablePath)
{
    const QString given = qEnvironmentVariable(ServiceVariable);
    return given.isEmpty() ? DefaultServiceName(executablePath) : given;
}
