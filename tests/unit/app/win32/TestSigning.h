// The build's test publisher as the Windows tests need it: the machine trusts the test root, and
// the signed, unsigned and foreign-signed stand-in installers lie beside the test executable.
#pragma once

#include <string>

// Adds the build's test root to the machine's Root store (idempotent). False when refused.
bool TrustTestRoot();
// The folder of the running test executable, with a trailing backslash.
std::wstring TestModuleDir();
