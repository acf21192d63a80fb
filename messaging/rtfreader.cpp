#include "rtfreader.h"

#include <vector>

#include <QColor>
#include <QTextCursor>
#include <QTextDocument>

#include "wiretext.h"

namespace {

constexpr int kMaxDepth = 100;
constexpr qsizetype kMaxInput = 8 * 1024 * 1024;

struct State {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 24;
    int colour = 0;
    bool skip = false;       // a destination whose text is not shown
    bool colourTable = false;
    int ucSkip = 1;          // fallback characters after \uN
};

// Words that open a destination that is never shown.
bool isSkippedDestination(const QByteArray &word)
{
    static const char *const names[] = {"fonttbl", "stylesheet", "info", "pict", "header", "footer", "headerl",
                                        "headerr", "headerf", "footerl", "footerr", "footerf", "generator",
                                        "listtable", "listoverridetable", "rsidtbl", "xmlnsdecl", "themedata",
                                        "colorschememapping", "latentstyles", "datastore", "object", "fldinst",
                                        "filetbl", "revtbl", "author", "operator", "title", "subject",
                                        "keywords", "comment", "doccomm", "bkmkstart", "bkmkend", "footnote",
                                        "annotation", "private", "userprops", "pgdsctbl", "nonshppict"};
    for (const char *name : names)
        if (word == name)
            return true;
    return false;
}

class Reader {
public:
    Reader(const QByteArray &in, QTextDocument &doc) : src(in), cursor(&doc) {}

    bool run()
    {
        stack.push_back(State{});
        bool rootClosed = false;
        while (pos < src.size() && !rootClosed) {
            const char c = src[pos];
            if (c == '{') {
                ++pos;
                flush();
                if (int(stack.size()) > kMaxDepth)
                    return false;
                stack.push_back(stack.back());
                stack.back().colourTable = false;
                groupStart = true;
                continue;
            }
            if (c == '}') {
                ++pos;
                flush();
                if (stack.back().colourTable && haveColour)
                    endColour();
                stack.pop_back();
                if (stack.size() == 1)
                    rootClosed = true;
                groupStart = false;
                continue;
            }
            if (c == '\\') {
                if (!control())
                    return false;
                continue;
            }
            ++pos;
            groupStart = false;
            if (c == '\r' || c == '\n')
                continue;
            if (stack.back().colourTable) {
                if (c == ';')
                    endColour();
                continue;
            }
            character(uchar(c));
        }
        flush();
        return rootClosed;
    }

private:
    void character(uchar byte)
    {
        if (pendingSkip > 0) {
            --pendingSkip;
            return;
        }
        if (stack.back().skip)
            return;
        pendingBytes.append(char(byte));
    }

    void text(const QString &t)
    {
        if (stack.back().skip)
            return;
        flushBytes();
        pendingText += t;
    }

    void flushBytes()
    {
        if (!pendingBytes.isEmpty()) {
            pendingText += DecodeWireText(pendingBytes);
            pendingBytes.clear();
        }
    }

    // Writes the pending text with the current formatting.
    void flush()
    {
        flushBytes();
        if (pendingText.isEmpty())
            return;
        const State &s = stack.back();
        QTextCharFormat format;
        format.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(s.italic);
        format.setFontUnderline(s.underline);
        if (s.halfPoints > 0)
            format.setFontPointSize(s.halfPoints / 2.0);
        if (s.colour > 0 && s.colour < int(colours.size()) && colours[size_t(s.colour)].isValid())
            format.setForeground(colours[size_t(s.colour)]);
        cursor.insertText(pendingText, format);
        pendingText.clear();
    }

    void endColour()
    {
        colours.push_back(haveColour ? QColor(red, green, blue) : QColor());
        red = green = blue = 0;
        haveColour = false;
    }

