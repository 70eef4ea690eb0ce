// Unpacking of the skin archive. Every member must be a plain file name: anything with a folder,
// a drive or "." / ".." is refused before a single byte is written, so an archive can never
// place a file outside the destination folder.
#pragma once

#include <string>
#include <vector>

// 0 when every member was written into `folder` (which ends with a separator), -1 otherwise:
// empty arguments, an unreadable archive, no members, a refused name or a member that fails.
int UnzipAll(const std::wstring& folder, const std::wstring& archivePath);

// Whether a member name may be unpacked as it is: not empty, no separator of either kind, no
// drive colon, not "." or "..".
bool IsPlainMemberName(const std::string& name);

// The two helpers below take the minizip handle (unzFile) as an opaque pointer so that this
// header does not need minizip's.

// Names of the members in archive order; stops at the first member that cannot be read.
void ListZipEntries(void* archive, std::vector<std::string>& names);
// Writes one member (located case-sensitively) to `destPath`; 0 or -1. A member of length 0
// fails. A partly written file may stay behind on failure.
int UnzipEntry(void* archive, const std::string& name, const std::wstring& destPath);
