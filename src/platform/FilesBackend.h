// What Files.cpp needs from the platform backend; not for use outside the platform module.
#pragma once

#include <cstdint>
#include <string>

// The user's roaming application-data folder; empty when the platform cannot name it.
std::wstring QueryAppDataFolder();
// When the path itself is a link (a symbolic link; on Windows any reparse point, junctions
// included), removes the link and leaves its target alone: 1 removed, -1 a link that could not
// be removed, 0 not a link (nothing done).
int RemoveIfLink(const std::wstring& path);
// Removes one empty folder.
bool RemoveEmptyDir(const std::wstring& path);
// Creates exactly this folder: 1 made now, 0 it already existed, -1 any other failure.
int MakeNewDir(const std::wstring& path);
int64_t ThisProcessId();
