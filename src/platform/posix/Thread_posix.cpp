// POSIX threads cannot be created suspended, so the new thread first waits on a gate that
// Resume (or destruction) opens.
#include <pthread.h>

#include <condition_variable>
#include <mutex>

#include "platform/Thread.h"

struct ThreadImpl {
    pthread_t m_thread{};
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bOpen = false;
    bool m_bEnded = false;
    bool m_bDetached = false;
    uint32_t m_exitCode = 0;
    CSarnovikBasedThread* m_owner = nullptr;

    static void* Start(void* argument) {
        auto* impl = static_cast<ThreadImpl*>(argument);
        {
            std::unique_lock<std::mutex> lock(impl->m_mutex);
            impl->m_cv.wait(lock, [impl] { return impl->m_bOpen; });
        }
        uint32_t code = CSarnovikBasedThread::Entry(impl->m_owner);
        std::unique_lock<std::mutex> lock(impl->m_mutex);
        if (impl->m_bDetached) {
            lock.unlock();
            delete impl;
            return nullptr;
        }
        impl->m_exitCode = code;
        impl->m_bEnded = true;
        impl->m_cv.notify_all();
        return nullptr;
    }

    void Open() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bOpen = true;
        m_cv.notify_all();
    }
};

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
    auto* impl = new ThreadImpl;
    impl->m_owner = this;
    if (pthread_create(&impl->m_thread, nullptr, &ThreadImpl::Start, impl) != 0) {
        delete impl;
        return;
    }
    m_ThreadHandle = impl;
}

CSarnovikBasedThread::~CSarnovikBasedThread() {
    if (!m_ThreadHandle) return;
    m_ThreadHandle->Open();  // a never-resumed thread sees m_bSuspended and ends at once
    pthread_join(m_ThreadHandle->m_thread, nullptr);
    delete m_ThreadHandle;
    m_ThreadHandle = nullptr;
}

void CSarnovikBasedThread::Resume() {
    if (!m_ThreadHandle) return;
    m_bSuspended = false;
    m_ThreadHandle->Open();
}

void* CSarnovikBasedThread::GetHandle() const {
    return m_ThreadHandle;
}

bool CSarnovikBasedThread::WaitFor(int32_t timeoutMs) {
    if (!m_ThreadHandle) return true;
    std::unique_lock<std::mutex> lock(m_ThreadHandle->m_mutex);
    auto ended = [this] { return m_ThreadHandle->m_bEnded; };
    if (timeoutMs < 0) {
        m_ThreadHandle->m_cv.wait(lock, ended);
        return true;
    }
    return m_ThreadHandle->m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ended);
}

void CSarnovikBasedThread::Terminate() {
    if (!m_ThreadHandle) return;
    ThreadImpl* impl = m_ThreadHandle;
    m_ThreadHandle = nullptr;
    std::unique_lock<std::mutex> lock(impl->m_mutex);
    if (impl->m_bEnded) {
        lock.unlock();
        pthread_join(impl->m_thread, nullptr);
        delete impl;
        return;
    }
    // Abandoned: the thread frees its own record when (if ever) its body returns.
    impl->m_bDetached = true;
    pthread_detach(impl->m_thread);
}
