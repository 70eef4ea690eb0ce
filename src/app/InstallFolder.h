// The installation folder rules shared by the main window and the custom-install page.
#pragma once

#include <cstdint>
#include <string>

// The product's own folders below whatever parent the user picks.
extern const wchar_t kProductFolder[];     // "Kelvora"
extern const wchar_t kProductSubfolder[];  // "Kelvora\kelvora"

// The folder proposed for a new installation under `base` (a Program Files folder or a drive
// root): base\Kelvora\kelvora.
std::wstring DefaultInstallDir(const std::wstring& base);

// A picked parent folder gets the product sub-folder, unless the path already names it.
std::wstring WithProductSubfolder(const std::wstring& path);

// Strictly more free bytes than the installation needs.
inline bool HasRoomFor(uint64_t required, uint64_t freeBytes) {
    return required < freeBytes;
}
