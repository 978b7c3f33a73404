#pragma once

#include "platform/Event.h"
#include "platform/WorkerThread.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// The resources of the link through which another PC program could drive the logger over a
// socket: two transfer buffers, an event, worker slots and the socket. The program holds one in
// its root dialog and uses it only at exit, to stop a remote session's device work and tell the
// peer the stream has ended. It starts nothing by itself.
namespace devicelink {

class CNI2CSensor;

inline constexpr size_t kPCSyncBufferBytes = 0x10000;
inline constexpr int kNoSocket = -1;

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

    // The slots a session fills.
    platform::WorkerThread& sensorWorker() { return sensorWorker_; }
    platform::WorkerThread& worker(int i) { return workers_[i & 1]; }
    // Takes ownership of a connected socket (closed when replaced or at destruction).
    void AttachSocket(int socket);
    int socket() const { return socket_; }
    platform::Event& event() { return event_; }
    int32_t flag() const { return flag_; }
    uint8_t* receiveBuffer() { return receive_.get(); }
    uint8_t* sendBuffer() { return send_.get(); }

private:
    static void End(platform::WorkerThread& worker);

    std::unique_ptr<uint8_t[]> receive_;
    std::unique_ptr<uint8_t[]> send_;
    int32_t flag_ = 0;
    platform::WorkerThread sensorWorker_;
    CNI2CSensor* sensor_ = nullptr;
    platform::WorkerThread workers_[2];
    int socket_ = kNoSocket;
    platform::Event event_{platform::Event::Kind::ManualReset};
};

}  // namespace devicelink
