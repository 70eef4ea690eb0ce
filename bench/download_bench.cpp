// The engine driver of bench/run: one download of the given URL into the given file with the
// given number of workers, then the wall time and this process's CPU time on one line.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "download/CDownloader.h"
#include "net/TCPClient.h"
#include "platform/CommonIntf.h"
#include "platform/Strings.h"
#include "platform/Timer.h"

namespace {

void NoProxy(const std::string&, ProxySetting& setting) {
    setting = ProxySetting();
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: download_bench URL WORKERS OUTPUT\n");
        return 2;
    }
    // The benchmark talks to its loopback server only, never through a proxy.
    SetProxyDiscoverer(&NoProxy);
    CreateCommonIntf();
    DownloadConfig config;
    config.m_threadCount = std::atoi(argv[2]);
    const std::wstring output = Utf8ToWide(argv[3]);
    auto* downloader = static_cast<CDownloader*>(CreateDownloader(&config, output.c_str(), nullptr));
    if (downloader == nullptr) return 1;
    downloader->SetQueryUrl(argv[1]);
    const auto start = std::chrono::steady_clock::now();
    DownloadState state = downloader->Start() ? DS_RUNNING : DS_FAILED;
    while (state == DS_RUNNING) {
        SleepMs(5);
        state = downloader->GetState();
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long long bytes = downloader->GetDownloaded();
    downloader->Release();
    std::printf("state=%d bytes=%lld wall=%.4f cpu=%.4f\n", static_cast<int>(state), bytes, wall,
                CpuSeconds());
    return state == DS_FINISHED ? 0 : 1;
}
