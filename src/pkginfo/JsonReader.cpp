#include "pkginfo/JsonReader.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Nesting deeper than this is refused rather than risking the stack on a hostile reply.
constexpr size_t kDepthLimit = 1000;

enum class Token {
    kObjectBegin,
    kObjectEnd,
    kArrayBegin,
    kArrayEnd,
    kString,
    kNumber,
    kTrue,
    kFalse,
    kNull,
    kArraySeparator,
    kMemberSeparator,
    kComment,
    kEnd,
    kError
};

struct Lexeme {
    Token m_type = Token::kError;
    const char* m_start = nullptr;
    const char* m_end = nullptr;
};

void AppendUtf8(std::string& out, unsigned int cp) {
    if (cp <= 0x7F) {
        out += static_cast<char>(cp);
    } else if (cp <= 0x7FF) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp <= 0xFFFF) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp <= 0x10FFFF) {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool ReadHex4(const char*& at, const char* end, unsigned int& value) {
    if (end - at < 4) return false;
    value = 0;
    for (int i = 0; i < 4; ++i) {
        const char c = *at++;
        value *= 16;
        if (c >= '0' && c <= '9') {
            value += static_cast<unsigned int>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            value += static_cast<unsigned int>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            value += static_cast<unsigned int>(c - 'A' + 10);
        } else {
            return false;
        }
    }
    return true;
}

// The whole token as a C-locale double, or false where a stream extraction would fail: text
// left over, or out of range (an underflow to zero is a value).
bool DecodeReal(const char* start, const char* end, double& value) {
    const std::string token(start, end);
    char* stop = nullptr;
    value = std::strtod(token.c_str(), &stop);
    if (stop == token.c_str() || *stop != '\0') return false;
    return !std::isinf(value);
}

}  // namespace

class CJsonParser {
public:
    CJsonParser(const char* begin, const char* end) : m_at(begin), m_end(end) {}

    bool ReadValue(CJsonValue& value, size_t depth) {
        if (depth >= kDepthLimit) return false;
        Lexeme token;
        SkipComments(token);
        switch (token.m_type) {
            case Token::kObjectBegin:
                return ReadObject(value, depth);
            case Token::kArrayBegin:
                return ReadArray(value, depth);
            case Token::kNumber:
                return DecodeNumber(token, value);
            case Token::kString:
                value = CJsonValue();
                value.m_type = JsonType::kString;
                return DecodeString(token, value.m_text);
            case Token::kTrue:
            case Token::kFalse:
                value = CJsonValue();
                value.m_type = JsonType::kBool;
                value.m_bool = token.m_type == Token::kTrue;
                return true;
            case Token::kNull:
                value = CJsonValue();
                return true;
            default:
                return false;
        }
    }

private:
    char Next() { return m_at == m_end ? '\0' : *m_at++; }

    void SkipSpaces() {
        while (m_at != m_end && (*m_at == ' ' || *m_at == '\t' || *m_at == '\r' || *m_at == '\n')) ++m_at;
    }

    bool Match(const char* rest, int length) {
        if (m_end - m_at < length) return false;
        for (int i = 0; i < length; ++i) {
            if (m_at[i] != rest[i]) return false;
        }
        m_at += length;
        return true;
    }

    bool ReadString() {
        char c = '\0';
        while (m_at != m_end) {
            c = Next();
            if (c == '\\') {
                Next();
            } else if (c == '"') {
                break;
            }
        }
        return c == '"';
    }

    bool ReadComment() {
        const char c = Next();
        if (c == '*') {
            while (m_at + 1 < m_end) {
                if (Next() == '*' && *m_at == '/') break;
            }
            return Next() == '/';
        }
        if (c != '/') return false;
        while (m_at != m_end) {
            const char d = Next();
            if (d == '\n') break;
            if (d == '\r') {
                if (m_at != m_end && *m_at == '\n') Next();
                break;
            }
        }
        return true;
    }

    // Digits, an optional fraction and an optional exponent; the sign was the first character.
    void ReadNumber() {
        const auto digits = [this] {
            while (m_at != m_end && *m_at >= '0' && *m_at <= '9') ++m_at;
        };
        digits();
        if (m_at != m_end && *m_at == '.') {
            ++m_at;
            digits();
        }
        if (m_at != m_end && (*m_at == 'e' || *m_at == 'E')) {
            ++m_at;
            if (m_at != m_end && (*m_at == '+' || *m_at == '-')) ++m_at;
            digits();
        }
    }

