#include "json_value.h"

#include <charconv>
#include <limits>

namespace kelvra::ta::test {
namespace {

class Parser
{
public:
    explicit Parser(std::string_view text) : m_text(text) {}

    std::optional<JsonValue> document()
    {
        JsonValue value;
        if (!parseValue(value, 0))
            return std::nullopt;
        skipSpace();
        if (m_pos != m_text.size())
            return std::nullopt;
        return value;
    }

private:
    static constexpr int kMaxDepth = 32;

    void skipSpace()
    {
        while (m_pos < m_text.size()
               && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' || m_text[m_pos] == '\r'
                   || m_text[m_pos] == '\n'))
            ++m_pos;
    }

    bool take(char c)
    {
        skipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    bool literal(std::string_view word)
    {
        if (m_text.substr(m_pos, word.size()) != word)
            return false;
        m_pos += word.size();
        return true;
    }

    bool parseString(std::string &out)
    {
        if (!take('"'))
            return false;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"')
                return true;
            if (c == '\\') {
                if (m_pos >= m_text.size())
                    return false;
                const char e = m_text[m_pos++];
                switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'n': out += '\n'; break;
                case 't': out += '\t'; break;
                case 'r': out += '\r'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                default: return false; // \u escapes never occur in these files
                }
            } else {
                out += c;
            }
        }
        return false;
    }

    bool parseValue(JsonValue &value, int depth)
    {
        if (depth > kMaxDepth)
            return false;
        skipSpace();
        if (m_pos >= m_text.size())
            return false;
        const char c = m_text[m_pos];
        if (c == '{') {
            ++m_pos;
            value.kind = JsonValue::Kind::Object;
            if (take('}'))
                return true;
            do {
                std::string key;
                skipSpace();
                if (!parseString(key) || !take(':'))
                    return false;
                JsonValue member;
                if (!parseValue(member, depth + 1))
                    return false;
                value.members.emplace_back(std::move(key), std::move(member));
            } while (take(','));
            return take('}');
        }
        if (c == '[') {
            ++m_pos;
            value.kind = JsonValue::Kind::Array;
            if (take(']'))
                return true;
            do {
                JsonValue item;
                if (!parseValue(item, depth + 1))
                    return false;
                value.items.push_back(std::move(item));
            } while (take(','));
            return take(']');
        }
        if (c == '"') {
            value.kind = JsonValue::Kind::String;
            return parseString(value.text);
        }
        if (literal("null")) {
            value.kind = JsonValue::Kind::Null;
            return true;
        }
        if (literal("true") || literal("false")) {
            value.kind = JsonValue::Kind::Bool;
            value.boolean = m_text[m_pos - 1] == 'e' && m_text[m_pos - 2] == 'u';
            return true;
        }
        // NaN and Infinity are written bare by some JSON writers.
        if (literal("NaN")) {
            value.kind = JsonValue::Kind::Number;
            value.number = std::numeric_limits<double>::quiet_NaN();
            return true;
        }
        const char *begin = m_text.data() + m_pos;
        const char *end = m_text.data() + m_text.size();
        if (*begin == '+')
            return false;
        const auto [ptr, ec] = std::from_chars(begin, end, value.number);
        if (ec != std::errc() || ptr == begin)
            return false;
        value.kind = JsonValue::Kind::Number;
        m_pos += static_cast<std::size_t>(ptr - begin);
        return true;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace

const JsonValue *JsonValue::find(std::string_view key) const
{
    for (const auto &[name, value] : members) {
        if (name == key)
            return &value;
    }
    return nullptr;
}

std::vector<double> JsonValue::numbers() const
{
    std::vector<double> result;
    result.reserve(items.size());
    for (const JsonValue &item : items)
        result.push_back(item.number);
    return result;
}

std::optional<JsonValue> parseJson(std::string_view text)
{
    return Parser(text).document();
}

} // namespace kelvra::ta::test
