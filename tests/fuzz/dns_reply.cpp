// The DNS reply walk: the first byte picks where the answers start, the rest is the datagram.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "net/Dns.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t answersAt = 12 + data[0];
    const uint8_t* reply = data + 1;
    const size_t replySize = size - 1;
    uint32_t result[kDnsResultSize + 1] = {};
    result[kDnsResultSize] = 0xA5A5A5A5u;
    const int rc = ParseDnsReply(reply, replySize, answersAt, result);
    if (rc == 0 && (result[0] == 0 || result[0] > kDnsMaxAddresses)) __builtin_trap();
    if (result[kDnsResultSize] != 0xA5A5A5A5u) __builtin_trap();
    std::string name;
    size_t used = 0;
    for (size_t pos = 0; pos < replySize && pos < 64; ++pos) {
        if (ReadDnsName(reply, replySize, pos, name, used) && (name.size() > 255 || used == 0))
            __builtin_trap();
    }
    // The same bytes as a host name for the query builder.
    const std::string host(reinterpret_cast<const char*>(reply), replySize < 300 ? replySize : 300);
    const std::vector<uint8_t> query = BuildDnsQuery(host.c_str(), 7);
    if (!query.empty() && query.size() > 12 + 255 + 4) __builtin_trap();
    // The datagram as the reply to a query for its own bytes: the check reads nothing outside it.
    if (DnsReplyAnswersQuery(reply, replySize, query) && replySize < query.size()) __builtin_trap();
    return 0;
}
