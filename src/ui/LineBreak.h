// Where a text widget's text goes onto a new line. The text layout of some systems wraps only at
// spaces, so a Chinese sentence, which has none, would run out of its box; the widget breaks the
// lines itself with this rule and draws them one by one. Portable: widths come from a callback.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// One line: the characters [start, start + length) of the text, trailing spaces not included.
struct TextLine {
    size_t start;
    size_t length;
};

// Whether a line may end between text[i - 1] and text[i] (0 < i < size): after a run of spaces,
// or next to an East Asian character (never before closing punctuation such as "，" or "”",
// never after opening punctuation such as "“"). Never inside a Latin word or number, never
// between the halves of a surrogate pair.
bool CanBreakBefore(const std::wstring& text, size_t i);

// Width in pixels of text[start, start + length) drawn on one line.
using MeasureText = std::function<double(size_t start, size_t length)>;

// The text's lines, each as long as fits in `maxWidth`, broken at the last place CanBreakBefore
// allows; "\n" always ends a line. A piece with no break that is wider than a whole line (one
// long word) is the only thing cut between any two characters. Spaces at a line's end are left
// out of it and of its width; spaces a break leaves at the start of the next line are skipped.
std::vector<TextLine> BreakLines(const std::wstring& text, double maxWidth, const MeasureText& measure);
