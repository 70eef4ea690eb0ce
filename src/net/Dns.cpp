#include "net/Dns.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <random>

#include "net/Sockets.h"
#include "platform/Timer.h"

namespace {

constexpr size_t kDnsHeaderSize = 12;
constexpr size_t kMaxWireName = 255;
// More jumps than a legal name can need; anything beyond is a loop.
constexpr int kMaxPointerJumps = 127;
constexpr size_t kDatagramSize = 65536;

std::atomic<SystemResolverFn> g_systemResolver{&SystemLookupIPv4};
std::atomic<uint16_t> g_ownResolverPort{kelvora_config::kFallbackDnsPort};

uint16_t ReadBe16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

// The ID is what a forger who cannot see the query has to guess; the process id would be known
// to every program on the machine.
uint16_t NewQueryId() {
    try {
        std::random_device source;
        return static_cast<uint16_t>(source());
    } catch (...) {
        // No random source: the tick counter still changes from query to query.
        return static_cast<uint16_t>((GetTickMs() * 2654435761u) >> 16);
    }
}

uint8_t LowerAscii(uint8_t c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<uint8_t>(c - 'A' + 'a') : c;
}

// Closes the resolver's socket on every way out.
class CSocketOwner {
public:
    explicit CSocketOwner(SocketHandle s) : m_s(s) {}
    ~CSocketOwner() { CloseSocket(m_s); }
    CSocketOwner(const CSocketOwner&) = delete;
    CSocketOwner& operator=(const CSocketOwner&) = delete;
    SocketHandle Get() const { return m_s; }

private:
    SocketHandle m_s;
};

}  // namespace

