#pragma once

#include "devicelink/link/ByteTransport.h"
#include "devicelink/link/ChannelRing.h"
#include "devicelink/link/LinkOpenFailure.h"
#include "devicelink/link/ReplyGate.h"
#include "devicelink/link/StreamDealer.h"
#include "devicelink/link/StreamPacketQueue.h"
#include "devicelink/protocol/CommandFrame.h"
#include "devicelink/protocol/MeasureSetupBlock.h"
#include "devicelink/protocol/SensorSearchTable.h"

#include "platform/Event.h"
#include "platform/WorkerThread.h"

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <vector>

namespace devicelink {

inline constexpr int kDeviceBlockBytes = kSensorSearchTableBytes;

// How one build of the driver differs from the others.
struct DriverOptions {
    // The firmware tool's logger: a read of exactly 60 bytes that is no frame is a bare status
    // packet (its fourth word the status), and a socket error counts as one failed read instead of
    // ending the link at once.
    bool upgradeTool = false;
};

// The one object through which the PC talks to the logger: it opens USB or falls back to the TCP
// peer, sends command frames and waits for their replies, and runs the receive thread (frames,
// automatic answers, sample stores) and the streaming thread (isochronous packets).
class CorvikUSBDrv : public FrameSink {
public:
    // What a command waits on; each gate is released only by the replies its sender names.
    enum class Gate { Ack, Status, Version, Start, Read, Write, Stop };

    explicit CorvikUSBDrv(DriverOptions options = {});
    CorvikUSBDrv(const CorvikUSBDrv&) = delete;
    CorvikUSBDrv& operator=(const CorvikUSBDrv&) = delete;
    virtual ~CorvikUSBDrv();

    // Opens USB or else the TCP peer (CORVIK_TRANSPORT=tcp or =usb: that one only), starts the
    // receive thread and performs the hello: 5 x 200 ms over USB, 1 x 1000 ms over TCP.
    // 1 connected, 0 failed (OpenFailure() says why).
    int Connect(int argument);
    // Opens the transport only: the USB logger if there is one, else the TCP peer. 1/0.
    int Open();
    // Why the last Connect or Open failed; None after one that succeeded.
    LinkOpenFailure OpenFailure() const { return openFailure_.load(); }
    // The same over a transport already open (tests use fakes); iso may be null for TCP links,
    // whose streamed packets then come through the driver's own queue. A given iso source must
    // outlive the connection (until Close or destruction).
    int ConnectWith(std::unique_ptr<ByteTransport> transport, StreamPacketSource* iso);
    // Stops both threads, wakes and joins them, then closes the transport. Returns 1.
    int Close();
    void StopThreads() { Close(); }

    // Stop streaming, then 0x1000000E; 1 when the logger answered within 1000 ms.
    int Stop();
    int StopStream();
    // Status poll: the status word; the previous good one on up to five time-outs in a row, then -1.
    int32_t QuerySensorState();
    int GetFirmwareVersion(int32_t& version);
    int WriteDeviceBlock(const void* block);

    int ReadSamples(const MeasureRequest& request);
    int SendSetupBlock(const MeasureRequest& request);
    int StartMeasure(const MeasureRequest& request);
    // Either argument may be null to keep the previous copy.
    int StartStream(const MeasureRequest* request, const StreamDescriptor* descriptor);

    // Sends one command and waits for one of the named replies on the gate. 1 answered, 0 not
    // (including a frame that could not be built or sent).
    int Transact(uint32_t code, const void* part1, int32_t part1Bytes, const void* part2, int32_t part2Bytes,
                 Gate gate, std::initializer_list<uint32_t> replies, uint32_t timeoutMs);

    // Writes a whole frame under the send lock; false when the link is down or writing failed.
    bool SendFrame(const uint8_t* data, size_t length);

    // Every frame the receive thread finds: checked, then acted on by its code. Public for tests
    // that feed frames directly.
    void HandleFrame(std::span<const uint32_t> frame);
    void OnFrame(std::span<const uint32_t> frame) override { HandleFrame(frame); }

    bool LinkUp() const { return linkUp_.load(std::memory_order_acquire); }
    bool IsUsb() const { return usb_; }
    bool StreamingActive() const { return streaming_.load(std::memory_order_acquire); }
    bool ReceiveThreadRunning() const { return receiver_.Running(); }
    bool StreamThreadRunning() const { return streamer_.Running(); }

    const ChannelRings& Rings() const { return rings_; }
    ChannelRings& Rings() { return rings_; }

    int32_t LastStatus() const { return lastStatus_.load(); }
    int32_t LastFirmwareVersion() const { return firmwareVersion_.load(); }
    int32_t FirmwareBank() const { return firmwareBank_.load(); }
    int32_t FirmwareSequence() const { return firmwareSequence_.load(); }

private:
    ReplyGate& GateFor(Gate gate);
    // Starts the receive thread on the open transport and performs the hello.
    int StartLink();
    void ReceiveThreadProc(const std::atomic<bool>& stop);
    // The upgrade tool's status packet: true when the read of n bytes just taken was one.
    bool TakeStatusPacket(size_t n);
    void StreamThreadProc(const std::atomic<bool>& stop);
    // False when the streaming thread could not be started.
    bool StartStreamThread();
    void EndStreamThread();
    void Answer(uint32_t code);
    bool WriteLocked(const uint8_t* data, size_t length);

    const DriverOptions options_;
    std::atomic<bool> linkUp_{false};
    std::atomic<LinkOpenFailure> openFailure_{LinkOpenFailure::None};
    bool usb_ = false;
    int connectArgument_ = 0;
    std::unique_ptr<ByteTransport> transport_;
    StreamPacketSource* iso_ = nullptr;
    StreamPacketQueue packetQueue_;

    std::mutex sendMutex_;
    std::vector<uint8_t> sendBuffer_;
    uint8_t answerBuffer_[kFrameOverheadBytes] = {};

    FrameReassembler reassembler_;
    ReplyGate ack_, status_, version_, start_, read_, write_, stop_;
    platform::Event dataEvent_{platform::Event::Kind::ManualReset};
    platform::Event streamBackoff_{platform::Event::Kind::ManualReset};
    ChannelRings rings_;

    MeasureRequest streamRequest_;
    StreamDescriptor streamDescriptor_{};
    StreamDealer dealer_;
    std::atomic<bool> streaming_{false};

    std::atomic<int32_t> lastStatus_{0};
    std::atomic<int32_t> lastValue_{0};
    std::atomic<int32_t> firmwareVersion_{0};
    std::atomic<int32_t> firmwareBank_{0};
    std::atomic<int32_t> firmwareSequence_{0};
    int32_t lastGoodStatus_ = 0;
    int statusTimeouts_ = 0;

    platform::WorkerThread receiver_;
    platform::WorkerThread streamer_;
};

}  // namespace devicelink
