#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/ProxyList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string list(reinterpret_cast<const char*>(data), size);
    ProxySetting setting;
    const bool accepted = ParseProxyList(list, setting);
    if (accepted != (setting.m_type == 1)) __builtin_trap();
    if (accepted && (setting.m_host.empty() || setting.m_host.find_first_of(";:") != std::string::npos))
        __builtin_trap();
    return 0;
}
