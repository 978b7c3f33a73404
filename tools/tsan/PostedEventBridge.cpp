// Qt as the system ships it is not built for ThreadSanitizer: the lock under which a thread hands
// an event or a queued call to the receiver's thread is invisible to it. Every update a worker
// posts (built on the worker, read by the window on its own thread) would then be reported as a
// race although Qt orders the two. This library, linked into the ThreadSanitizer build only,
// tells the sanitizer what Qt guarantees and nothing more: what a thread did before posting to
// an object happens before that object handles its next event.
//
// The posting side is reached by linking with --wrap on the two ways our code posts
// (QCoreApplication::postEvent and QMetaObject::invokeMethod with a queued functor; see
// CMakeLists.txt), so every such post passes through here first; the receiving side is Qt's
// notification hook, which runs before any event filter or handler sees an event. The receiver's
// address is the token; the sanitizer forgets it when the object's memory is freed.
#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QObject>

extern "C" {
void __tsan_acquire(void* addr);
void __tsan_release(void* addr);
}

#define CORVIK_JOIN2(a, b) a##b
#define CORVIK_JOIN(a, b) CORVIK_JOIN2(a, b)
#define CORVIK_POST_EVENT _ZN16QCoreApplication9postEventEP7QObjectP6QEventi
#define CORVIK_INVOKE_METHOD _ZN11QMetaObject16invokeMethodImplEP7QObjectPN9QtPrivate15QSlotObjectBaseEN2Qt14ConnectionTypeEPv

#define CORVIK_EXPORT extern "C" __attribute__((visibility("default")))

extern "C" void CORVIK_JOIN(__real_, CORVIK_POST_EVENT)(QObject*, QEvent*, int);
extern "C" bool CORVIK_JOIN(__real_, CORVIK_INVOKE_METHOD)(QObject*, QtPrivate::QSlotObjectBase*,
                                                          Qt::ConnectionType, void*);

CORVIK_EXPORT void CORVIK_JOIN(__wrap_, CORVIK_POST_EVENT)(QObject* receiver, QEvent* event, int priority)
{
    if (receiver)
        __tsan_release(receiver);
    CORVIK_JOIN(__real_, CORVIK_POST_EVENT)(receiver, event, priority);
}

CORVIK_EXPORT bool CORVIK_JOIN(__wrap_, CORVIK_INVOKE_METHOD)(QObject* receiver, QtPrivate::QSlotObjectBase* call,
                                                             Qt::ConnectionType type, void* ret)
{
    if (receiver)
        __tsan_release(receiver);
    return CORVIK_JOIN(__real_, CORVIK_INVOKE_METHOD)(receiver, call, type, ret);
}

namespace {

bool AcquireBeforeDelivery(void** data)
{
    // data: receiver, event, result. False lets Qt deliver the event as usual.
    if (data && data[0])
        __tsan_acquire(data[0]);
    return false;
}

struct Registration {
    Registration() { QInternal::registerCallback(QInternal::EventNotifyCallback, AcquireBeforeDelivery); }
    ~Registration() { QInternal::unregisterCallback(QInternal::EventNotifyCallback, AcquireBeforeDelivery); }
};

const Registration registration;

}  // namespace
