#include "JsonValue.h"

#include <cstdlib>

namespace trelmark::test {

class JsonParser {
public:
    explicit JsonParser(std::string_view text) : m_text(text) {}

    std::optional<JsonValue> document() {
        JsonValue value;
        if (!parse(value, 0)) {
            return std::nullopt;
        }
        skipSpace();
        return m_at == m_text.size() ? std::optional<JsonValue>(std::move(value)) : std::nullopt;
    }

private:
    void skipSpace() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\n' || m_text[m_at] == '\t' ||
                                        m_text[m_at] == '\r')) {
            ++m_at;
        }
    }

    bool take(char c) {
        skipSpace();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }

    bool word(std::string_view expected, JsonValue& value, JsonValue::Kind kind) {
        if (m_text.substr(m_at, expected.size()) != expected) {
            return false;
        }
        m_at += expected.size();
        value.m_kind = kind;
        value.m_text = std::string(expected);
        return true;
    }

    bool string(std::string& out) {
        if (!take('"')) {
            return false;
        }
        while (m_at < m_text.size() && m_text[m_at] != '"') {
            const auto byte = static_cast<unsigned char>(m_text[m_at]);
            if (byte < 0x20) {
                return false;  // a raw control character: not JSON
            }
            if (byte != '\\') {
                out += m_text[m_at++];
                continue;
            }
            if (m_at + 1 >= m_text.size()) {
                return false;
            }
            const char escaped = m_text[m_at + 1];
            m_at += 2;
            switch (escaped) {
                case '"':
                case '\\':
                case '/':
                    out += escaped;
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'u': {
                    // Only what the report writes: \u00XX for control characters.
                    if (m_at + 4 > m_text.size() || m_text.substr(m_at, 2) != "00") {
                        return false;
                    }
                    out += static_cast<char>(
                        std::strtol(std::string(m_text.substr(m_at + 2, 2)).c_str(), nullptr, 16));
                    m_at += 4;
                    break;
                }
                default:
                    return false;
            }
        }
        return take('"');
    }

    bool parse(JsonValue& value, int depth) {
        skipSpace();
        if (m_at >= m_text.size() || depth > 32) {
            return false;
        }
        const char c = m_text[m_at];
        if (c == 'n') {
            return word("null", value, JsonValue::Kind::Null);
        }
        if (c == 't') {
            return word("true", value, JsonValue::Kind::Bool);
        }
        if (c == 'f') {
            return word("false", value, JsonValue::Kind::Bool);
        }
        if (c == '"') {
            value.m_kind = JsonValue::Kind::String;
            return string(value.m_text);
        }
        if (c == '[') {
            ++m_at;
            value.m_kind = JsonValue::Kind::Array;
            if (take(']')) {
                return true;
            }
            do {
                if (!parse(value.m_items.emplace_back(), depth + 1)) {
                    return false;
                }
            } while (take(','));
            return take(']');
        }
        if (c == '{') {
            ++m_at;
            value.m_kind = JsonValue::Kind::Object;
            if (take('}')) {
                return true;
            }
            do {
                std::string key;
                JsonValue member;
                if (!string(key) || !take(':') || !parse(member, depth + 1)) {
                    return false;
                }
                value.m_members.insert_or_assign(std::move(key), std::move(member));
            } while (take(','));
            return take('}');
        }
        const std::size_t start = m_at;
        while (m_at < m_text.size() &&
               std::string_view("-+.eE0123456789").find(m_text[m_at]) != std::string_view::npos) {
            ++m_at;
        }
        value.m_kind = JsonValue::Kind::Number;
        value.m_text = std::string(m_text.substr(start, m_at - start));
        return m_at > start;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

unsigned long long JsonValue::count() const {
    return m_kind == Kind::Number ? std::strtoull(m_text.c_str(), nullptr, 10) : 0;
}

const JsonValue& JsonValue::operator[](std::string_view key) const {
    static const JsonValue kNull;
    const auto found = m_members.find(key);
    return found == m_members.end() ? kNull : found->second;
}

std::optional<JsonValue> parseJson(std::string_view text) {
    return JsonParser(text).document();
}

std::string fromBase64(std::string_view text) {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned group = 0;
    int bits = 0;
    for (const char c : text) {
        const std::size_t value = kAlphabet.find(c);
        if (value == std::string_view::npos) {
            break;
        }
        group = (group << 6) | static_cast<unsigned>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((group >> bits) & 0xFF);
        }
    }
    return out;
}

}  // namespace trelmark::test
