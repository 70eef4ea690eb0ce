#include "support/LoopbackDnsStub.h"

#include "platform/Timer.h"

CLoopbackDnsStub::CLoopbackDnsStub(Handler handler, int lifetimeMs)
    : m_handler(std::move(handler)), m_deadline(GetTickMs() + static_cast<uint32_t>(lifetimeMs)) {
    m_socket = OpenUdpSocket();
    m_other = OpenUdpSocket();
    if (m_socket == kInvalidSocket || m_other == kInvalidSocket ||
        !BindIPv4(m_socket, MakeNetAddr(127, 0, 0, 1), 0) || !BindIPv4(m_other, MakeNetAddr(127, 0, 0, 1), 0))
        return;
    m_port = NetToHost16(LocalNetPort(m_socket));
    m_thread = std::thread([this] { Loop(); });
}

CLoopbackDnsStub::~CLoopbackDnsStub() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    CloseSocket(m_socket);
    CloseSocket(m_other);
}

std::vector<std::string> CLoopbackDnsStub::Queries() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_queries;
}

void CLoopbackDnsStub::Loop() {
    std::vector<char> buffer(65536);
    while (!m_stop.load() && static_cast<int32_t>(GetTickMs() - m_deadline) < 0) {
        if (WaitReadable(m_socket, 20) != 1) continue;
        uint32_t fromAddr = 0;
        uint16_t fromPort = 0;
        const long n = RecvFrom(m_socket, buffer.data(), buffer.size(), fromAddr, fromPort);
        if (n <= 0) continue;
        const std::string query(buffer.data(), static_cast<size_t>(n));
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_queries.push_back(query);
        }
        for (const DnsDatagram& d : m_handler(query)) {
            for (int waited = 0; waited < d.m_delayMs && !m_stop.load(); waited += 10) SleepMs(10);
            SendTo(d.m_fromOtherPort ? m_other : m_socket, d.m_bytes.data(), d.m_bytes.size(), fromAddr,
                   fromPort);
        }
    }
}

std::string DnsWireName(const std::string& dotted) {
    std::string wire;
    size_t start = 0;
    while (start <= dotted.size()) {
        size_t dot = dotted.find('.', start);
        if (dot == std::string::npos) dot = dotted.size();
        if (dot > start) {
            wire += static_cast<char>(dot - start);
            wire += dotted.substr(start, dot - start);
        }
        start = dot + 1;
    }
    wire += '\0';
    return wire;
}

DnsRecord ARecord(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    DnsRecord r;
    r.m_type = 1;
    r.m_data =
        std::string{static_cast<char>(a), static_cast<char>(b), static_cast<char>(c), static_cast<char>(d)};
    return r;
}

std::string MakeDnsReply(const std::string& query, const std::vector<DnsRecord>& records, int answerCount) {
    if (query.size() < 12) return std::string();
    const int count = answerCount < 0 ? static_cast<int>(records.size()) : answerCount;
    std::string reply = query;
    reply[2] = static_cast<char>(0x81);  // QR, RD
    reply[3] = static_cast<char>(0x80);  // RA
    reply[6] = static_cast<char>(count >> 8);
    reply[7] = static_cast<char>(count & 0xFF);
    for (const DnsRecord& r : records) {
        reply += r.m_owner;
        reply += static_cast<char>(r.m_type >> 8);
        reply += static_cast<char>(r.m_type & 0xFF);
        reply += std::string("\x00\x01\x00\x00\x01\x2C", 6);  // class IN, TTL 300
        reply += static_cast<char>(r.m_data.size() >> 8);
        reply += static_cast<char>(r.m_data.size() & 0xFF);
        reply += r.m_data;
    }
    return reply;
}
