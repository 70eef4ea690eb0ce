#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/Process.h"
#include "platform/Strings.h"

extern char** environ;

struct ProcessImpl {
    pid_t m_pid = -1;
    bool m_bEnded = false;
    uint32_t m_exitCode = 0;

    // Collects the child once; later calls report what was collected.
    bool Poll(bool block) {
        if (m_bEnded) return true;
        int status = 0;
        pid_t r = waitpid(m_pid, &status, block ? 0 : WNOHANG);
        if (r != m_pid) return false;
        m_bEnded = true;
        m_exitCode = WIFEXITED(status) ? static_cast<uint32_t>(WEXITSTATUS(status))
                                       : 128u + static_cast<uint32_t>(WTERMSIG(status));
        return true;
    }
};

CSarnovikBasedProcess::CSarnovikBasedProcess(const std::wstring& cmdLine) : m_cmdLine(cmdLine) {}

CSarnovikBasedProcess::~CSarnovikBasedProcess() {
    if (!m_hProcess) return;
    if (m_bWaitOnDestroy) m_hProcess->Poll(true);
    delete m_hProcess;
    m_hProcess = nullptr;
}

bool CSarnovikBasedProcess::StartHidden(bool suspended) {
    if (m_hProcess) return true;
    std::vector<std::string> args;
    for (const std::wstring& arg : SplitCommandLine(m_cmdLine)) args.push_back(WideToUtf8(arg));
    if (args.empty()) return false;
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    if (suspended) kill(pid, SIGSTOP);
    m_hProcess = new ProcessImpl;
    m_hProcess->m_pid = pid;
    return true;
}

bool CSarnovikBasedProcess::WaitFor(int32_t timeoutMs) {
    if (!m_hProcess) return true;
    if (timeoutMs < 0) return m_hProcess->Poll(true);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!m_hProcess->Poll(false)) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

bool CSarnovikBasedProcess::GetExitCode(uint32_t* exitCode) {
    if (!m_hProcess || !exitCode || !m_hProcess->Poll(false)) return false;
    if (m_hProcess->m_exitCode == 259) return false;  // indistinguishable from "still running"
    *exitCode = m_hProcess->m_exitCode;
    return true;
}
