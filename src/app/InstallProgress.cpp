#include "app/InstallProgress.h"

std::wstring InstallerCommandLine(const std::wstring& installerPath, const std::wstring& installDir) {
    std::wstring line = L"\"";
    line += installerPath;
    line += L"\" /SILENT /VERYSILENT /SP- /noicons ";
    line += L"/DIR=\"";
    line += installDir;
    line += L"\"";
    return line;
}

uint32_t DownloadDisplayPercent(int32_t downloadPercent) {
    if (downloadPercent < 0) downloadPercent = 0;
    if (downloadPercent > 100) downloadPercent = 100;
    return static_cast<uint32_t>(downloadPercent) * 4 / 5;
}

uint32_t InstallDisplayPercent(uint32_t elapsedMs) {
    uint32_t seconds = elapsedMs / 1000;
    if (seconds > 19) seconds = 19;
    return 80 + seconds;
}

std::wstring ProgressStatusText(uint32_t percent) {
    return L"正在安装，请不要关闭：" + std::to_wstring(percent) + L"%";
}

FailureStep CountFailure(int32_t* counter) {
    // Saturating: a process that fails forever must not wrap back into retry offers.
    if (*counter < kFailuresBeforeManual) ++*counter;
    return *counter < kFailuresBeforeManual ? FAILURE_OFFER_RETRY : FAILURE_MANUAL;
}