    // A control word or symbol at pos (a backslash); false on damage.
    bool control()
    {
        ++pos;
        if (pos >= src.size())
            return false;
        const char c = src[pos];
        const bool wasGroupStart = groupStart;
        groupStart = false;
        if (!std::isalpha(uchar(c))) {
            ++pos;
            switch (c) {
            case '\'': {
                if (src.size() - pos < 2)
                    return false;
                bool ok = false;
                const int value = src.mid(pos, 2).toInt(&ok, 16);
                if (!ok)
                    return false;
                pos += 2;
                if (!stack.back().colourTable)
                    character(uchar(value));
                return true;
            }
            case '*':
                if (wasGroupStart)
                    stack.back().skip = true;
                return true;
            case '~':
                text(QString(QChar(0x00A0)));
                return true;
            case '_':
                text(QString(QChar(0x2011)));
                return true;
            case '-':
                return true;
            case '\r':
            case '\n':
                paragraph();
                return true;
            default:  // \\, \{, \} and other escaped symbols
                character(uchar(c));
                return true;
            }
        }
        const qsizetype start = pos;
        while (pos < src.size() && pos - start < 32 && std::isalpha(uchar(src[pos])))
            ++pos;
        const QByteArray word = src.mid(start, pos - start);
        bool hasNumber = false;
        bool negative = false;
        qint64 number = 0;
        if (pos < src.size() && src[pos] == '-') {
            negative = true;
            ++pos;
        }
        int digits = 0;
        while (pos < src.size() && std::isdigit(uchar(src[pos]))) {
            if (digits < 10)
                number = number * 10 + (src[pos] - '0');
            ++digits;
            ++pos;
            hasNumber = true;
        }
        if (negative)
            number = -number;
        if (pos < src.size() && src[pos] == ' ')
            ++pos;
        apply(word, hasNumber, number, wasGroupStart);
        return true;
    }

    void paragraph()
    {
        if (stack.back().skip)
            return;
        flush();
        cursor.insertBlock();
    }

    void apply(const QByteArray &word, bool hasNumber, qint64 n, bool groupStart)
    {
        State &s = stack.back();
        const bool on = !hasNumber || n != 0;
        if (s.colourTable) {
            if (word == "red")
                red = int(std::clamp<qint64>(n, 0, 255)), haveColour = true;
            else if (word == "green")
                green = int(std::clamp<qint64>(n, 0, 255)), haveColour = true;
            else if (word == "blue")
                blue = int(std::clamp<qint64>(n, 0, 255)), haveColour = true;
            return;
        }
        if (word == "colortbl") {
            s.colourTable = true;
            s.skip = true;
            return;
        }
        if (groupStart && isSkippedDestination(word)) {
            s.skip = true;
            return;
        }
        if (word == "par") {
            paragraph();
        } else if (word == "line") {
            text(QString(QChar::LineSeparator));
        } else if (word == "tab") {
            text(QStringLiteral("\t"));
        } else if (word == "u" && hasNumber) {
            const int code = int(n < 0 ? n + 65536 : n);
            if (code > 0 && code <= 0xFFFF)
                text(QString(QChar(char16_t(code))));
            pendingSkip = s.ucSkip;
        } else if (word == "uc" && hasNumber) {
            s.ucSkip = int(std::clamp<qint64>(n, 0, 10));
        } else if (word == "b" || word == "i" || word == "ul" || word == "ulnone" || word == "fs" || word == "cf"
                   || word == "plain") {
            flush();
            if (word == "b")
                s.bold = on;
            else if (word == "i")
                s.italic = on;
            else if (word == "ul")
                s.underline = on;
            else if (word == "ulnone")
                s.underline = false;
            else if (word == "fs")
                s.halfPoints = hasNumber ? int(std::clamp<qint64>(n, 2, 3000)) : 24;
            else if (word == "cf")
                s.colour = hasNumber ? int(std::clamp<qint64>(n, 0, 100000)) : 0;
            else {  // plain
                s.bold = s.italic = s.underline = false;
                s.halfPoints = 24;
                s.colour = 0;
            }
        }
        // Anything else changes nothing that is shown.
    }

    const QByteArray &src;
    QTextCursor cursor;
    qsizetype pos = 0;
    std::vector<State> stack;
    std::vector<QColor> colours;  // entry 0 is the automatic colour
    QByteArray pendingBytes;
    QString pendingText;
    int pendingSkip = 0;
    bool groupStart = false;
    int red = 0, green = 0, blue = 0;
    bool haveColour = false;
};

} // namespace

bool IsRichText(const QByteArray &text) { return text.startsWith("{\\rtf"); }

bool ReadRichText(const QByteArray &text, QTextDocument &document)
{
    if (!IsRichText(text) || text.size() > kMaxInput)
        return false;
    document.clear();
    return Reader(text, document).run();
}

void LoadMailContent(QTextDocument &document, const QByteArray &text)
{
    if (ReadRichText(text, document))
        return;
    QString plain = DecodeWireText(text);
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    document.clear();
    document.setPlainText(plain);
}
