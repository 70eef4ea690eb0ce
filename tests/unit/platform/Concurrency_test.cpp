#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "TestFolder.h"
#include "platform/CommonIntf.h"
#include "platform/Process.h"
#include "platform/Thread.h"
#include "platform/Timer.h"
#include "platform/XMutex.h"

namespace {

class CountingThread : public CSarnovikBasedThread {
public:
    explicit CountingThread(std::atomic<int>& runs, uint32_t sleepMs = 0)
        : m_runs(runs), m_sleepMs(sleepMs) {}
    ~CountingThread() override {
        if (IsSuspended()) return;  // the base ends a never-resumed thread without running it
        WaitFor(-1);
    }

protected:
    uint32_t Run() override {
        ++m_runs;
        SleepMs(m_sleepMs);
        return 7;
    }

private:
    std::atomic<int>& m_runs;
    uint32_t m_sleepMs;
};

TEST(Thread, NeverResumedThreadNeverRuns) {
    std::atomic<int> runs{0};
    uint32_t start = GetTickMs();
    { CountingThread thread(runs); }
    EXPECT_EQ(runs, 0);
    EXPECT_LT(GetTickMs() - start, 2000u);
}

TEST(Thread, ResumeRunsOnceAndWaitForReportsTheEnd) {
    std::atomic<int> runs{0};
    CountingThread thread(runs, 200);
    EXPECT_TRUE(thread.IsSuspended());
    EXPECT_NE(thread.GetHandle(), nullptr);
    thread.Resume();
    EXPECT_FALSE(thread.IsSuspended());
    EXPECT_FALSE(thread.WaitFor(0));
    EXPECT_TRUE(thread.WaitFor(5000));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(thread.WaitFor(0));
}

class ThrowingThread : public CSarnovikBasedThread {
public:
    ~ThrowingThread() override { WaitFor(-1); }

protected:
    uint32_t Run() override { throw "body failed"; }
};

TEST(Thread, ABodyThatThrowsEndsItsThreadNotTheProcess) {
    ThrowingThread thread;
    thread.Resume();
    EXPECT_TRUE(thread.WaitFor(5000)) << "waited 5 s for the thread's end";
}

// A thread that is let go is not killed: ended by force it could die holding a lock (the heap's)
// that the rest of the process, its exit included, still needs.
TEST(Thread, TerminateLetsABusyThreadGoWithoutEndingIt) {
    class Busy : public CSarnovikBasedThread {
    public:
        std::atomic<bool> m_bRelease{false};
        std::atomic<bool> m_bFinished{false};

    protected:
        uint32_t Run() override {
            while (!m_bRelease) SleepMs(5);
            m_bFinished = true;
            return 0;
        }
    };
    auto busy = std::make_unique<Busy>();
    busy->Resume();
    const uint32_t start = GetTickMs();
    busy->Terminate();
    EXPECT_LT(GetTickMs() - start, 500u) << "Terminate waited for the thread";
    EXPECT_EQ(busy->GetHandle(), nullptr);
    busy->m_bRelease = true;
    for (int i = 0; i < 400 && !busy->m_bFinished; ++i) SleepMs(5);
    EXPECT_TRUE(busy->m_bFinished) << "the thread did not go on after Terminate";
    SleepMs(50);  // past the end of its body, the thread no longer uses the object
}

TEST(XMutex, IsRecursiveAndExcludesOtherThreads) {
    CXMutex mutex;
    EXPECT_EQ(mutex.Lock(-1), 0u);
    EXPECT_EQ(mutex.Lock(-1), 0u);
    std::atomic<uint32_t> otherResult{1};
    auto tryFromOther = [&] {
        std::thread([&] {
            otherResult = mutex.Lock(50);
            if (otherResult == 0) mutex.Unlock();
        }).join();
    };
    mutex.Unlock();
    tryFromOther();
    EXPECT_EQ(otherResult, 258u) << "still held once";
    mutex.Unlock();
    tryFromOther();
    EXPECT_EQ(otherResult, 0u);
}

struct TimerProbe {
    std::atomic<int> calls{0};
    std::atomic<int> stopAt{-1};
    std::atomic<TimerRecord*> timer{nullptr};
    std::atomic<bool> stopped{false};
};

void CountCall(void* user) {
    auto* probe = static_cast<TimerProbe*>(user);
    int n = ++probe->calls;
    if (n == probe->stopAt) {
        StopTimer(probe->timer);  // from inside its own callback: must not block
        probe->stopped = true;
    }
}

TEST(Timer, FiftyMillisecondsIsAboutTwentyCallsASecond) {
    TimerProbe probe;
    TimerRecord* timer = StartPeriodicTimer(50, &CountCall, &probe);
    ASSERT_NE(timer, nullptr);
    SleepMs(1000);
    StopTimer(timer);
    int calls = probe.calls;
    EXPECT_GE(calls, 12);
    EXPECT_LE(calls, 24);
    SleepMs(150);
    EXPECT_EQ(probe.calls, calls) << "no call after StopTimer returned";
    StopTimer(nullptr);
}

TEST(Timer, StopFromInsideItsCallback) {
    TimerProbe probe;
    probe.stopAt = 3;
    probe.timer = StartPeriodicTimer(20, &CountCall, &probe);
    ASSERT_NE(probe.timer, nullptr);
    uint32_t start = GetTickMs();
    while (!probe.stopped && GetTickMs() - start < 3000) SleepMs(10);
    ASSERT_TRUE(probe.stopped);
    SleepMs(150);
    EXPECT_EQ(probe.calls, 3);
}

// The owner frees what the callback uses right after StopTimer, so a tick that was already
// running must have ended by the time StopTimer returns.
struct SlowTick {
    std::atomic<bool> inside{false};
    std::atomic<bool> finishedAfterStop{false};
    std::atomic<bool> stopReturned{false};
    std::atomic<int> calls{0};
};

void SlowCallback(void* user) {
    auto* tick = static_cast<SlowTick*>(user);
    ++tick->calls;
    tick->inside = true;
    SleepMs(150);
    if (tick->stopReturned) tick->finishedAfterStop = true;
    tick->inside = false;
}

TEST(Timer, StopWaitsForATickInProgress) {
    SlowTick tick;
    TimerRecord* timer = StartPeriodicTimer(10, &SlowCallback, &tick);
    ASSERT_NE(timer, nullptr);
    const uint32_t start = GetTickMs();
    while (!tick.inside && GetTickMs() - start < 3000) SleepMs(1);
    ASSERT_TRUE(tick.inside) << "waited 3 s for the first tick";
    StopTimer(timer);
    tick.stopReturned = true;
    EXPECT_FALSE(tick.inside);
    const int calls = tick.calls;
    SleepMs(200);
    EXPECT_EQ(calls, tick.calls) << "a tick ran after StopTimer returned";
    EXPECT_FALSE(tick.finishedAfterStop);
}

// Stopped from another thread while ticks run, then the owner is freed at once: a tick after
// StopTimer returned would touch freed memory (ASan) or race with the free (TSan).
struct StressOwner {
    std::atomic<int> calls{0};
    std::atomic<bool> stopped{false};
};
std::atomic<int> g_lateTicks{0};

void StressTick(void* user) {
    auto* owner = static_cast<StressOwner*>(user);
    if (owner->stopped) ++g_lateTicks;
    ++owner->calls;
}

TEST(Timer, StopFromAnotherThreadWhileTicksRunThenFreeTheOwner) {
    g_lateTicks = 0;
    int ticked = 0;
    for (int i = 0; i < 1000; ++i) {
        auto* owner = new StressOwner;
        TimerRecord* timer = StartPeriodicTimer(1, &StressTick, owner);
        ASSERT_NE(timer, nullptr) << "iteration " << i;
        // Every few rounds the stop meets a running timer for sure; the others stop it at
        // whatever point it has reached.
        if (i % 8 == 0) {
            const uint32_t start = GetTickMs();
            while (owner->calls == 0 && GetTickMs() - start < 1000) SleepMs(1);
        }
        std::thread([&] {
            StopTimer(timer);
            owner->stopped = true;
        }).join();
        if (owner->calls > 0) ++ticked;
        delete owner;
    }
    SleepMs(20);
    EXPECT_EQ(0, g_lateTicks.load());
    EXPECT_GE(ticked, 125) << "the stops should have met running timers";
}

void ThrowOnSecondTick(void* user) {
    auto* probe = static_cast<TimerProbe*>(user);
    if (++probe->calls == 2) throw "tick failed";
}

TEST(Timer, ACallbackThatThrowsEndsTheTickingNotTheProcess) {
    TimerProbe probe;
    TimerRecord* timer = StartPeriodicTimer(10, &ThrowOnSecondTick, &probe);
    ASSERT_NE(timer, nullptr);
    const uint32_t start = GetTickMs();
    while (probe.calls < 2 && GetTickMs() - start < 3000) SleepMs(5);
    ASSERT_EQ(2, probe.calls.load()) << "waited 3 s for two ticks";
    SleepMs(150);
    EXPECT_EQ(2, probe.calls.load());
    StopTimer(timer);
}

TEST(Timer, TickDifferencesSurviveTheWrap) {
    uint32_t before = 0xFFFFFFF0u, after = 0x10u;
    EXPECT_EQ(after - before, 0x20u);
}

std::wstring ChildCommand(const std::wstring& args) {
    return L"\"" + Utf8ToWide(KELVORA_CHILD_EXE) + L"\" " + args;
}

TEST(Process, ExitCodeAfterTheEnd) {
    CSarnovikBasedProcess child(ChildCommand(L"3 400"));
    uint32_t code = 99;
    EXPECT_FALSE(child.GetExitCode(&code)) << "never started";
    EXPECT_TRUE(child.WaitFor(0)) << "never started";
    ASSERT_TRUE(child.StartHidden(false));
    EXPECT_FALSE(child.GetExitCode(&code)) << "still running";
    EXPECT_FALSE(child.WaitFor(0));
    EXPECT_TRUE(child.WaitFor(10000));
    ASSERT_TRUE(child.GetExitCode(&code));
    EXPECT_EQ(code, 3u);
}

TEST(Process, StartHiddenTwiceStartsOneChild) {
    TestFolder dir;
    std::wstring marker = dir / L"marker.txt";
    {
        CSarnovikBasedProcess child(ChildCommand(L"0 0 \"" + marker + L"\""));
        ASSERT_TRUE(child.StartHidden(false));
        EXPECT_TRUE(child.StartHidden(false));
        EXPECT_TRUE(child.WaitFor(10000));
    }
    EXPECT_EQ(GetFileLength(marker), 4u) << "one \"ran\\n\" line";
    CSarnovikBasedProcess missing(L"\"" + (dir / L"no_such_program.exe") + L"\"");
    EXPECT_FALSE(missing.StartHidden(false));
}

TEST(Process, SplitCommandLineFollowsTheQuotingRules) {
    EXPECT_EQ(SplitCommandLine(L"\"C:\\a b\\x.exe\" /SILENT /DIR=\"D:\\K k\""),
              (std::vector<std::wstring>{L"C:\\a b\\x.exe", L"/SILENT", L"/DIR=D:\\K k"}));
    EXPECT_EQ(SplitCommandLine(L"a\\\\\"b c\" d\\e"), (std::vector<std::wstring>{L"a\\b c", L"d\\e"}));
    EXPECT_EQ(SplitCommandLine(L"  "), std::vector<std::wstring>{});
}

// A planted folder with the run folder's name is never adopted, and a copy removes only the
// folder it made itself.
TEST(Process, RunFolderIsAlwaysANewFolder) {
    TestFolder dir;
    std::wstring work = GetWorkDir();
    std::vector<std::wstring> planted;
    int64_t now = static_cast<int64_t>(time(nullptr));
    for (int64_t t = now; t < now + 4; ++t) {
        planted.push_back(work + L"vandorel_" + Utf8ToWide(Int64ToText(t)));
        CreateDirectories(planted.back());
    }
    std::wstring report = dir / L"rundir.txt";
    CSarnovikBasedProcess child(ChildCommand(L"rundir \"" + report + L"\""));
    ASSERT_TRUE(child.StartHidden(false));
    ASSERT_TRUE(child.WaitFor(20000));
    std::istringstream in(ReadWholeFile(report));
    std::string runDir, state;
    std::getline(in, runDir);
    std::getline(in, state);
    EXPECT_EQ(state, "exists");
    ASSERT_FALSE(runDir.empty());
    for (const std::wstring& p : planted) {
        EXPECT_NE(Utf8ToWide(runDir), WithTrailingSlash(p));
        EXPECT_TRUE(DirExists(p)) << "somebody else's folder survives";
        RemoveDirTree(p);
    }
    EXPECT_FALSE(DirExists(Utf8ToWide(runDir))) << "the child removed its own run folder at exit";
}

TEST(CommonIntf, LifecycleAndRecords) {
    EXPECT_EQ(GetCommonIntf(), nullptr);
    ASSERT_TRUE(CreateCommonIntf());
    CCommonIntf* common = GetCommonIntf();
    ASSERT_NE(common, nullptr);
    ProxySetting proxy = common->GetProxySetting();
    EXPECT_EQ(proxy.m_type, 0u);
    EXPECT_EQ(proxy.m_host, "");
    EXPECT_EQ(proxy.m_port, 0);
    EXPECT_EQ(common->GetDnsSetting().m_mode, 0u);
    std::thread([common] { common->SetDnsSetting({1, "127.0.0.1"}); }).join();
    DnsSetting dns = common->GetDnsSetting();
    EXPECT_EQ(dns.m_mode, 1u);
    EXPECT_EQ(dns.m_server, "127.0.0.1");
    common->SetChannelTag("install_zozavi00");
    std::string tag = common->GetChannelTag();
    tag[0] = 'X';
    EXPECT_EQ(common->GetChannelTag(), "install_zozavi00");
    EXPECT_DOUBLE_EQ(common->GetWindowScale(), 1.0);
    double scale = common->GetScreenScale();
    EXPECT_GT(scale, 0.0);
    EXPECT_EQ(common->GetScreenScale(), scale);
    DestroyCommonIntf();
    EXPECT_EQ(GetCommonIntf(), nullptr);
}

}  // namespace
