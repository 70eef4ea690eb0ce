#include "support/SilentPort.h"

namespace {

constexpr int kMaxFillers = 16;
constexpr int kProbeWaitMs = 300;

}  // namespace

CSilentPort::CSilentPort() {
    m_listener = OpenTcpSocket();
    if (m_listener == kInvalidSocket) return;
    const uint32_t loopback = MakeNetAddr(127, 0, 0, 1);
    if (!BindIPv4(m_listener, loopback, 0) || !ListenSocket(m_listener, 0)) return;
    const uint16_t netPort = LocalNetPort(m_listener);
    m_port = NetToHost16(netPort);
    // Connections that finish fill the queue; the first one that stays unanswered proves the
    // port silent (and stays pending itself, which does no harm).
    for (int i = 0; i < kMaxFillers && !m_bSilent; ++i) {
        const SocketHandle filler = OpenTcpSocket();
        if (filler == kInvalidSocket) return;
        m_fillers.push_back(filler);
        if (!SetBlocking(filler, false)) return;
        const int started = StartConnectIPv4(filler, loopback, netPort);
        if (started < 0) return;
        if (started == 1 && WaitWritable(filler, kProbeWaitMs) == 0) m_bSilent = true;
    }
}

CSilentPort::~CSilentPort() {
    for (SocketHandle filler : m_fillers) CloseSocket(filler);
    if (m_listener != kInvalidSocket) CloseSocket(m_listener);
}
