// Making links for the tests of link-safe removal. Windows: a folder symbolic link, else a
// junction; POSIX: a symbolic link. False when the system (or Wine) cannot make one here.
#pragma once

#include <string>

bool MakeFolderLink(const std::wstring& link, const std::wstring& target);
bool MakeFileLink(const std::wstring& link, const std::wstring& target);
