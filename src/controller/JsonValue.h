#pragma once
// A small JSON reader and writer for the viewer's own files (bookmarks): objects, arrays, strings, numbers,
// true, false and null. Numbers are kept as doubles, which hold every offset and time a day file has exactly.

#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vyx {

class CJsonValue {
public:
    using Array = std::vector<CJsonValue>;
    using Object = std::map<std::string, CJsonValue>;

    CJsonValue() = default;
    CJsonValue(double number) : m_value(number) {}
    CJsonValue(bool flag) : m_value(flag) {}
    CJsonValue(std::string text) : m_value(std::move(text)) {}
    CJsonValue(const char* text) : m_value(std::string(text)) {}
    CJsonValue(Array array) : m_value(std::move(array)) {}
    CJsonValue(Object object) : m_value(std::move(object)) {}

    // Throws CVyxError naming the byte where the text stops being JSON.
    static CJsonValue Parse(std::string_view text);
    // Compact, with objects in key order; strings escaped as JSON requires.
    std::string Serialize() const;

    bool IsObject() const { return std::holds_alternative<Object>(m_value); }
    bool IsArray() const { return std::holds_alternative<Array>(m_value); }
    bool IsString() const { return std::holds_alternative<std::string>(m_value); }
    bool IsNumber() const { return std::holds_alternative<double>(m_value); }
    const Object& AsObject() const { return std::get<Object>(m_value); }
    const Array& AsArray() const { return std::get<Array>(m_value); }
    const std::string& AsString() const { return std::get<std::string>(m_value); }
    double AsNumber() const { return std::get<double>(m_value); }
    // A member of an object; null when absent or not an object.
    const CJsonValue* Find(const std::string& key) const;

private:
    void SerializeTo(std::string& out) const;
    std::variant<std::monostate, bool, double, std::string, Array, Object> m_value;
};

}  // namespace vyx
