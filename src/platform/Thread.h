// Base of every worker thread. The thread is created suspended so the derived constructor can
// finish its fields before `Run` can see them; a derived destructor must stop and wait for its
// thread itself, because by the time this base destructor runs the derived fields are gone.
#pragma once

#include <cstdint>

struct ThreadImpl;

class CSarnovikBasedThread {
public:
    CSarnovikBasedThread();
    CSarnovikBasedThread(const CSarnovikBasedThread&) = delete;
    CSarnovikBasedThread& operator=(const CSarnovikBasedThread&) = delete;
    virtual ~CSarnovikBasedThread();

    void Resume();
    bool IsSuspended() const { return m_bSuspended; }
    // Null when the thread could not be created, or after destruction.
    void* GetHandle() const;
    // -1 waits without limit; true when there is no thread or it ended in time.
    bool WaitFor(int32_t timeoutMs);
    // Lets the thread go without waiting for it: it is no longer joined, and keeps running until
    // its body returns or the process ends. The object must then stay alive for as long as the
    // thread may use it. For threads that cannot be trusted to return in time at process exit.
    void Terminate();

protected:
    virtual uint32_t Run() = 0;

private:
    static uint32_t Entry(CSarnovikBasedThread* self);
    friend struct ThreadImpl;

    volatile bool m_bSuspended = true;
    ThreadImpl* m_ThreadHandle = nullptr;
};
