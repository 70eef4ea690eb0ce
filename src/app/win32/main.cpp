#include "app/win32/Startup.h"
#include "platform/SystemDlls.h"

// The C runtime's own entry (crt2u.o); it initialises the runtime and the static objects, calls
// wWinMain and ends the process.
extern "C" int WinMainCRTStartup();

// The process entry (set with the linker's -e). The static initialisers that the runtime runs
// before wWinMain already reach the shell (the run folder), and the shell loads DLLs of its own,
// so the DLL search is narrowed to the system folder before the runtime starts.
extern "C" __attribute__((force_align_arg_pointer)) int KelvoraEntry() {
    RestrictDllSearchToSystemFolder();
    return WinMainCRTStartup();
}

// The command line and the show mode are deliberately ignored.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return RunInstaller(instance); }
