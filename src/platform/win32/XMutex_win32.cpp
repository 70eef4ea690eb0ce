#include <windows.h>

#include "platform/XMutex.h"

CXMutex::CXMutex() { m_hMutex = reinterpret_cast<MutexImpl*>(CreateMutexW(nullptr, FALSE, nullptr)); }

CXMutex::~CXMutex() {
    if (m_hMutex) CloseHandle(reinterpret_cast<HANDLE>(m_hMutex));
}

uint32_t CXMutex::Lock(int32_t timeoutMs) {
    if (!m_hMutex) return WAIT_FAILED;
    return WaitForSingleObject(reinterpret_cast<HANDLE>(m_hMutex),
                               timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
}

void CXMutex::Unlock() {
    if (m_hMutex) ReleaseMutex(reinterpret_cast<HANDLE>(m_hMutex));
}
