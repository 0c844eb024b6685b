#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kestrin::test {

// A JSON value as the analyser's output holds it: enough of the grammar to read that output
// back strictly (objects, arrays, strings with the escapes it writes, numbers, null, booleans).
struct JsonValue {
    enum class Kind { Null, Boolean, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;              // of an array
    std::map<std::string, JsonValue> members;  // of an object

    // The member `key` of an object; throws std::out_of_range when there is none.
    const JsonValue& operator[](const std::string& key) const { return members.at(key); }
};

// The whole text as one value, or nullopt when it is not valid JSON (trailing text included).
std::optional<JsonValue> ParseJson(const std::string& text);

}  // namespace kestrin::test
