#include "keyfile.h"

#include <QFile>

#include "forexexception.h"
#include "languagetables.h"

TKeyRecord LoadKeyFile(const QString &path)
{
    TKeyRecord key{};
    const QString trimmed = path.trimmed();
    if (trimmed.isEmpty())
        return key;
    QFile file(trimmed);
    const qint64 size = qint64(key.size());
    if (!file.open(QIODevice::ReadOnly)
        || file.read(reinterpret_cast<char *>(key.data()), size) != size) {
        key.fill(0);
        throw EForexException(
            QString::asprintf(MessageText(48).toUtf8().constData(), trimmed.toUtf8().constData()));
    }
    return key;
}
