// GDI+ with what it needs before it: the build leaves COM's object headers out of <windows.h>.
// Windows only.
#pragma once

#include <windows.h>
// Order matters: GDI+ needs the COM object declarations first.
#include <objidl.h>
#include <gdiplus.h>
