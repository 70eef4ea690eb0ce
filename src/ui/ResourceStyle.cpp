#include "ui/ResourceStyle.h"

#include "platform/SystemInfo.h"

std::wstring DefaultFontFamily() {
    return GetOsVersion() == OS_XP ? L"SimHei" : L"Microsoft Yahei";
}
