// GDI+ with what it needs before it: the build leaves COM's object headers out of <windows.h>.
// Windows only.
#pragma once

// Order matters: GDI+ needs the COM object declarations first.
// clang-format off
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
// clang-format on
