#include "logger/EventExports.h"

#include "platform/NamedEvent.h"

extern "C" int FireEvent(const char16_t* name)
{
    return platform::FireNamedEvent(name);
}

extern "C" int FireEvent2(const char16_t* name)
{
    return platform::FireNamedEvent(name);
}
