#include "app/win32/Startup.h"

// The command line and the show mode are deliberately ignored.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return RunInstaller(instance); }