    bool ReadToken(Lexeme& token) {
        SkipSpaces();
        token.m_start = m_at;
        bool ok = true;
        const char c = Next();
        switch (c) {
            case '{':
                token.m_type = Token::kObjectBegin;
                break;
            case '}':
                token.m_type = Token::kObjectEnd;
                break;
            case '[':
                token.m_type = Token::kArrayBegin;
                break;
            case ']':
                token.m_type = Token::kArrayEnd;
                break;
            case '"':
                token.m_type = Token::kString;
                ok = ReadString();
                break;
            case '/':
                token.m_type = Token::kComment;
                ok = ReadComment();
                break;
            case '-':
            case '0':
            case '1':
            case '2':
            case '3':
            case '4':
            case '5':
            case '6':
            case '7':
            case '8':
            case '9':
                token.m_type = Token::kNumber;
                ReadNumber();
                break;
            case 't':
                token.m_type = Token::kTrue;
                ok = Match("rue", 3);
                break;
            case 'f':
                token.m_type = Token::kFalse;
                ok = Match("alse", 4);
                break;
            case 'n':
                token.m_type = Token::kNull;
                ok = Match("ull", 3);
                break;
            case ',':
                token.m_type = Token::kArraySeparator;
                break;
            case ':':
                token.m_type = Token::kMemberSeparator;
                break;
            case '\0':
                token.m_type = Token::kEnd;
                break;  // the end, or a NUL byte
            default:
                ok = false;
                break;
        }
        if (!ok) token.m_type = Token::kError;
        token.m_end = m_at;
        return ok;
    }

    void SkipComments(Lexeme& token) {
        do {
            ReadToken(token);
        } while (token.m_type == Token::kComment);
    }

    bool ReadObject(CJsonValue& value, size_t depth) {
        value = CJsonValue();
        value.m_type = JsonType::kObject;
        Lexeme name;
        std::string key;
        while (ReadToken(name)) {
            bool ok = true;
            while (name.m_type == Token::kComment && ok) ok = ReadToken(name);
            if (!ok) break;
            // Only before a first member, or after one whose name was empty (as the format's
            // reference reader does), does a closing brace end the object here.
            if (name.m_type == Token::kObjectEnd && key.empty()) return true;
            key.clear();
            if (name.m_type != Token::kString) break;
            if (!DecodeString(name, key)) return false;
            Lexeme colon;
            if (!ReadToken(colon) || colon.m_type != Token::kMemberSeparator) return false;
            CJsonValue member;
            if (!ReadValue(member, depth + 1)) return false;
            value.m_members[key] = std::move(member);
            Lexeme comma;
            if (!ReadToken(comma) ||
                (comma.m_type != Token::kObjectEnd && comma.m_type != Token::kArraySeparator &&
                 comma.m_type != Token::kComment)) {
                return false;
            }
            ok = true;
            while (comma.m_type == Token::kComment && ok) ok = ReadToken(comma);
            if (comma.m_type == Token::kObjectEnd) return true;
        }
        return false;
    }

    bool ReadArray(CJsonValue& value, size_t depth) {
        value = CJsonValue();
        value.m_type = JsonType::kArray;  // the reply's reader never looks inside arrays
        SkipSpaces();
        if (m_at != m_end && *m_at == ']') {
            Lexeme close;
            ReadToken(close);
            return true;
        }
        for (;;) {
            CJsonValue item;
            if (!ReadValue(item, depth + 1)) return false;
            Lexeme token;
            bool ok = ReadToken(token);
            while (token.m_type == Token::kComment && ok) ok = ReadToken(token);
            if (!ok || (token.m_type != Token::kArraySeparator && token.m_type != Token::kArrayEnd))
                return false;
            if (token.m_type == Token::kArrayEnd) return true;
        }
    }

