#pragma once

#include <cstdint>
#include <string>

// Neither size is sent by the server: both are fixed for this product.
constexpr int64_t kPackageSize = 100000808;
constexpr int64_t kRequiredSpace = 100673700;

struct PkgInfoData {
    std::string m_version;
    int64_t m_packageSize = kPackageSize;
    int64_t m_requiredSpace = kRequiredSpace;
    std::string m_url;
};
