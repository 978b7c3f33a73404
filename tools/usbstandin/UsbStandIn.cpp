// A stand-in for the USB library, preloaded (LD_PRELOAD) into a program or a test so that the
// device link's USB code runs on a machine without a USB bus. It presents one logger 1483:7799
// and defines only the libusb-1.0 calls the USB transport makes:
//   - bulk OUT 0x03 goes to the simulated logger's TCP socket as it is;
//   - what the simulator sends back is split: its streamed-packet frames (0x10000017) become
//     432-byte isochronous packets on IN 0x82 (sequence number, time base in milliseconds, 8 bytes
//     not read, 200 samples, 16 bytes not read), every other byte is read from bulk IN 0x81;
//   - the simulator closing the connection is the cable pulled (LIBUSB_ERROR_NO_DEVICE), and a
//     simulator that turns the connection away at once (it serves one host) is an interface held by
//     another program (LIBUSB_ERROR_BUSY).
// The peer is CORVIK_USB_STANDIN_PEER (host:port), else CORVIK_DEVICE_HOST and CORVIK_DEVICE_PORT,
// else 127.0.0.1:4000. Faults at the library's boundary are words, in CORVIK_USB_STANDIN_FAULTS
// (read by every libusb_init) or handed to corvik_usb_standin_fault() at run time; see FaultHelp.
#include <libusb.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <new>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

struct libusb_context {
    int unused = 0;
};
struct libusb_device {
    int unused = 0;
};
struct libusb_device_handle {
    int fd = -1;
    bool claimed = false;
    std::thread reader;
};

namespace {

constexpr uint16_t kVendor = 0x1483;
constexpr uint16_t kProduct = 0x7799;
constexpr unsigned char kBulkOut = 0x03;
constexpr unsigned char kBulkIn = 0x81;
constexpr unsigned char kIsoIn = 0x82;
constexpr size_t kIsoBytes = 432;
constexpr uint32_t kHead = 0x55AAF1A5u;
constexpr uint32_t kTail = 0xAA55F055u;
constexpr uint32_t kStreamCode = 0x10000017u;
constexpr size_t kStreamPayloadBytes = 404;  // time base + 200 samples packed two a word
constexpr size_t kStreamFrameBytes = kStreamPayloadBytes + 20;
constexpr size_t kIsoQueuePackets = 4096;
// How long a claim listens for the peer turning the connection away.
constexpr int kTurnAwayWaitMs = 150;

const char* FaultHelp()
{
    return "busy | access | absent | unplug | stall-in | stall-out | split N | timeouts N | "
           "iso-error N | iso-lost N | iso-repeat N | clear";
}

// Everything the stand-in knows, under one lock: it serves one logger.
struct State {
    std::mutex mutex;
    std::condition_variable changed;

    // Standing conditions.
    bool busy = false;
    bool access = false;
    bool absent = false;
    bool stallIn = false;
    bool stallOut = false;
    size_t split = 0;  // 0: bulk reads take what is there
    // Counted faults: the next N of their kind.
    int timeouts = 0;
    int isoErrors = 0;
    int isoLost = 0;
    int isoRepeats = 0;

    // The link to the peer.
    int fd = -1;
    bool gone = false;
    std::deque<uint8_t> bulk;
    std::deque<std::vector<uint8_t>> iso;
    uint32_t sequence = 0;
    std::vector<uint8_t> lastPacket;
    std::vector<libusb_transfer*> submitted;
    std::vector<libusb_transfer*> cancelled;
    std::map<std::string, long> counts;
};

State& S()
{
    static State* s = new State();  // never destroyed: callbacks may run during exit
    return *s;
}

long ParseCount(std::istringstream& in)
{
    long n = 1;
    if (!(in >> n) || n < 0)
        n = 1;
    return n;
}

// Applies fault words; false when a word is unknown (the rest still apply).
bool ApplyFaults(const std::string& text)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    std::istringstream in(text);
    std::string w;
    bool ok = true;
    while (in >> w) {
        if (w == "busy")
            s.busy = true;
        else if (w == "access")
            s.access = true;
        else if (w == "absent")
            s.absent = true;
        else if (w == "unplug") {
            // The simulator sees its host go, as a logger sees its cable pulled.
            s.gone = true;
            if (s.fd >= 0)
                ::shutdown(s.fd, SHUT_RDWR);
        }
        else if (w == "stall-in")
            s.stallIn = true;
        else if (w == "stall-out")
            s.stallOut = true;
        else if (w == "split")
            s.split = size_t(ParseCount(in));
        else if (w == "timeouts")
            s.timeouts = int(ParseCount(in));
        else if (w == "iso-error")
            s.isoErrors = int(ParseCount(in));
        else if (w == "iso-lost")
            s.isoLost = int(ParseCount(in));
        else if (w == "iso-repeat")
            s.isoRepeats = int(ParseCount(in));
        else if (w == "clear") {
            s.busy = s.access = s.absent = s.stallIn = s.stallOut = false;
            s.split = 0;
            s.timeouts = s.isoErrors = s.isoLost = s.isoRepeats = 0;
        } else
            ok = false;
    }
    s.changed.notify_all();
    return ok;
}

