#include <windows.h>

#include <vector>

#include "platform/Process.h"

struct ProcessImpl {
    HANDLE m_hProcess = nullptr;
    HANDLE m_hThread = nullptr;
};

CSarnovikBasedProcess::CSarnovikBasedProcess(const std::wstring& cmdLine) : m_cmdLine(cmdLine) {}

CSarnovikBasedProcess::~CSarnovikBasedProcess() {
    if (!m_hProcess) return;
    if (m_bWaitOnDestroy) WaitForSingleObject(m_hProcess->m_hProcess, INFINITE);
    CloseHandle(m_hProcess->m_hProcess);
    CloseHandle(m_hProcess->m_hThread);
    delete m_hProcess;
    m_hProcess = nullptr;
}

bool CSarnovikBasedProcess::StartHidden(bool suspended) {
    if (m_hProcess) return true;
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    startup.cb = sizeof(startup);
    startup.wShowWindow = SW_HIDE;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    std::vector<wchar_t> cmd(m_cmdLine.begin(), m_cmdLine.end());
    cmd.push_back(L'\0');
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, suspended ? CREATE_SUSPENDED : 0,
                        nullptr, nullptr, &startup, &info))
        return false;
    m_hProcess = new ProcessImpl{info.hProcess, info.hThread};
    return true;
}

bool CSarnovikBasedProcess::WaitFor(int32_t timeoutMs) {
    if (!m_hProcess) return true;
    DWORD wait = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    return WaitForSingleObject(m_hProcess->m_hProcess, wait) == WAIT_OBJECT_0;
}

bool CSarnovikBasedProcess::GetExitCode(uint32_t* exitCode) {
    if (!m_hProcess || !exitCode) return false;
    DWORD code = 0;
    if (!GetExitCodeProcess(m_hProcess->m_hProcess, &code) || code == STILL_ACTIVE) return false;
    *exitCode = code;
    return true;
}
