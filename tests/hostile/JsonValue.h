#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trelmark::test {

// Just enough JSON to read what the report tool writes: a value tree built from text, numbers kept as their
// text so that 64-bit counts stay exact. parseJson gives nothing when the text is not one well-formed value
// (the tests then fail on that alone). Test code; any thread.
class JsonValue {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    [[nodiscard]] Kind kind() const noexcept { return m_kind; }
    [[nodiscard]] bool isNull() const noexcept { return m_kind == Kind::Null; }
    [[nodiscard]] bool boolean() const noexcept { return m_kind == Kind::Bool && m_text == "true"; }
    // The number's text, the string's unescaped bytes.
    [[nodiscard]] const std::string& text() const noexcept { return m_text; }
    // The number as an unsigned count; 0 for anything else.
    [[nodiscard]] unsigned long long count() const;
    [[nodiscard]] const std::vector<JsonValue>& items() const noexcept { return m_items; }
    // The member of that name; a null value when there is none.
    [[nodiscard]] const JsonValue& operator[](std::string_view key) const;

private:
    friend class JsonParser;
    Kind m_kind = Kind::Null;
    std::string m_text;
    std::vector<JsonValue> m_items;
    std::map<std::string, JsonValue, std::less<>> m_members;
};

[[nodiscard]] std::optional<JsonValue> parseJson(std::string_view text);

// The bytes of a base64 text.
[[nodiscard]] std::string fromBase64(std::string_view text);

}  // namespace trelmark::test
