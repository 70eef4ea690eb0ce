// What is known about the product already on this machine, and the product version of any
// executable (the installer's own included).
#pragma once

#include <string>

class IAppInfo {
public:
    // Reads the installed executable and its version again; false only when that threw.
    virtual bool Refresh() = 0;
    // Empty when the product is not installed or its executable is gone. The references stay
    // valid until the next Refresh.
    virtual const std::wstring& GetExePath() = 0;
    virtual const std::wstring& GetVersion() = 0;
    // The "ProductVersion" of the file's first translation; an empty path means the running
    // executable. Empty when the file has no such version text.
    virtual std::wstring GetFileVersion(const std::wstring& path) = 0;

protected:
    ~IAppInfo() = default;
};

// The process-wide object, filled on the first call; null when it could not be made (a later
// call tries again).
IAppInfo* GetAppInfo();
