#include "controller/JsonValue.h"

#include <fmt/format.h>

#include <charconv>
#include <cmath>

#include "platform/FileError.h"

namespace vyx {
namespace {

class CJsonParser {
public:
    explicit CJsonParser(std::string_view text) : m_text(text) {}

    CJsonValue Document() {
        CJsonValue value = Value(0);
        Blanks();
        if (m_pos != m_text.size()) Fail("text after the end of the document");
        return value;
    }

private:
    static constexpr int kMaxDepth = 64;

    [[noreturn]] void Fail(const char* what) const {
        throw CVyxError(fmt::format("not valid JSON at byte {}: {}", m_pos, what));
    }
    void Blanks() {
        while (m_pos < m_text.size() &&
               (m_text[m_pos] == ' ' || m_text[m_pos] == '\n' || m_text[m_pos] == '\r' || m_text[m_pos] == '\t'))
            ++m_pos;
    }
    bool Take(char c) {
        Blanks();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    void Expect(char c) {
        if (!Take(c)) Fail(c == ':' ? "':' expected" : c == ',' ? "',' expected" : "unexpected character");
    }
    bool Word(std::string_view word) {
        if (m_text.substr(m_pos, word.size()) != word) return false;
        m_pos += word.size();
        return true;
    }

    CJsonValue Value(int depth) {
        if (depth > kMaxDepth) Fail("nested too deeply");
        Blanks();
        if (m_pos >= m_text.size()) Fail("value expected");
        const char c = m_text[m_pos];
        if (c == '{') return ObjectValue(depth);
        if (c == '[') return ArrayValue(depth);
        if (c == '"') return CJsonValue(String());
        if (Word("true")) return CJsonValue(true);
        if (Word("false")) return CJsonValue(false);
        if (Word("null")) return CJsonValue();
        return CJsonValue(Number());
    }

    CJsonValue ObjectValue(int depth) {
        ++m_pos;
        CJsonValue::Object object;
        if (Take('}')) return CJsonValue(std::move(object));
        do {
            Blanks();
            if (m_pos >= m_text.size() || m_text[m_pos] != '"') Fail("member name expected");
            std::string key = String();
            Expect(':');
            object[std::move(key)] = Value(depth + 1);
        } while (Take(','));
        Expect('}');
        return CJsonValue(std::move(object));
    }

    CJsonValue ArrayValue(int depth) {
        ++m_pos;
        CJsonValue::Array array;
        if (Take(']')) return CJsonValue(std::move(array));
        do {
            array.push_back(Value(depth + 1));
        } while (Take(','));
        Expect(']');
        return CJsonValue(std::move(array));
    }

    double Number() {
        const char* begin = m_text.data() + m_pos;
        const char* end = m_text.data() + m_text.size();
        double value = 0;
        const auto result = std::from_chars(begin, end, value);
        if (result.ec != std::errc() || !std::isfinite(value)) Fail("value expected");
        m_pos += static_cast<std::size_t>(result.ptr - begin);
        return value;
    }

    unsigned Hex4() {
        if (m_pos + 4 > m_text.size()) Fail("bad \\u escape");
        unsigned code = 0;
        const auto result = std::from_chars(m_text.data() + m_pos, m_text.data() + m_pos + 4, code, 16);
        if (result.ptr != m_text.data() + m_pos + 4) Fail("bad \\u escape");
        m_pos += 4;
        return code;
    }

    static void Utf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    std::string String() {
        ++m_pos;  // the opening quote
        std::string out;
        while (true) {
            if (m_pos >= m_text.size()) Fail("unterminated string");
            const char c = m_text[m_pos++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) Fail("control character in a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_text.size()) Fail("unterminated string");
            switch (m_text[m_pos++]) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    unsigned code = Hex4();
                    if (code >= 0xD800 && code < 0xDC00 && Word("\\u")) {
                        const unsigned low = Hex4();
                        if (low < 0xDC00 || low > 0xDFFF) Fail("bad surrogate pair");
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    }
                    Utf8(out, code);
                    break;
                }
                default: Fail("bad escape");
            }
        }
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

void QuoteTo(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    out += fmt::format("\\u{:04x}", static_cast<unsigned>(c));
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

}  // namespace

CJsonValue CJsonValue::Parse(std::string_view text) { return CJsonParser(text).Document(); }

std::string CJsonValue::Serialize() const {
    std::string out;
    SerializeTo(out);
    return out;
}

const CJsonValue* CJsonValue::Find(const std::string& key) const {
    if (!IsObject()) return nullptr;
    const auto it = AsObject().find(key);
    return it == AsObject().end() ? nullptr : &it->second;
}

void CJsonValue::SerializeTo(std::string& out) const {
    if (std::holds_alternative<std::monostate>(m_value)) {
        out += "null";
    } else if (const bool* flag = std::get_if<bool>(&m_value)) {
        out += *flag ? "true" : "false";
    } else if (const double* number = std::get_if<double>(&m_value)) {
        // Whole numbers (offsets, times) without a fraction or exponent.
        if (std::floor(*number) == *number && std::fabs(*number) < 9.0e15) {
            out += fmt::format("{}", static_cast<long long>(*number));
        } else {
            out += fmt::format("{}", *number);
        }
    } else if (const std::string* text = std::get_if<std::string>(&m_value)) {
        QuoteTo(out, *text);
    } else if (const Array* array = std::get_if<Array>(&m_value)) {
        out += '[';
        for (std::size_t i = 0; i < array->size(); ++i) {
            if (i > 0) out += ',';
            (*array)[i].SerializeTo(out);
        }
        out += ']';
    } else {
        out += '{';
        bool first = true;
        for (const auto& [key, value] : std::get<Object>(m_value)) {
            if (!first) out += ',';
            first = false;
            QuoteTo(out, key);
            out += ':';
            value.SerializeTo(out);
        }
        out += '}';
    }
}

}  // namespace vyx
