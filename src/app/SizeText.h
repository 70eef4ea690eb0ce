// Byte counts as the custom-install page shows them.
#pragma once

#include <string>

// One decimal in the largest unit the value exceeds: "96.0 MB"; a value exactly at a unit's
// size stays in the smaller unit ("1024.0 KB").
std::wstring FormatSize(double bytes);
