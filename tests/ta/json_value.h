#pragma once

// A small JSON reader for the reference files: one document per line,
// numbers read with correct rounding so that inputs round-trip exactly.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvra::ta::test {

struct JsonValue
{
    enum class Kind { Null, Bool, Number, String, Array, Object };

    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    // Member of an object, or null when absent or not an object.
    const JsonValue *find(std::string_view key) const;
    std::vector<double> numbers() const;
};

// Parses one complete document; nothing on malformed text.
std::optional<JsonValue> parseJson(std::string_view text);

} // namespace kelvra::ta::test
