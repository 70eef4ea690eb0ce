#include "ui/LineBreak.h"

#include <cstdint>

namespace {

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == 0x3000;
}

// Ideographs, kana, Hangul, their punctuation and the full-width forms: a line may end next to
// any of them. The supplementary ideographs are surrogate pairs in UTF-16 and single units where
// wide characters have 32 bits.
bool IsEastAsian(wchar_t ch) {
    const uint32_t c = static_cast<uint32_t>(ch);
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xA960 && c <= 0xA97F) || (c >= 0xAC00 && c <= 0xD7FF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF) ||
           IsHighSurrogate(ch) || IsLowSurrogate(ch) || (c >= 0x20000 && c <= 0x3FFFF);
}

// Punctuation that must not begin a line.
bool IsClosing(wchar_t c) {
    static const wchar_t kClosing[] =
        L",.;:?!)]}%"
        L"\x3001\x3002\xFF0C\xFF0E\xFF1A\xFF1B\xFF1F\xFF01"  // 、。，．：；？！
        L"\xFF09\xFF3D\xFF5D\x3009\x300B\x300D\x300F\x3011\x3015\x3017"
        L"\x201D\x2019\x2026\x30FC\x00B7\x30FB\xFF5E\xFF05";
    for (const wchar_t* p = kClosing; *p; ++p) {
        if (*p == c) return true;
    }
    return false;
}

// Punctuation that must not end a line.
bool IsOpening(wchar_t c) {
    static const wchar_t kOpening[] =
        L"([{"
        L"\xFF08\xFF3B\xFF5B\x3008\x300A\x300C\x300E\x3010\x3014\x3016"
        L"\x201C\x2018";
    for (const wchar_t* p = kOpening; *p; ++p) {
        if (*p == c) return true;
    }
    return false;
}

}  // namespace

bool CanBreakBefore(const std::wstring& text, size_t i) {
    if (i == 0 || i >= text.size()) return false;
    const wchar_t before = text[i - 1];
    const wchar_t after = text[i];
    if (IsHighSurrogate(before) && IsLowSurrogate(after)) return false;
    if (IsSpace(after)) return false;
    if (IsSpace(before)) return true;
    if (IsClosing(after) || IsOpening(before)) return false;
    return IsEastAsian(before) || IsEastAsian(after);
}

std::vector<TextLine> BreakLines(const std::wstring& text, double maxWidth, const MeasureText& measure) {
    std::vector<TextLine> lines;
    const size_t size = text.size();
    size_t start = 0;
    auto trimmedEnd = [&](size_t from, size_t end) {
        while (end > from && IsSpace(text[end - 1])) --end;
        return end;
    };
    // Most texts are one short line: one measure instead of one per character.
    if (size > 0 && text.find(L'\n') == std::wstring::npos) {
        const size_t end = trimmedEnd(0, size);
        if (measure(0, end) <= maxWidth) return {TextLine{0, end}};
    }
    while (start < size) {
        size_t end = start;
        size_t lastBreak = 0;  // 0: no break inside this line yet
        bool hardBreak = false;
        while (end < size) {
            if (text[end] == L'\n') {
                hardBreak = true;
                break;
            }
            if (end > start && CanBreakBefore(text, end)) lastBreak = end;
            size_t next = end + 1;
            if (IsHighSurrogate(text[end]) && next < size && IsLowSurrogate(text[next])) ++next;
            const size_t visibleEnd = trimmedEnd(start, next);
            if (visibleEnd > start && measure(start, visibleEnd - start) > maxWidth && end > start) {
                // `end` does not fit: break at the last allowed place, else (one long word) here.
                if (lastBreak > start) end = lastBreak;
                break;
            }
            end = next;
        }
        const size_t lineEnd = trimmedEnd(start, end);
        lines.push_back(TextLine{start, lineEnd - start});
        start = end;
        if (hardBreak) {
            ++start;
            if (start == size) lines.push_back(TextLine{start, 0});
        } else {
            while (start < size && IsSpace(text[start])) ++start;
        }
    }
    return lines;
}
