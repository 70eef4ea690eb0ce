#include <process.h>
#include <windows.h>

#include "platform/Thread.h"

// On Windows the impl pointer is the thread HANDLE itself.
struct ThreadImpl {
    static unsigned __stdcall Start(void* argument) {
        auto* self = static_cast<CSarnovikBasedThread*>(argument);
        unsigned code = CSarnovikBasedThread::Entry(self);
        _endthreadex(code);
        return code;
    }
};

namespace {
HANDLE H(ThreadImpl* impl) {
    return reinterpret_cast<HANDLE>(impl);
}
}  // namespace

uint32_t CSarnovikBasedThread::Entry(CSarnovikBasedThread* self) {
    if (self->m_bSuspended) return static_cast<uint32_t>(-1);
    // Bodies report through their owner's state and never throw; one that does anyway must end
    // its thread, not the process.
    try {
        return self->Run();
    } catch (...) {
        return static_cast<uint32_t>(-1);
    }
}

CSarnovikBasedThread::CSarnovikBasedThread() {
    uintptr_t handle = _beginthreadex(nullptr, 0, &ThreadImpl::Start, this, CREATE_SUSPENDED, nullptr);
    m_ThreadHandle = reinterpret_cast<ThreadImpl*>(handle);
}

CSarnovikBasedThread::~CSarnovikBasedThread() {
    if (!m_ThreadHandle) return;
    if (m_bSuspended) ResumeThread(H(m_ThreadHandle));
    WaitForSingleObject(H(m_ThreadHandle), INFINITE);
    CloseHandle(H(m_ThreadHandle));
    m_ThreadHandle = nullptr;
}

void CSarnovikBasedThread::Resume() {
    if (!m_ThreadHandle) return;
    m_bSuspended = false;
    ResumeThread(H(m_ThreadHandle));
}

void* CSarnovikBasedThread::GetHandle() const {
    return m_ThreadHandle;
}

bool CSarnovikBasedThread::WaitFor(int32_t timeoutMs) {
    if (!m_ThreadHandle) return true;
    DWORD wait = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    return WaitForSingleObject(H(m_ThreadHandle), wait) == WAIT_OBJECT_0;
}

void CSarnovikBasedThread::Terminate() {
    if (!m_ThreadHandle) return;
    // Never TerminateThread: a thread ended inside the heap or the loader lock leaves that lock
    // held for good, and the process exit then hangs on it (with the single-instance mutex still
    // held). The thread is let go instead; its body or the process exit ends it.
    CloseHandle(H(m_ThreadHandle));
    m_ThreadHandle = nullptr;
}
