#include "platform/Process.h"

std::vector<std::wstring> SplitCommandLine(const std::wstring& cmdLine) {
    // The rules of the Windows C runtime: blanks separate, quotes group, 2n backslashes before a
    // quote give n backslashes, 2n+1 give n and a literal quote.
    std::vector<std::wstring> args;
    std::wstring current;
    bool inQuotes = false, haveArg = false;
    size_t i = 0;
    while (i < cmdLine.size()) {
        wchar_t ch = cmdLine[i];
        if (ch == L'\\') {
            size_t run = 0;
            while (i < cmdLine.size() && cmdLine[i] == L'\\') ++run, ++i;
            if (i < cmdLine.size() && cmdLine[i] == L'"') {
                current.append(run / 2, L'\\');
                if (run % 2) {
                    current.push_back(L'"');
                    ++i;
                }
            } else {
                current.append(run, L'\\');
            }
            haveArg = true;
            continue;
        }
        if (ch == L'"') {
            if (inQuotes && i + 1 < cmdLine.size() && cmdLine[i + 1] == L'"') {
                current.push_back(L'"');
                i += 2;
                continue;
            }
            inQuotes = !inQuotes;
            haveArg = true;
        } else if ((ch == L' ' || ch == L'\t') && !inQuotes) {
            if (haveArg) args.push_back(current);
            current.clear();
            haveArg = false;
        } else {
            current.push_back(ch);
            haveArg = true;
        }
        ++i;
    }
    if (haveArg) args.push_back(current);
    return args;
}
