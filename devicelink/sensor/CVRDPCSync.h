#pragma once

#include "devicelink/link/TcpTransport.h"
#include "platform/Event.h"
#include "platform/WorkerThread.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// The resources of the link through which another PC program could drive the logger over a
// socket: a transfer buffer, worker slots and the socket. The program holds one in
// its root dialog and uses it only at exit, to stop a remote session's device work and tell the
// peer the stream has ended. It starts nothing by itself.
namespace devicelink {

class CNI2CSensor;

inline constexpr size_t kPCSyncBufferBytes = 0x10000;

class CVRDPCSync {
public:
    // `sensor` is the program's sensor object, used when a remote session is stopped; it may be
    // null (nothing to stop then).
    explicit CVRDPCSync(CNI2CSensor* sensor = nullptr);
    CVRDPCSync(const CVRDPCSync&) = delete;
    CVRDPCSync& operator=(const CVRDPCSync&) = delete;
    virtual ~CVRDPCSync();

    // Ends the two further workers if they run; 1.
    int32_t TerminateThreads();
    // With a sensor worker registered: stops the device, ends that worker and sends the
    // stop-stream frame to the peer. Without one it does nothing.
    void StopRemote();
    // Sends every byte while the socket is open, until all are sent or a send fails. A closed
    // peer is a failed send, never a signal.
    void SendAll(const void* data, size_t length);

    // The link's own event (manual reset, not signalled at first): the root window signals it when
    // it has entered its PC-link mode, for the session that asked for the mode.
    platform::Event& event() { return event_; }
    // The slot a session's sensor work runs in.
    platform::WorkerThread& sensorWorker() { return sensorWorker_; }
    // Takes ownership of a connected socket (closed when replaced or at destruction).
    void AttachSocket(int socket);
    int socket() const { return socket_; }

private:
    static void End(platform::WorkerThread& worker);

    std::unique_ptr<uint8_t[]> send_;
    platform::WorkerThread sensorWorker_;
    CNI2CSensor* sensor_ = nullptr;
    platform::WorkerThread workers_[2];
    int socket_ = kNoSocket;
    platform::Event event_{platform::Event::Kind::ManualReset};
};

}  // namespace devicelink