uint32_t Word(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutWord(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// The isochronous packet the logger sends for one streamed-packet frame's payload.
void QueueIsoPacket(State& s, const uint8_t* payload)
{
    std::vector<uint8_t> packet(kIsoBytes, 0);
    PutWord(packet.data(), ++s.sequence);
    std::memcpy(packet.data() + 4, payload, 4);
    std::memcpy(packet.data() + 16, payload + 4, 400);
    if (s.isoLost > 0) {
        --s.isoLost;
        ++s.counts["iso-lost"];
        return;
    }
    if (s.iso.size() >= kIsoQueuePackets)
        s.iso.pop_front();
    s.iso.push_back(packet);
    if (s.isoRepeats > 0) {
        --s.isoRepeats;
        ++s.counts["iso-repeated"];
        s.iso.push_back(packet);
    }
}

// Splits what the peer sent: streamed-packet frames to the isochronous queue, every other byte
// to bulk IN in order. Bytes that may still become a streamed-packet frame wait in `held`.
void Sort(State& s, std::vector<uint8_t>& held)
{
    size_t at = 0;
    while (at < held.size()) {
        size_t head = at;
        while (head + 4 <= held.size() && Word(&held[head]) != kHead)
            ++head;
        if (head + 4 > held.size()) {
            // No head: everything is bulk but a last few bytes that may begin one.
            const uint8_t headBytes[4] = {uint8_t(kHead), uint8_t(kHead >> 8), uint8_t(kHead >> 16), uint8_t(kHead >> 24)};
            size_t keep = std::min<size_t>(3, held.size() - at);
            while (keep > 0 && std::memcmp(&held[held.size() - keep], headBytes, keep) != 0)
                --keep;
            s.bulk.insert(s.bulk.end(), held.begin() + long(at), held.end() - long(keep));
            at = held.size() - keep;
            break;
        }
        s.bulk.insert(s.bulk.end(), held.begin() + long(at), held.begin() + long(head));
        at = head;
        if (held.size() - head < 12)
            break;
        const bool streamed = Word(&held[head + 4]) == kStreamCode && Word(&held[head + 8]) == kStreamPayloadBytes;
        if (!streamed) {
            s.bulk.insert(s.bulk.end(), held.begin() + long(head), held.begin() + long(head + 4));
            at = head + 4;
            continue;
        }
        if (held.size() - head < kStreamFrameBytes)
            break;
        if (Word(&held[head + kStreamFrameBytes - 4]) == kTail) {
            QueueIsoPacket(s, &held[head + 12]);
            at = head + kStreamFrameBytes;
        } else {
            s.bulk.insert(s.bulk.end(), held.begin() + long(head), held.begin() + long(head + 4));
            at = head + 4;
        }
    }
    held.erase(held.begin(), held.begin() + long(at));
}

void ReadPeer(libusb_device_handle* h)
{
    State& s = S();
    std::vector<uint8_t> held;
    uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(h->fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        std::lock_guard lock(s.mutex);
        if (n <= 0) {
            s.gone = true;
            s.changed.notify_all();
            return;
        }
        held.insert(held.end(), buffer, buffer + n);
        Sort(s, held);
        s.changed.notify_all();
    }
}

bool PeerAddress(std::string& host, std::string& port)
{
    host = "127.0.0.1";
    port = "4000";
    if (const char* p = std::getenv("CORVIK_USB_STANDIN_PEER"); p && *p) {
        const std::string peer = p;
        const size_t colon = peer.rfind(':');
        if (colon == std::string::npos)
            return false;
        host = peer.substr(0, colon);
        port = peer.substr(colon + 1);
        return true;
    }
    if (const char* h = std::getenv("CORVIK_DEVICE_HOST"); h && *h)
        host = h;
    if (const char* p = std::getenv("CORVIK_DEVICE_PORT"); p && *p)
        port = p;
    return true;
}

int ConnectPeer()
{
    std::string host, port;
    if (!PeerAddress(host, port))
        return -1;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0 || !found)
        return -1;
    int fd = -1;
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd >= 0 && ::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(found);
    if (fd >= 0) {
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    return fd;
}

// True when the peer closed the connection at once, without a byte: another host has it.
bool TurnedAway(int fd)
{
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, kTurnAwayWaitMs) <= 0)
        return false;
    char c;
    const ssize_t n = ::recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno == ECONNRESET);
}