    // Integers while they fit 64 bits (signed, or unsigned when positive), reals otherwise.
    static bool DecodeNumber(const Lexeme& token, CJsonValue& value) {
        value = CJsonValue();
        const char* at = token.m_start;
        const bool negative = *at == '-';
        if (negative) ++at;
        const uint64_t max = negative ? uint64_t(INT64_MAX) + 1 : UINT64_MAX;
        const uint64_t threshold = max / 10;
        uint64_t n = 0;
        while (at < token.m_end) {
            const char c = *at++;
            if (c < '0' || c > '9') return DecodeRealToken(token, value);
            const auto digit = static_cast<unsigned>(c - '0');
            if (n >= threshold && (n > threshold || at != token.m_end || digit > max % 10)) {
                return DecodeRealToken(token, value);
            }
            n = n * 10 + digit;
        }
        if (negative) {
            value.m_type = JsonType::kInt;
            value.m_int = n == max ? INT64_MIN : -static_cast<int64_t>(n);
        } else if (n <= static_cast<uint64_t>(INT_MAX)) {
            value.m_type = JsonType::kInt;
            value.m_int = static_cast<int64_t>(n);
        } else {
            value.m_type = JsonType::kUInt;
            value.m_uint = n;
        }
        return true;
    }

    static bool DecodeRealToken(const Lexeme& token, CJsonValue& value) {
        value.m_type = JsonType::kReal;
        return DecodeReal(token.m_start, token.m_end, value.m_real);
    }

    static bool DecodeString(const Lexeme& token, std::string& out) {
        const char* at = token.m_start + 1;
        const char* end = token.m_end - 1;
        while (at != end) {
            const char c = *at++;
            if (c == '"') break;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at == end) return false;
            switch (*at++) {
                case '"':
                    out += '"';
                    break;
                case '/':
                    out += '/';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    unsigned int cp = 0;
                    if (!ReadHex4(at, end, cp)) return false;
                    if (cp >= 0xD800 && cp <= 0xDBFF) {
                        // The second half is taken as it comes, whatever its range.
                        if (end - at < 6) return false;
                        if (*at++ != '\\' || *at++ != 'u') return false;
                        unsigned int low = 0;
                        if (!ReadHex4(at, end, low)) return false;
                        cp = 0x10000 + ((cp & 0x3FF) << 10) + (low & 0x3FF);
                    }
                    AppendUtf8(out, cp);
                    break;
                }
                default:
                    return false;
            }
        }
        return true;
    }

    const char* m_at;
    const char* m_end;
};

bool CJsonValue::IsMember(const std::string& key) const {
    if (m_type == JsonType::kNull) return false;
    if (m_type != JsonType::kObject) throw "not an object";
    return m_members.count(key) != 0;
}

const CJsonValue& CJsonValue::operator[](const std::string& key) const {
    static const CJsonValue kNullValue;
    if (m_type == JsonType::kNull) return kNullValue;
    if (m_type != JsonType::kObject) throw "not an object";
    const auto found = m_members.find(key);
    return found == m_members.end() ? kNullValue : found->second;
}

int32_t CJsonValue::AsInt() const {
    switch (m_type) {
        case JsonType::kNull:
            return 0;
        case JsonType::kBool:
            return m_bool ? 1 : 0;
        case JsonType::kInt:
            if (m_int < INT32_MIN || m_int > INT32_MAX) throw "not convertible to int";
            return static_cast<int32_t>(m_int);
        case JsonType::kUInt:
            if (m_uint > static_cast<uint64_t>(INT32_MAX)) throw "not convertible to int";
            return static_cast<int32_t>(m_uint);
        case JsonType::kReal:
            if (!(m_real >= INT32_MIN && m_real <= INT32_MAX)) throw "not convertible to int";
            return static_cast<int32_t>(m_real);
        default:
            throw "not convertible to int";
    }
}

std::string CJsonValue::AsString() const {
    char buffer[40];
    switch (m_type) {
        case JsonType::kNull:
            return std::string();
        case JsonType::kString:
            return m_text;
        case JsonType::kBool:
            return m_bool ? "true" : "false";
        case JsonType::kInt:
            std::snprintf(buffer, sizeof(buffer), "%lld", static_cast<long long>(m_int));
            return buffer;
        case JsonType::kUInt:
            std::snprintf(buffer, sizeof(buffer), "%llu", static_cast<unsigned long long>(m_uint));
            return buffer;
        case JsonType::kReal: {
            // Seventeen significant digits, and a real stays recognisable as one.
            std::snprintf(buffer, sizeof(buffer), "%.17g", m_real);
            std::string text(buffer);
            for (char& c : text) {
                if (c == ',') c = '.';
            }
            if (text.find('.') == std::string::npos && text.find('e') == std::string::npos) text += ".0";
            return text;
        }
        default:
            throw "not convertible to text";
    }
}

bool ParseJson(const std::string& text, CJsonValue& root) {
    CJsonParser parser(text.data(), text.data() + text.size());
    return parser.ReadValue(root, 0);
}
