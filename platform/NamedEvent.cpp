#include "platform/NamedEvent.h"

#include "platform/Event.h"
#include "platform/Text.h"

#include <fcntl.h>

#include <cerrno>
#include <ctime>
#include <new>

namespace platform {

std::string NamedEvent::SystemName(std::string_view name)
{
    std::string result = "/";
    for (char c : name)
        result += (c == '/' || c == '\\') ? '_' : c;
    return result;
}

NamedEvent::NamedEvent(std::string_view name)
{
    sem_ = sem_open(SystemName(name).c_str(), O_CREAT, 0666, 0);
}

NamedEvent::~NamedEvent()
{
    if (sem_ != SEM_FAILED)
        sem_close(sem_);
}

bool NamedEvent::Signal()
{
    if (sem_ == SEM_FAILED)
        return false;
    int value = 0;
    if (sem_getvalue(sem_, &value) == 0 && value > 0)
        return true;  // already signalled: saturate at one
    return sem_post(sem_) == 0;
}

bool NamedEvent::Wait(uint32_t timeoutMs)
{
    if (sem_ == SEM_FAILED)
        return false;
    int rc;
    if (timeoutMs == kInfinite) {
        do {
            rc = sem_wait(sem_);
        } while (rc != 0 && errno == EINTR);
        return rc == 0;
    }
    // Measured on the monotonic clock, so that setting the wall clock neither cuts a wait short
    // nor stretches it.
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += timeoutMs / 1000;
    deadline.tv_nsec += long(timeoutMs % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    do {
        rc = sem_clockwait(sem_, CLOCK_MONOTONIC, &deadline);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

void NamedEvent::Unlink(std::string_view name)
{
    sem_unlink(SystemName(name).c_str());
}

int FireNamedEvent(const char16_t* name) noexcept
{
    if (!name)
        return 0;
    size_t length = 0;
    while (length <= kMaxEventNameUnits && name[length] != u'\0')
        ++length;
    return FireNamedEvent(std::u16string_view(name, length));
}

int FireNamedEvent(std::u16string_view name) noexcept
{
    if (name.empty() || name.size() > kMaxEventNameUnits)
        return 0;
    try {
        const std::string utf8 = Utf16ToUtf8(name);
        if (utf8.size() > kMaxEventSystemNameBytes)
            return 0;
        NamedEvent event(utf8);
        return event.IsOpen() && event.Signal() ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

}  // namespace platform
