// Text, number and path helpers shared by every module. Stateless, thread-safe, never throw:
// failure shows as an empty text, 0, -1 (kNotFound) or false.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Conversions read their input up to the first NUL; an empty input or a failed conversion
// gives an empty text. Wide text is UTF-16 on Windows and UTF-32 elsewhere.
std::wstring AnsiToWide(const std::string& text);
std::wstring Utf8ToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
std::string WideToUtf8(const std::wstring& text);

// "%lld" formatting and scanning; unreadable text reads as 0.
std::string Int64ToText(int64_t value);
int64_t TextToInt64(const std::string& text);

// Each character of `delims` separates on its own; empty pieces are dropped.
std::vector<std::string> SplitByChars(const std::string& text, const std::string& delims);
std::vector<std::wstring> SplitByChars(const std::wstring& text, const std::wstring& delims);

constexpr size_t kNotFound = static_cast<size_t>(-1);
size_t FindText(const std::string& text, size_t start, const std::string& needle);
size_t FindText(const std::wstring& text, size_t start, const std::wstring& needle);

std::string TrimLeftChars(const std::string& text, const std::string& chars);
// Null arguments are allowed; an inserted replacement is never searched again.
std::wstring ReplaceAll(const wchar_t* text, const wchar_t* find, const wchar_t* replacement);
// Byte counts; MidText is either exactly `count` bytes or empty.
std::string LeftText(const char* text, size_t count);
std::string MidText(const char* text, size_t offset, size_t count);

std::wstring WithTrailingSlash(const std::wstring& path);
// Both resolve the path to an absolute one first (the platform's full-path rules).
std::wstring GetPathFileName(const std::wstring& path);
std::wstring GetPathDir(const std::wstring& path);
std::wstring GetPathExtension(const std::wstring& path);
// An absolute "X:\folder\..." path acceptable as an installation folder.
bool IsValidInstallPath(const std::wstring& path);
