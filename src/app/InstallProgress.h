// The progress page's arithmetic and texts, kept apart from the window so they are tested on
// every platform: one bar for both phases (download 0 to 80, installation 80 to 99), the
// product installer's command line and what a failure leads to.
#pragma once

#include <cstdint>
#include <string>

// "\"<file>\" /SILENT /VERYSILENT /SP- /noicons /DIR=\"<folder>\"": the installer runs without
// any window of its own into `installDir` (no trailing backslash). Both parts are quoted so
// folders with blanks survive.
std::wstring InstallerCommandLine(const std::wstring& installerPath, const std::wstring& installDir);

// The bar while downloading: four fifths of the downloader's percent (integer division), so
// 0 to 80. Values outside 0 to 100 are taken as the nearest end.
uint32_t DownloadDisplayPercent(int32_t downloadPercent);

// The bar while the installer runs: 80 plus one per whole second since it started, never above
// 99, so a long installation waits at 99 until it ends. `elapsedMs` is an unsigned difference of
// two tick counts, which stays right across the counter's wrap.
uint32_t InstallDisplayPercent(uint32_t elapsedMs);

// The status line under the bar: 正在安装，请不要关闭：42%.
std::wstring ProgressStatusText(uint32_t percent);

// The first two failures of a kind offer a retry; from the third on the user is sent to do the
// step by hand.
enum FailureStep : int32_t {
    FAILURE_OFFER_RETRY = 1,
    FAILURE_MANUAL = 2,
};
constexpr int32_t kFailuresBeforeManual = 3;

// Counts one more failure in `counter` (kept for the whole process, never reset) and says what
// the user gets now.
FailureStep CountFailure(int32_t* counter);
