#pragma once

#include <QByteArray>
#include <QString>

// The network as the journeys see it: messages sent with the built parlane-send, and the
// datagrams that reach the peer machine.
namespace wire {

// Sends a message as a stranger on this machine would, with parlane-send; its exit code.
// To "." is to this machine, where the copy listens.
int Send(const QString& from, const QString& to, const QString& text);
// The same from the peer machine (kPeerAddress), whose host name is peerHost.
int SendFromPeer(const QString& peerHost, const QString& from, const QString& to,
                 const QString& text);

// Captures the UDP datagrams that arrive at port 138 of the peer machine from its making on.
class Capture {
public:
    Capture();
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    // The next datagram within ms; empty when none came.
    QByteArray Next(int ms = 5000);

private:
    int socket_ = -1;
};

// Whether UDP port 138 of this machine is free (nothing bound to it).
bool PortFree();

}  // namespace wire
