// A small reader for the package-information reply. It accepts and rejects exactly what the
// tolerant JSON reader the reply format was defined against does (comments, trailing text after
// the document, numbers decoded as integers first), reads the values the same way, and keeps
// the installer free of the stream and locale machinery such a library pulls into a static
// build.
#pragma once

#include <cstdint>
#include <map>
#include <string>

enum class JsonType { kNull, kInt, kUInt, kReal, kString, kBool, kArray, kObject };

class CJsonValue {
public:
    JsonType Type() const { return m_type; }
    // Objects answer; null has no members; anything else throws "not an object".
    bool IsMember(const std::string& key) const;
    // The member, or a null value when there is none; throws like IsMember.
    const CJsonValue& operator[](const std::string& key) const;
    // Throws "not convertible to int" for text, arrays, objects and numbers out of range;
    // reals are truncated toward zero.
    int32_t AsInt() const;
    // Numbers and booleans as text; throws "not convertible to text" for arrays and objects.
    std::string AsString() const;

private:
    friend class CJsonParser;

    JsonType m_type = JsonType::kNull;
    bool m_bool = false;
    int64_t m_int = 0;
    uint64_t m_uint = 0;
    double m_real = 0;
    std::string m_text;
    std::map<std::string, CJsonValue> m_members;
};

// False when `text` does not start with one well-formed value (after blanks and comments).
bool ParseJson(const std::string& text, CJsonValue& root);
