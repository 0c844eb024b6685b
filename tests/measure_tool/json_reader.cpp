#include "tests/measure_tool/json_reader.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace kestrin::test {

namespace {

class Reader {
  public:
    explicit Reader(const std::string& text) : m_text(text) {}

    bool Value(JsonValue& value, int depth) {
        Blanks();
        if (depth > 32 || m_at >= m_text.size()) return false;
        const char c = m_text[m_at];
        if (c == '{') return Object(value, depth);
        if (c == '[') return Array(value, depth);
        if (c == '"') {
            value.kind = JsonValue::Kind::String;
            return String(value.text);
        }
        if (Word("null")) return true;
        if (Word("true") || Word("false")) {
            value.kind = JsonValue::Kind::Boolean;
            value.boolean = c == 't';
            return true;
        }
        return Number(value);
    }

    bool AtEnd() {
        Blanks();
        return m_at == m_text.size();
    }

  private:
    void Blanks() {
        while (m_at < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_at]))) {
            ++m_at;
        }
    }

    bool Take(char c) {
        Blanks();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }

    bool Word(const char* word) {
        const size_t length = std::strlen(word);
        if (m_text.compare(m_at, length, word) != 0) return false;
        m_at += length;
        return true;
    }

    bool Number(JsonValue& value) {
        const char* start = m_text.c_str() + m_at;
        if (*start != '-' && !std::isdigit(static_cast<unsigned char>(*start))) return false;
        char* end = nullptr;
        value.number = std::strtod(start, &end);
        value.kind = JsonValue::Kind::Number;
        m_at += static_cast<size_t>(end - start);
        return end != start;
    }

    bool String(std::string& out) {
        ++m_at;
        while (m_at < m_text.size() && m_text[m_at] != '"') {
            char c = m_text[m_at++];
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c == '\\') {
                if (m_at >= m_text.size()) return false;
                c = m_text[m_at++];
                if (c == 'u') {
                    if (m_at + 4 > m_text.size()) return false;
                    c = static_cast<char>(std::strtol(m_text.substr(m_at, 4).c_str(), nullptr, 16));
                    m_at += 4;
                } else if (c != '"' && c != '\\' && c != '/') {
                    return false;
                }
            }
            out += c;
        }
        return Take('"');
    }

    bool Array(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Array;
        ++m_at;
        if (Take(']')) return true;
        do {
            value.items.emplace_back();
            if (!Value(value.items.back(), depth + 1)) return false;
        } while (Take(','));
        return Take(']');
    }

    bool Object(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Object;
        ++m_at;
        if (Take('}')) return true;
        do {
            std::string key;
            Blanks();
            if (m_at >= m_text.size() || m_text[m_at] != '"' || !String(key) || !Take(':')) {
                return false;
            }
            if (!Value(value.members[key], depth + 1)) return false;
        } while (Take(','));
        return Take('}');
    }

    const std::string& m_text;
    size_t m_at = 0;  // index of the next character to read
};

}  // namespace

std::optional<JsonValue> ParseJson(const std::string& text) {
    Reader reader(text);
    JsonValue value;
    if (!reader.Value(value, 0) || !reader.AtEnd()) return std::nullopt;
    return value;
}

}  // namespace kestrin::test
