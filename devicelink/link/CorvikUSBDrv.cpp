#include "devicelink/link/CorvikUSBDrv.h"

#include "devicelink/link/TcpTransport.h"
#include "devicelink/link/UsbTransport.h"

#include "platform/LittleEndian.h"

#include <cstdlib>
#include <cstring>

namespace devicelink {

namespace {

constexpr int kUsbHelloTries = 5;
constexpr uint32_t kUsbHelloWaitMs = 200;
constexpr uint32_t kTcpHelloWaitMs = 1000;
constexpr uint32_t kReadWaitMs = 300;
constexpr uint32_t kWriteWaitMs = 200;
constexpr uint32_t kStartWaitMs = 1000;
constexpr uint32_t kStopWaitMs = 1000;
constexpr uint32_t kStatusWaitMs = 300;
constexpr uint32_t kVersionWaitMs = 3000;
constexpr uint32_t kDeviceBlockWaitMs = 1000;
constexpr int kStopStreamTries = 10;
constexpr uint32_t kStopStreamWaitMs = 100;
constexpr int kMaxReadFailures = 10;
constexpr int kMaxWriteRepeats = 3;
constexpr int kStatusGraceTimeouts = 5;
constexpr uint32_t kStreamRoundMs = 5000;
constexpr uint32_t kStreamBackoffMs = 100;
constexpr int kGapWarmUpRounds = 10;
constexpr size_t kStatusPacketBytes = 60;
constexpr size_t kStatusPacketWord = 3;

// CORVIK_TRANSPORT=tcp skips USB (the tests, the simulated logger); =usb never falls back to TCP,
// so that a run meant for USB cannot pass over the simulator's socket instead.
bool TransportIs(const char* name)
{
    const char* t = std::getenv("CORVIK_TRANSPORT");
    return t && std::strcmp(t, name) == 0;
}

}  // namespace

CorvikUSBDrv::CorvikUSBDrv(DriverOptions options)
    : options_(options), sendBuffer_(kMaxFrameBytes), rings_(dataEvent_)
{
}

CorvikUSBDrv::~CorvikUSBDrv()
{
    if (LinkUp())
        Stop();
    Close();
}

ReplyGate& CorvikUSBDrv::GateFor(Gate gate)
{
    switch (gate) {
    case Gate::Ack: return ack_;
    case Gate::Status: return status_;
    case Gate::Version: return version_;
    case Gate::Start: return start_;
    case Gate::Read: return read_;
    case Gate::Write: return write_;
    case Gate::Stop: return stop_;
    }
    return ack_;
}

int CorvikUSBDrv::Connect(int argument)
{
    connectArgument_ = argument;
    if (!Open())
        return 0;
    return StartLink();
}

int CorvikUSBDrv::Open()
{
    Close();
    openFailure_.store(LinkOpenFailure::NoLogger);
    if (!TransportIs("tcp")) {
        std::unique_ptr<UsbTransport> usb;
        switch (UsbTransport::Open(usb)) {
        case UsbTransport::OpenResult::Opened:
            iso_ = &usb->IsoSource();
            transport_ = std::move(usb);
            openFailure_.store(LinkOpenFailure::None);
            return 1;
        case UsbTransport::OpenResult::InUse:
            openFailure_.store(LinkOpenFailure::InUse);
            return 0;
        case UsbTransport::OpenResult::NoPermission:
            openFailure_.store(LinkOpenFailure::NoPermission);
            return 0;
        case UsbTransport::OpenResult::IsoSetupFailed:
            return 0;
        case UsbTransport::OpenResult::NoLogger:
            break;
        }
        if (TransportIs("usb"))
            return 0;
    }
    std::unique_ptr<TcpTransport> tcp = TcpTransport::ConnectConfigured();
    if (!tcp)
        return 0;
    transport_ = std::move(tcp);
    iso_ = &packetQueue_;
    openFailure_.store(LinkOpenFailure::None);
    return 1;
}

int CorvikUSBDrv::ConnectWith(std::unique_ptr<ByteTransport> transport, StreamPacketSource* iso)
{
    Close();
    if (!transport)
        return 0;
    transport_ = std::move(transport);
    iso_ = iso ? iso : &packetQueue_;
    return StartLink();
}

int CorvikUSBDrv::StartLink()
{
    usb_ = transport_->IsUsb();
    reassembler_.Clear();
    linkUp_.store(true, std::memory_order_release);
    if (!receiver_.Start([this](const std::atomic<bool>& stop) { ReceiveThreadProc(stop); },
                         platform::WorkerThread::Priority::Highest)) {
        Close();
        return 0;
    }
    const int tries = usb_ ? kUsbHelloTries : 1;
    const uint32_t waitMs = usb_ ? kUsbHelloWaitMs : kTcpHelloWaitMs;
    for (int i = 0; i < tries; ++i) {
        if (Transact(code::kHello, nullptr, 0, nullptr, 0, Gate::Ack, {code::kHelloAck}, waitMs)) {
            openFailure_.store(LinkOpenFailure::None);
            return 1;
        }
        if (transport_->TurnedAway())
            break;
    }
    openFailure_.store(transport_->TurnedAway() ? LinkOpenFailure::InUse : LinkOpenFailure::NoLogger);
    return 0;
}

int CorvikUSBDrv::Close()
{
    linkUp_.store(false, std::memory_order_release);
    EndStreamThread();
    if (transport_)
        transport_->Wake();
    receiver_.Join();
    std::lock_guard lock(sendMutex_);
    if (transport_) {
        transport_->Close();
        transport_.reset();
    }
    iso_ = nullptr;
    return 1;
}

bool CorvikUSBDrv::WriteLocked(const uint8_t* data, size_t length)
{
    if (!LinkUp() || !transport_)
        return false;
    size_t sent = 0;
    int failures = 0;
    while (sent < length) {
        size_t written = 0;
        const WriteStatus st = transport_->Write({data + sent, length - sent}, written);
        // Bytes that left are never sent again, whatever the attempt reported.
        sent += std::min(written, length - sent);
        if (st == WriteStatus::LinkLost) {
            linkUp_.store(false, std::memory_order_release);
            return false;
        }
        if (st == WriteStatus::Ok && written > 0) {
            failures = 0;
            continue;
        }
        if (++failures > kMaxWriteRepeats)
            return false;
    }
    return true;
}

bool CorvikUSBDrv::SendFrame(const uint8_t* data, size_t length)
{
    std::lock_guard lock(sendMutex_);
    return WriteLocked(data, length);
}

int CorvikUSBDrv::Transact(uint32_t frameCode, const void* part1, int32_t part1Bytes, const void* part2,
                           int32_t part2Bytes, Gate gate, std::initializer_list<uint32_t> replies,
                           uint32_t timeoutMs)
{
    ReplyGate& g = GateFor(gate);
    g.Expect(replies);
    {
        std::lock_guard lock(sendMutex_);
        const uint32_t n = BuildFrame(sendBuffer_, frameCode, part1, part1Bytes, part2, part2Bytes);
        if (n == 0)
            return 0;
        // A frame that could not be sent shows, as before, as a reply that never comes.
        (void)WriteLocked(sendBuffer_.data(), n);
    }
    return g.Wait(timeoutMs) ? 1 : 0;
}

void CorvikUSBDrv::Answer(uint32_t frameCode)
{
    std::lock_guard lock(sendMutex_);
    const uint32_t n = BuildFrame(answerBuffer_, frameCode, nullptr, 0);
    (void)WriteLocked(answerBuffer_, n);
}

void CorvikUSBDrv::ReceiveThreadProc(const std::atomic<bool>& stop)
{
    int failures = 0;
    while (LinkUp() && !stop.load(std::memory_order_acquire)) {
        const int r = transport_->Read(reassembler_.FreeSpace());
        if (stop.load(std::memory_order_acquire))
            break;
        if (r > 0) {
            failures = 0;
            if (!TakeStatusPacket(size_t(r)))
                reassembler_.Commit(size_t(r), *this);
            continue;
        }
        if (r == kReadTimedOut)
            continue;
        const bool linkGone = r == kReadLinkError && !options_.upgradeTool;
        if (++failures > kMaxReadFailures || linkGone) {
            linkUp_.store(false, std::memory_order_release);
            break;
        }
    }
    // Whoever waits on the stream learns at its next round that the link is gone.
    if (iso_)
        iso_->Wake();
}

bool CorvikUSBDrv::TakeStatusPacket(size_t n)
{
    // Only a read that starts afresh can be a packet: 60 bytes behind a partial frame, or 60 bytes
    // that begin with a frame head, are frame bytes and go to the reassembler.
    if (!options_.upgradeTool || n != kStatusPacketBytes || reassembler_.BytesHeld() != 0)
        return false;
    const auto bytes = reassembler_.FreeSpace().first(kStatusPacketBytes);
    if (platform::ReadLE32(bytes) == kFrameHead)
        return false;
    lastStatus_.store(int32_t(platform::ReadLE32(bytes, 4 * kStatusPacketWord)));
    return true;
}

void CorvikUSBDrv::HandleFrame(std::span<const uint32_t> frame)
{
    if (!FrameIsSound(frame))
        return;
    const uint32_t c = FrameCode(frame);
    const auto payload = FramePayload(frame);
    switch (c) {
    case code::kHello:
        Answer(code::kHelloAck);
        break;
    case code::kStop:
        Answer(code::kStopped);
        break;
    case code::kHelloAck:
    case code::kFirmwareCheckAck:
    case code::kFirmwareBlockAck:
    case code::kUnaskedAck1:
    case code::kUnaskedAck2:
    case code::kUnaskedAck3:
    case code::kDeviceBlockWritten:
        ack_.Offer(c);
        break;
    case code::kValueReply:
        lastValue_.store(int32_t(payload[0]));
        ack_.Offer(c);
        break;
    case code::kFirmwareBank:
        firmwareBank_.store(int32_t(payload[0]));
        firmwareSequence_.store(int32_t(payload[1]));
        ack_.Offer(c);
        break;
    case code::kStatusReply:
        lastStatus_.store(int32_t(payload[0]));
        status_.Offer(c);
        break;
    case code::kVersionReply:
        firmwareVersion_.store(int32_t(payload[0]));
        version_.Offer(c);
        break;
    case code::kStarted:
    case code::kStreamStarted:
        start_.Offer(c);
        break;
    case code::kReadReply:
        rings_.OnReadReply(payload, 8);
        read_.Offer(c);
        break;
    case code::kWideReadReply:
        rings_.OnReadReply(payload, kBlockEntries);
        read_.Offer(c);
        break;
    case code::kWriteDone:
        write_.Offer(c);
        break;
    case code::kStopped:
    case code::kStreamStopped:
        stop_.Offer(c);
        break;
    case code::kMeasureBlock:
        rings_.OnMeasureBlock(payload);
        break;
    case code::kChannelBlock:
        rings_.OnChannelBlock(payload);
        break;
    case code::kSetBlocks:
        rings_.OnSetBlocks(payload);
        break;
    case code::kChannelBulk:
        rings_.OnChannelBulk(payload);
        break;
    case code::kStreamPacket:
        // Queued even before the streaming thread is up: packets may follow the start answer at
        // once. A new stream clears what an old one left.
        (void)packetQueue_.Push(StreamPacketFromFrame(payload));
        break;
    default:
        break;
    }
}

int CorvikUSBDrv::Stop()
{
    StopStream();
    const int answered = Transact(code::kStop, nullptr, 0, nullptr, 0, Gate::Stop,
                                  {code::kStopped, code::kStreamStopped}, kStopWaitMs);
    // The consumer may release its arrays once stopped: later data replies go nowhere.
    rings_.Deactivate();
    return answered;
}

int CorvikUSBDrv::StopStream()
{
    if (!StreamingActive())
        return 1;
    int answered = 0;
    for (int i = 0; i < kStopStreamTries && !answered; ++i)
        answered = Transact(code::kStopStream, nullptr, 0, nullptr, 0, Gate::Stop,
                            {code::kStreamStopped, code::kStopped}, kStopStreamWaitMs);
    // The local thread ends even when the logger never answered: it only reads our own buffers.
    EndStreamThread();
    return answered;
}

int32_t CorvikUSBDrv::QuerySensorState()
{
    if (Transact(code::kQueryStatus, nullptr, 0, nullptr, 0, Gate::Status, {code::kStatusReply}, kStatusWaitMs)) {
        lastGoodStatus_ = lastStatus_.load();
        statusTimeouts_ = 0;
        return lastGoodStatus_;
    }
    if (statusTimeouts_ <= kStatusGraceTimeouts)
        ++statusTimeouts_;
    return statusTimeouts_ <= kStatusGraceTimeouts ? lastGoodStatus_ : -1;
}

int CorvikUSBDrv::GetFirmwareVersion(int32_t& version)
{
    if (!Transact(code::kGetVersion, nullptr, 0, nullptr, 0, Gate::Version, {code::kVersionReply}, kVersionWaitMs))
        return 0;
    version = firmwareVersion_.load();
    return 1;
}

int CorvikUSBDrv::WriteDeviceBlock(const void* block)
{
    if (!block)
        return 0;
    return Transact(code::kWriteDeviceBlock, block, kDeviceBlockBytes, nullptr, 0, Gate::Ack,
                    {code::kDeviceBlockWritten}, kDeviceBlockWaitMs);
}

int CorvikUSBDrv::ReadSamples(const MeasureRequest& request)
{
    const MeasureSetupBlock wire = WireImage(request.block);
    return Transact(code::kReadSamples, &wire, int32_t(sizeof wire), nullptr, 0, Gate::Read,
                    {code::kReadReply, code::kWideReadReply}, kReadWaitMs);
}

int CorvikUSBDrv::SendSetupBlock(const MeasureRequest& request)
{
    const MeasureSetupBlock wire = WireImage(request.block);
    return Transact(code::kWriteSetup, &wire, int32_t(sizeof wire), nullptr, 0, Gate::Write,
                    {code::kWriteDone}, kWriteWaitMs);
}

int CorvikUSBDrv::StartMeasure(const MeasureRequest& request)
{
    // Bound and counted from zero before the command leaves, so that samples following the
    // answer at once are kept.
    rings_.Bind(request);
    const MeasureSetupBlock wire = WireImage(request.block);
    const int answered = Transact(code::kStartMeasure, &wire, int32_t(sizeof wire), nullptr, 0, Gate::Start,
                                  {code::kStarted, code::kStreamStarted}, kStartWaitMs);
    if (!answered)
        rings_.Deactivate();
    return answered;
}

int CorvikUSBDrv::StartStream(const MeasureRequest* request, const StreamDescriptor* descriptor)
{
    if (StreamingActive())
        EndStreamThread();
    if (request)
        streamRequest_ = *request;
    if (descriptor)
        streamDescriptor_ = *descriptor;
    // The streaming thread alone delivers while a stream runs.
    rings_.Deactivate();
    if (iso_)
        iso_->Rearm();
    const uint32_t words[2] = {streamDescriptor_.ChannelMask(), 0};
    if (!Transact(code::kStartStream, words, int32_t(sizeof words), nullptr, 0, Gate::Start,
                  {code::kStarted, code::kStreamStarted}, kStartWaitMs))
        return 0;
    return StartStreamThread() ? 1 : 0;
}

bool CorvikUSBDrv::StartStreamThread()
{
    if (StreamingActive())
        return true;
    if (!iso_)
        return false;
    dataEvent_.Reset();
    for (auto* cell : streamDescriptor_.counts)
        if (cell)
            cell->store(0, std::memory_order_release);
    streamer_.Join();
    streamBackoff_.Reset();
    dealer_.Begin(streamDescriptor_, streamRequest_.host, streamRequest_.block);
    streaming_.store(true, std::memory_order_release);
    if (streamer_.Start([this](const std::atomic<bool>& stop) { StreamThreadProc(stop); },
                        platform::WorkerThread::Priority::Highest))
        return true;
    streaming_.store(false, std::memory_order_release);
    return false;
}

void CorvikUSBDrv::EndStreamThread()
{
    streamer_.RequestStop();
    streamBackoff_.Set();
    if (iso_)
        iso_->Wake();
    streamer_.Join();
    streaming_.store(false, std::memory_order_release);
}

void CorvikUSBDrv::StreamThreadProc(const std::atomic<bool>& stop)
{
    StreamPacket packets[2];
    auto running = [&] { return !stop.load(std::memory_order_acquire) && LinkUp(); };
    // A failure waits a little before the next round, so that a vanished device cannot spin.
    auto backOff = [&] { (void)streamBackoff_.Wait(kStreamBackoffMs); };
    if (dealer_.GapMode()) {
        for (int i = 0; i < kGapWarmUpRounds && running(); ++i)
            if (iso_->NextRound(packets, kStreamRoundMs) < 0)
                backOff();
    }
    while (running()) {
        const int n = iso_->NextRound(packets, kStreamRoundMs);
        if (!running())
            break;
        if (n < 0) {
            backOff();
            continue;
        }
        if (n == 0)
            continue;
        dealer_.BeginRound();
        for (int i = 0; i < n; ++i)
            dealer_.AddPacket(packets[i]);
        dealer_.DealRound();
        dataEvent_.Reset();
    }
}

}  // namespace devicelink