std::vector<uint8_t> BuildDnsQuery(const char* host, uint16_t id) {
    std::vector<uint8_t> packet;
    if (host == nullptr || *host == '\0') return packet;
    std::string name(host);
    // A final "." is the root label and ends the name; any other empty label would silently
    // query a shorter name, so it is refused.
    if (name.back() == '.') name.pop_back();
    if (name.empty() || name.size() > 253) return packet;

    packet.resize(kDnsHeaderSize);
    std::memcpy(&packet[0], &id, 2);
    packet[2] = 0x01;  // RD
    packet[3] = 0x00;
    packet[5] = 1;  // QDCOUNT
    size_t start = 0;
    for (;;) {
        const size_t dot = name.find('.', start);
        const size_t end = dot == std::string::npos ? name.size() : dot;
        const size_t len = end - start;
        if (len == 0 || len > 63) return {};
        packet.push_back(static_cast<uint8_t>(len));
        packet.insert(packet.end(), name.begin() + static_cast<long>(start),
                      name.begin() + static_cast<long>(end));
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    packet.push_back(0);
    const uint8_t tail[4] = {0, 1, 0, 1};  // QTYPE A, QCLASS IN
    packet.insert(packet.end(), tail, tail + 4);
    return packet;
}

bool ReadDnsName(const uint8_t* reply, size_t size, size_t pos, std::string& name, size_t& inPlace) {
    name.clear();
    inPlace = 0;
    size_t wire = 0;
    int jumps = 0;
    bool jumped = false;
    for (;;) {
        if (pos >= size) return false;
        const uint8_t len = reply[pos];
        if (len >= 0xC0) {
            if (pos + 1 >= size || ++jumps > kMaxPointerJumps) return false;
            if (!jumped) inPlace += 2;
            jumped = true;
            pos = static_cast<size_t>(((len & 0x3F) << 8) | reply[pos + 1]);
            continue;
        }
        // 0x40 and 0x80 are reserved label types that no resolver sends.
        if (len > 63) return false;
        if (!jumped) inPlace += 1 + len;
        if (len == 0) return true;
        wire += 1 + len;
        if (wire + 1 > kMaxWireName || pos + 1 + len > size) return false;
        if (!name.empty()) name += '.';
        name.append(reinterpret_cast<const char*>(reply + pos + 1), len);
        pos += 1 + len;
    }
}

bool DnsReplyAnswersQuery(const uint8_t* reply, size_t size, const std::vector<uint8_t>& query) {
    if (reply == nullptr || query.size() <= kDnsHeaderSize || size < query.size()) return false;
    if (std::memcmp(reply, query.data(), 2) != 0) return false;
    const bool isResponse = (reply[2] & 0x80) != 0;
    const uint8_t rcode = reply[3] & 0x0F;
    if (!isResponse || rcode != 0 || ReadBe16(reply + 4) != 1) return false;
    // The question as sent: labels, then type and class. A server may change the case of the
    // name's letters, nothing else.
    const size_t typeAt = query.size() - 4;
    for (size_t i = kDnsHeaderSize; i < typeAt; ++i) {
        if (LowerAscii(reply[i]) != LowerAscii(query[i])) return false;
    }
    return std::memcmp(reply + typeAt, query.data() + typeAt, 4) == 0;
}

int ParseDnsReply(const uint8_t* reply, size_t size, size_t answersAt, uint32_t* result) {
    if (reply == nullptr || result == nullptr) return -1;
    result[0] = 0;
    if (size < kDnsHeaderSize || answersAt < kDnsHeaderSize) return -1;
    int count = ReadBe16(reply + 6);
    if (count > kDnsMaxAddresses) count = kDnsMaxAddresses;
    size_t pos = answersAt;
    uint32_t found = 0;
    for (int i = 0; i < count; ++i) {
        std::string owner;
        size_t used = 0;
        if (!ReadDnsName(reply, size, pos, owner, used)) return -1;
        pos += used;
        if (pos + 10 > size) return -1;
        const uint16_t type = ReadBe16(reply + pos);
        const uint16_t dataLen = ReadBe16(reply + pos + 8);
        pos += 10;
        if (pos + dataLen > size) return -1;
        if (type == 1) {
            // Fewer than four bytes cannot be an address; taking the next record's bytes instead
            // would hand out an address nobody sent.
            if (dataLen >= 4) std::memcpy(&result[1 + found++], reply + pos, 4);
        } else if (type == 5) {
            std::string target;
            size_t targetLen = 0;
            if (!ReadDnsName(reply, size, pos, target, targetLen) || targetLen > dataLen) return -1;
        }
        // The record's own length moves on, so data of any type cannot misalign the next record.
        pos += dataLen;
    }
    result[0] = found;
    return found > 0 ? 0 : -1;
}

int TextToAddress(int family, const char* text, void* out) {
    if (family != kAddressFamilyIPv4 || text == nullptr || out == nullptr) return 0;
    uint8_t bytes[4];
    int part = 0;
    const char* p = text;
    for (;;) {
        if (*p < '0' || *p > '9') return 0;
        unsigned value = 0;
        while (*p >= '0' && *p <= '9') {
            value = value * 10 + static_cast<unsigned>(*p - '0');
            if (value > 255) return 0;
            ++p;
        }
        bytes[part++] = static_cast<uint8_t>(value);
        if (part == 4) break;
        if (*p != '.') return 0;
        ++p;
    }
    if (*p != '\0') return 0;
    std::memcpy(out, bytes, 4);
    return 1;
}

char* AddressToText(int family, const void* address, char* buffer, size_t size) {
    if (family != kAddressFamilyIPv4 || address == nullptr || buffer == nullptr || size < 16) return nullptr;
    const uint8_t* b = static_cast<const uint8_t*>(address);
    std::snprintf(buffer, size, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return buffer;
}

int DnsResolve(const char* host, uint32_t* result, int timeoutMs, const char* server, uint16_t port) {
    if (host == nullptr || result == nullptr) return -1;
    result[0] = 0;
    if (timeoutMs <= 0) timeoutMs = kDnsDefaultTimeoutMs;
    uint32_t serverAddr = 0;
    if (server == nullptr || TextToAddress(kAddressFamilyIPv4, server, &serverAddr) != 1) return -1;
    const std::vector<uint8_t> query = BuildDnsQuery(host, NewQueryId());
    if (query.empty()) return -1;

    CSocketOwner sock(OpenUdpSocket());
    if (sock.Get() == kInvalidSocket) return -1;
    const uint16_t netPort = HostToNet16(port);
    if (SendTo(sock.Get(), query.data(), query.size(), serverAddr, netPort) < 0) return -1;

    std::vector<uint8_t> reply(kDatagramSize);
    const uint32_t start = GetTickMs();
    for (;;) {
        const uint32_t elapsed = GetTickMs() - start;
        if (elapsed >= static_cast<uint32_t>(timeoutMs)) return -1;
        if (WaitReadable(sock.Get(), timeoutMs - static_cast<int>(elapsed)) != 1) return -1;
        uint32_t fromAddr = 0;
        uint16_t fromPort = 0;
        const long n = RecvFrom(sock.Get(), reply.data(), reply.size(), fromAddr, fromPort);
        if (n < 0) return -1;
        const size_t got = static_cast<size_t>(n);
        // Anyone on the path can send a datagram to this port; only the server's answer to this
        // query may steer where the download goes.
        if (fromAddr != serverAddr || fromPort != netPort) continue;
        if (!DnsReplyAnswersQuery(reply.data(), got, query)) continue;
        return ParseDnsReply(reply.data(), got, query.size(), result);
    }
}

SystemResolverFn SetSystemResolver(SystemResolverFn fn) {
    return g_systemResolver.exchange(fn != nullptr ? fn : &SystemLookupIPv4);
}

bool SystemResolve(const char* host, uint32_t& netAddr) {
    if (host == nullptr) return false;
    return g_systemResolver.load()(host, netAddr);
}

void SetOwnResolverPort(uint16_t port) {
    g_ownResolverPort.store(port);
}
uint16_t GetOwnResolverPort() {
    return g_ownResolverPort.load();
}