libusb_device g_logger;

void Complete(libusb_transfer* t, libusb_transfer_status status)
{
    t->status = status;
    if (t->callback)
        t->callback(t);
}

}  // namespace

extern "C" {

// Applies fault words at run time (tests find it with dlsym); 1 when every word was known.
int corvik_usb_standin_fault(const char* words)
{
    return words && ApplyFaults(words) ? 1 : 0;
}

// How often something happened since the library was loaded: "halts-cleared", "iso-packets",
// "iso-errors", "iso-lost", "iso-repeated", "bulk-timeouts", "claims", "turned-away".
long corvik_usb_standin_count(const char* what)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    const auto it = s.counts.find(what ? what : "");
    return it == s.counts.end() ? 0 : it->second;
}

const char* corvik_usb_standin_fault_help(void)
{
    return FaultHelp();
}

int libusb_init(libusb_context** ctx)
{
    if (const char* f = std::getenv("CORVIK_USB_STANDIN_FAULTS"); f && *f)
        (void)ApplyFaults(f);
    if (ctx)
        *ctx = new (std::nothrow) libusb_context();
    return ctx && !*ctx ? LIBUSB_ERROR_NO_MEM : 0;
}

void libusb_exit(libusb_context* ctx)
{
    delete ctx;
}

const char* libusb_strerror(int code)
{
    switch (code) {
    case LIBUSB_SUCCESS: return "Success";
    case LIBUSB_ERROR_IO: return "Input/Output Error";
    case LIBUSB_ERROR_INVALID_PARAM: return "Invalid parameter";
    case LIBUSB_ERROR_ACCESS: return "Access denied (insufficient permissions)";
    case LIBUSB_ERROR_NO_DEVICE: return "No such device (it may have been disconnected)";
    case LIBUSB_ERROR_NOT_FOUND: return "Entity not found";
    case LIBUSB_ERROR_BUSY: return "Resource busy";
    case LIBUSB_ERROR_TIMEOUT: return "Operation timed out";
    case LIBUSB_ERROR_PIPE: return "Pipe error";
    case LIBUSB_ERROR_NO_MEM: return "Insufficient memory";
    default: return "Other error";
    }
}

ssize_t libusb_get_device_list(libusb_context*, libusb_device*** list)
{
    bool absent;
    {
        State& s = S();
        std::lock_guard lock(s.mutex);
        absent = s.absent;
    }
    auto* devices = new (std::nothrow) libusb_device*[2];
    if (!devices)
        return LIBUSB_ERROR_NO_MEM;
    devices[0] = absent ? nullptr : &g_logger;
    devices[1] = nullptr;
    *list = devices;
    return absent ? 0 : 1;
}

void libusb_free_device_list(libusb_device** list, int)
{
    delete[] list;
}

int libusb_get_device_descriptor(libusb_device* dev, libusb_device_descriptor* d)
{
    if (dev != &g_logger || !d)
        return LIBUSB_ERROR_INVALID_PARAM;
    *d = {};
    d->bLength = LIBUSB_DT_DEVICE_SIZE;
    d->bDescriptorType = LIBUSB_DT_DEVICE;
    d->bcdUSB = 0x0200;
    d->bMaxPacketSize0 = 64;
    d->idVendor = kVendor;
    d->idProduct = kProduct;
    d->bNumConfigurations = 1;
    return 0;
}

