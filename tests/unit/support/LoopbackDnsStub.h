// A UDP DNS stub on 127.0.0.1 at an ephemeral port: records each query and answers with the
// datagrams the handler scripts (delayed, or sent from another port to play a forger). Stops by
// itself when its lifetime ends.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/Sockets.h"

struct DnsDatagram {
    std::string m_bytes;
    int m_delayMs = 0;             // wait this long before sending
    bool m_fromOtherPort = false;  // send from a second socket, not the server's
};

class CLoopbackDnsStub {
public:
    using Handler = std::function<std::vector<DnsDatagram>(const std::string& query)>;

    explicit CLoopbackDnsStub(Handler handler, int lifetimeMs = 20000);
    ~CLoopbackDnsStub();
    CLoopbackDnsStub(const CLoopbackDnsStub&) = delete;
    CLoopbackDnsStub& operator=(const CLoopbackDnsStub&) = delete;

    uint16_t Port() const { return m_port; }  // host order, 0 when unbound
    std::vector<std::string> Queries() const;

private:
    void Loop();

    Handler m_handler;
    SocketHandle m_socket = kInvalidSocket;
    SocketHandle m_other = kInvalidSocket;
    uint16_t m_port = 0;
    uint32_t m_deadline;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_lock;
    std::vector<std::string> m_queries;
    std::thread m_thread;
};

// Reply building for scripted answers.
struct DnsRecord {
    uint16_t m_type = 1;
    std::string m_owner = std::string("\xC0\x0C", 2);  // wire form; default points at the question
    std::string m_data;                                // wire form of the data
};
// The header (query's ID, QR and RD set, the given counts) and the echoed question, then the
// records. `answerCount` < 0 means the number of records.
std::string MakeDnsReply(const std::string& query, const std::vector<DnsRecord>& records,
                         int answerCount = -1);
DnsRecord ARecord(uint8_t a, uint8_t b, uint8_t c, uint8_t d);
// A name in label form: "a.bc" -> "\1a\2bc\0".
std::string DnsWireName(const std::string& dotted);
