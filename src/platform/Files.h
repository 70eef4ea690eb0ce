// Folder and file helpers and the installer's two folders. Paths are wide; on POSIX both
// separators are accepted and a backslash is taken as "/".
#pragma once

#include <cstdint>
#include <memory>
#include <string>

bool DirExists(const std::wstring& path);
// Creates every missing folder along the path; true when it is a folder afterwards.
bool CreateDirectories(const std::wstring& path);
// Removes a folder with its content, or one file; true also when nothing existed.
bool RemoveDirTree(const std::wstring& path);
bool FileExists(const std::wstring& path);
uint64_t GetFileLength(const std::wstring& path);
bool RemoveFile(const std::wstring& path);

struct FileFindState;
// Positioned on the first entry other than "." and ".."; null for an empty or missing folder.
FileFindState* FindFirstEntry(const std::wstring& folder, const std::wstring& pattern);
std::wstring GetEntryPath(const FileFindState* state);
bool IsEntryDir(const FileFindState* state);
bool FindNextEntry(FileFindState* state);
void CloseFind(FileFindState* state);

struct FileFindCloser {
    void operator()(FileFindState* state) const { CloseFind(state); }
};
using FileFindPtr = std::unique_ptr<FileFindState, FileFindCloser>;

// The per-user work folder ("...\kelvora\"), created when missing; empty when unknown.
std::wstring GetWorkDir();
// This run's own folder inside the work folder, made before the entry function and removed
// at exit; empty when it could not be made.
std::wstring GetRunDir();