int libusb_open(libusb_device* dev, libusb_device_handle** handle)
{
    if (dev != &g_logger || !handle)
        return LIBUSB_ERROR_INVALID_PARAM;
    {
        State& s = S();
        std::lock_guard lock(s.mutex);
        if (s.access)
            return LIBUSB_ERROR_ACCESS;
    }
    const int fd = ConnectPeer();
    if (fd < 0)
        return LIBUSB_ERROR_NO_DEVICE;  // unplugged between the listing and the open
    auto* h = new (std::nothrow) libusb_device_handle();
    if (!h) {
        ::close(fd);
        return LIBUSB_ERROR_NO_MEM;
    }
    h->fd = fd;
    *handle = h;
    return 0;
}

int libusb_set_auto_detach_kernel_driver(libusb_device_handle*, int)
{
    return 0;
}

int libusb_claim_interface(libusb_device_handle* h, int interface)
{
    if (!h || interface != 0)
        return LIBUSB_ERROR_NOT_FOUND;
    State& s = S();
    {
        std::lock_guard lock(s.mutex);
        if (s.busy)
            return LIBUSB_ERROR_BUSY;
    }
    if (TurnedAway(h->fd)) {
        std::lock_guard lock(s.mutex);
        ++s.counts["turned-away"];
        return LIBUSB_ERROR_BUSY;
    }
    std::lock_guard lock(s.mutex);
    s.gone = false;
    s.fd = h->fd;
    s.bulk.clear();
    s.iso.clear();
    ++s.counts["claims"];
    h->claimed = true;
    h->reader = std::thread(ReadPeer, h);
    return 0;
}

int libusb_release_interface(libusb_device_handle* h, int)
{
    return h && h->claimed ? 0 : LIBUSB_ERROR_NOT_FOUND;
}

void libusb_close(libusb_device_handle* h)
{
    if (!h)
        return;
    ::shutdown(h->fd, SHUT_RDWR);
    if (h->reader.joinable())
        h->reader.join();
    {
        State& s = S();
        std::lock_guard lock(s.mutex);
        if (s.fd == h->fd)
            s.fd = -1;
    }
    ::close(h->fd);
    delete h;
}

int libusb_clear_halt(libusb_device_handle*, unsigned char endpoint)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (s.gone)
        return LIBUSB_ERROR_NO_DEVICE;
    if (endpoint == kBulkIn)
        s.stallIn = false;
    else if (endpoint == kBulkOut)
        s.stallOut = false;
    ++s.counts["halts-cleared"];
    return 0;
}

int libusb_bulk_transfer(libusb_device_handle* h, unsigned char endpoint, unsigned char* data, int length,
                         int* transferred, unsigned int timeout)
{
    if (transferred)
        *transferred = 0;
    if (!h || !h->claimed || length < 0)
        return LIBUSB_ERROR_INVALID_PARAM;
    State& s = S();
    std::unique_lock lock(s.mutex);
    if (s.gone)
        return LIBUSB_ERROR_NO_DEVICE;
    if (endpoint == kBulkOut) {
        if (s.stallOut)
            return LIBUSB_ERROR_PIPE;
        lock.unlock();
        size_t sent = 0;
        while (sent < size_t(length)) {
            const ssize_t n = ::send(h->fd, data + sent, size_t(length) - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                lock.lock();
                s.gone = true;
                s.changed.notify_all();
                return LIBUSB_ERROR_NO_DEVICE;
            }
            sent += size_t(n);
        }
        if (transferred)
            *transferred = int(sent);
        return 0;
    }
    if (endpoint != kBulkIn)
        return LIBUSB_ERROR_INVALID_PARAM;
    if (s.stallIn)
        return LIBUSB_ERROR_PIPE;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout ? timeout : 60000);
    if (s.timeouts > 0) {
        --s.timeouts;
        ++s.counts["bulk-timeouts"];
        s.changed.wait_until(lock, deadline, [&] { return s.gone; });
        return s.gone ? LIBUSB_ERROR_NO_DEVICE : LIBUSB_ERROR_TIMEOUT;
    }
    s.changed.wait_until(lock, deadline, [&] { return s.gone || !s.bulk.empty() || s.stallIn; });
    if (s.bulk.empty())
        return s.gone ? LIBUSB_ERROR_NO_DEVICE : s.stallIn ? LIBUSB_ERROR_PIPE : LIBUSB_ERROR_TIMEOUT;
    size_t n = std::min(size_t(length), s.bulk.size());
    if (s.split > 0)
        n = std::min(n, s.split);
    std::copy_n(s.bulk.begin(), n, data);
    s.bulk.erase(s.bulk.begin(), s.bulk.begin() + long(n));
    if (transferred)
        *transferred = int(n);
    return 0;
}

