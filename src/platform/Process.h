// A child process started hidden, polled for its end and exit code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ProcessImpl;

class CSarnovikBasedProcess {
public:
    // The whole command line: a program path with blanks must be quoted inside it.
    explicit CSarnovikBasedProcess(const std::wstring& cmdLine);
    CSarnovikBasedProcess(const CSarnovikBasedProcess&) = delete;
    CSarnovikBasedProcess& operator=(const CSarnovikBasedProcess&) = delete;
    // Waits for a started child without limit.
    virtual ~CSarnovikBasedProcess();

    // True on success and when already started.
    bool StartHidden(bool suspended);
    // True when never started or ended within the time-out (-1 without limit).
    bool WaitFor(int32_t timeoutMs);
    // True with the code once the child has ended; a child still running reports false.
    bool GetExitCode(uint32_t* exitCode);

private:
    bool m_bWaitOnDestroy = true;
    ProcessImpl* m_hProcess = nullptr;
    std::wstring m_cmdLine;
};

// Splits a Windows command line into arguments with the usual quoting rules (used where the
// platform starts programs from an argument vector).
std::vector<std::wstring> SplitCommandLine(const std::wstring& cmdLine);
