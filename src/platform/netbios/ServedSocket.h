#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

namespace platform::netbios {

// A bound socket served by a thread of its own. The thread waits on the socket and on a wake-up
// descriptor, so stopping never waits for traffic.
class ServedSocket {
public:
    ServedSocket() = default;
    ~ServedSocket() { Stop(); }
    ServedSocket(const ServedSocket&) = delete;
    ServedSocket& operator=(const ServedSocket&) = delete;

    // Takes the socket; false, with it closed and errno kept, when it is -1 or no wake-up can
    // be made.
    bool Adopt(int socket);
    void Start(std::function<void()> serve) { thread_ = std::thread(std::move(serve)); }
    // Wakes and joins the thread, then closes both descriptors. Owners call it before the
    // members their thread uses go.
    void Stop();

    int Socket() const { return socket_; }
    int Wake() const { return wake_; }
    // Blocks until the socket has input: false once the thread is told to stop.
    bool WaitForInput() const;

private:
    int socket_ = -1;
    int wake_ = -1;
    std::thread thread_;
};

// A UDP socket bound to the port on every interface, taking broadcasts and telling each
// datagram's addresses; -1 with errno set when it cannot be had. Samba's nmbd may bind the port
// beside it, as it lets others bind beside its own sockets.
int OpenUdpPort(std::uint16_t port);

// One datagram from such a socket, without waiting.
struct ReceivedDatagram {
    std::ptrdiff_t size = -1;  // negative when nothing could be read
    bool truncated = false;
    sockaddr_in from{};
    std::uint32_t destination = 0;     // the address it was sent to, a broadcast one included
    std::uint32_t interfaceLocal = 0;  // this machine's address on the interface it came in on
};
ReceivedDatagram ReceiveDatagram(int socket, char* buffer, std::size_t size);

}  // namespace platform::netbios
