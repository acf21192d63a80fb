#pragma once

#include <QString>
#include <QVariantList>

// printf-style filling of the language texts: %s, %d, %u, %x, %f with an
// optional width and precision (%.2f, %5d), and %%. It tolerates texts and
// arguments that do not match: a placeholder without an argument becomes
// empty, arguments without a placeholder are dropped, an unknown directive
// is copied as it stands. Numbers always use "." as decimal separator.
QString FormatText(const QString &pattern, const QVariantList &args);
