// A loopback port where a connect gets no answer at all, as from a server behind a firewall that
// drops packets: a listener that never accepts, whose queue of finished connections is already
// full, so the system drops every further connection request and the client keeps waiting.
#pragma once

#include <cstdint>
#include <vector>

#include "net/Sockets.h"

class CSilentPort {
public:
    CSilentPort();
    ~CSilentPort();
    CSilentPort(const CSilentPort&) = delete;
    CSilentPort& operator=(const CSilentPort&) = delete;

    // Host order; 0 when the port could not be made silent on this system (the test should
    // then skip rather than pass without having waited on anything).
    uint16_t Port() const { return m_bSilent ? m_port : 0; }

private:
    SocketHandle m_listener = kInvalidSocket;
    std::vector<SocketHandle> m_fillers;
    uint16_t m_port = 0;
    bool m_bSilent = false;
};
