// Test child: platform_child <exit code> [sleep ms] [file to append "ran" to]
//             platform_child rundir <file>   writes its run folder to the file, then waits 300 ms
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/FileStream.h"
#include "platform/Files.h"
#include "platform/Strings.h"

int main(int argc, char** argv) {
    if (argc > 2 && strcmp(argv[1], "rundir") == 0) {
        std::string text = WideToUtf8(GetRunDir()) + (DirExists(GetRunDir()) ? "\nexists\n" : "\nmissing\n");
        try {
            CFileStream(Utf8ToWide(argv[2]), kModeCreate).Write(text.data(), static_cast<int32_t>(text.size()));
        } catch (const char*) {
            return 100;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return 0;
    }
    int code = argc > 1 ? atoi(argv[1]) : 0;
    int sleepMs = argc > 2 ? atoi(argv[2]) : 0;
    if (argc > 3) {
        // Through the stream so the path rules are the platform layer's own.
        std::wstring marker = Utf8ToWide(argv[3]);
        try {
            CFileStream out(marker, FileExists(marker) ? uint16_t(kModeWrite | kShareDenyNone) : kModeCreate);
            out.Seek(0, 2);
            out.Write("ran\n", 4);
        } catch (const char*) {
            return 100;
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
    return code;
}