libusb_transfer* libusb_alloc_transfer(int isoPackets)
{
    const size_t bytes = sizeof(libusb_transfer) + size_t(std::max(isoPackets, 0)) * sizeof(libusb_iso_packet_descriptor);
    void* memory = std::calloc(1, bytes);
    return static_cast<libusb_transfer*>(memory);
}

void libusb_free_transfer(libusb_transfer* t)
{
    std::free(t);
}

int libusb_submit_transfer(libusb_transfer* t)
{
    if (!t || t->type != LIBUSB_TRANSFER_TYPE_ISOCHRONOUS || t->endpoint != kIsoIn || t->num_iso_packets < 1)
        return LIBUSB_ERROR_NOT_SUPPORTED;
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (s.gone)
        return LIBUSB_ERROR_NO_DEVICE;
    if (std::find(s.submitted.begin(), s.submitted.end(), t) != s.submitted.end())
        return LIBUSB_ERROR_BUSY;
    s.submitted.push_back(t);
    return 0;
}

int libusb_cancel_transfer(libusb_transfer* t)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    const auto it = std::find(s.submitted.begin(), s.submitted.end(), t);
    if (it == s.submitted.end())
        return LIBUSB_ERROR_NOT_FOUND;
    s.submitted.erase(it);
    s.cancelled.push_back(t);
    s.changed.notify_all();
    return 0;
}

int libusb_handle_events_timeout_completed(libusb_context*, timeval* tv, int* completed)
{
    State& s = S();
    std::vector<std::pair<libusb_transfer*, libusb_transfer_status>> done;
    {
        std::unique_lock lock(s.mutex);
        const auto wait = tv ? std::chrono::microseconds(int64_t(tv->tv_sec) * 1000000 + tv->tv_usec)
                             : std::chrono::microseconds(60000000);
        s.changed.wait_for(lock, wait, [&] {
            return (completed && *completed) || !s.cancelled.empty() ||
                   (!s.submitted.empty() && (s.gone || !s.iso.empty()));
        });
        for (libusb_transfer* t : s.cancelled)
            done.emplace_back(t, LIBUSB_TRANSFER_CANCELLED);
        s.cancelled.clear();
        while (!s.submitted.empty() && (s.gone || !s.iso.empty())) {
            libusb_transfer* t = s.submitted.front();
            s.submitted.erase(s.submitted.begin());
            libusb_iso_packet_descriptor& d = t->iso_packet_desc[0];
            if (s.gone) {
                d.actual_length = 0;
                d.status = LIBUSB_TRANSFER_NO_DEVICE;
                done.emplace_back(t, LIBUSB_TRANSFER_NO_DEVICE);
                continue;
            }
            const std::vector<uint8_t> packet = std::move(s.iso.front());
            s.iso.pop_front();
            if (s.isoErrors > 0) {
                --s.isoErrors;
                ++s.counts["iso-errors"];
                d.actual_length = 0;
                d.status = LIBUSB_TRANSFER_ERROR;
            } else {
                const size_t n = std::min<size_t>(packet.size(), std::min<size_t>(d.length, size_t(t->length)));
                std::memcpy(t->buffer, packet.data(), n);
                d.actual_length = unsigned(n);
                d.status = LIBUSB_TRANSFER_COMPLETED;
                ++s.counts["iso-packets"];
            }
            t->actual_length = int(d.actual_length);
            done.emplace_back(t, LIBUSB_TRANSFER_COMPLETED);
        }
    }
    // Callbacks run on the thread that handles events, as in the library, without the lock.
    for (auto& [t, status] : done)
        Complete(t, status);
    return 0;
}

}  // extern "C"
