#include "textformat.h"

QString FormatText(const QString &pattern, const QVariantList &args)
{
    QString out;
    out.reserve(pattern.size() + 16);
    qsizetype next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != u'%') {
            out += c;
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        // %[-][width][.precision]type
        qsizetype j = i + 1;
        bool left = false;
        if (j < pattern.size() && pattern[j] == u'-') {
            left = true;
            ++j;
        }
        int width = 0;
        while (j < pattern.size() && pattern[j].isDigit() && width < 1000)
            width = width * 10 + pattern[j++].digitValue();
        int precision = -1;
        if (j < pattern.size() && pattern[j] == u'.') {
            precision = 0;
            ++j;
            while (j < pattern.size() && pattern[j].isDigit() && precision < 100)
                precision = precision * 10 + pattern[j++].digitValue();
        }
        if (j >= pattern.size()) {
            out += pattern.mid(i);
            break;
        }
        const QChar type = pattern[j].toLower();
        if (type != u's' && type != u'd' && type != u'u' && type != u'x' && type != u'f') {
            out += pattern.mid(i, j - i + 1);
            i = j;
            continue;
        }
        QString piece;
        if (next < args.size()) {
            const QVariant &arg = args[next];
            if (type == u's')
                piece = precision >= 0 ? arg.toString().left(precision) : arg.toString();
            else if (type == u'd' || type == u'u')
                piece = QString::number(arg.toLongLong());
            else if (type == u'x')
                piece = QString::number(arg.toULongLong(), 16).toUpper();
            else
                piece = QString::number(arg.toDouble(), 'f', precision >= 0 ? precision : 2);
        }
        ++next;
        if (piece.size() < width)
            piece = left ? piece.leftJustified(width) : piece.rightJustified(width);
        out += piece;
        i = j;
    }
    return out;
}
