// A loopback HTTP server on an ephemeral port that answers each connection with the next reply
// of its script (the last one repeats) and records what it was sent and when.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/Sockets.h"

class ScriptedHttpServer {
public:
    using Clock = std::chrono::steady_clock;
    // Holds the connection open without answering until the server goes away.
    static constexpr const char* kStall = "<stall>";

    explicit ScriptedHttpServer(std::vector<std::string> replies) : m_replies(std::move(replies)) {
        m_listen = OpenTcpSocket();
        if (m_listen == kInvalidSocket) return;
        if (!BindIPv4(m_listen, MakeNetAddr(127, 0, 0, 1), 0) || !ListenSocket(m_listen, 8)) return;
        m_port = NetToHost16(LocalNetPort(m_listen));
        m_thread = std::thread([this] { Serve(); });
    }
    ~ScriptedHttpServer() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        for (SocketHandle s : m_held) CloseSocket(s);
        if (m_listen != kInvalidSocket) CloseSocket(m_listen);
    }
    ScriptedHttpServer(const ScriptedHttpServer&) = delete;
    ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

    uint16_t Port() const { return m_port; }
    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }
    std::vector<Clock::time_point> Times() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_times;
    }

    static std::string Reply(const std::string& status, const std::string& body) {
        return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    }

private:
    void Serve() {
        while (!m_stop) {
            if (WaitReadable(m_listen, 20) != 1) continue;
            SocketHandle s = AcceptSocket(m_listen);
            if (s == kInvalidSocket) continue;
            const std::string request = ReadRequest(s);
            size_t index;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                index = m_requests.size();
                m_requests.push_back(request);
                m_times.push_back(Clock::now());
            }
            const std::string& reply =
                m_replies.empty() ? std::string() : m_replies[std::min(index, m_replies.size() - 1)];
            if (reply == kStall) {
                m_held.push_back(s);
                continue;
            }
            for (size_t sent = 0; sent < reply.size();) {
                const long n = SendBytes(s, reply.data() + sent, reply.size() - sent);
                if (n <= 0) break;
                sent += static_cast<size_t>(n);
            }
            ShutdownSend(s);
            CloseSocket(s);
        }
    }

    std::string ReadRequest(SocketHandle s) {
        std::string request;
        char buffer[512];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 8192 && !m_stop) {
            if (WaitReadable(s, 1000) != 1) break;
            const long n = RecvBytes(s, buffer, sizeof(buffer));
            if (n <= 0) break;
            request.append(buffer, static_cast<size_t>(n));
        }
        return request;
    }

    std::vector<std::string> m_replies;
    SocketHandle m_listen = kInvalidSocket;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::vector<Clock::time_point> m_times;
    std::vector<SocketHandle> m_held;  // stalled connections, touched only by the serving thread
};
