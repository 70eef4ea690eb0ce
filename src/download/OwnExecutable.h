// The path of the running executable (the installer itself).
#pragma once

#include <string>

// Empty when the system does not tell.
std::wstring GetOwnExecutablePath();
