#include "actionicons.h"

#include <QHash>

namespace {

// Our names and the freedesktop.org names a desktop theme may have.
const QHash<QString, QString> &themeNames()
{
    static const QHash<QString, QString> names{
        {QStringLiteral("connect"), QStringLiteral("network-connect")},
        {QStringLiteral("disconnect"), QStringLiteral("network-disconnect")},
        {QStringLiteral("zoom-in"), QStringLiteral("zoom-in")},
        {QStringLiteral("zoom-out"), QStringLiteral("zoom-out")},
        {QStringLiteral("help"), QStringLiteral("help-contents")},
        {QStringLiteral("report"), QStringLiteral("document-save")},
    };
    return names;
}

} // namespace

QIcon ActionIcon(const QString &name)
{
    const QIcon own(QStringLiteral(":/icons/%1.svg").arg(name));
    const QString themed = themeNames().value(name);
    return themed.isEmpty() ? own : QIcon::fromTheme(themed, own);
}
