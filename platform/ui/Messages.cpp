#include "platform/ui/Messages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <unordered_map>

#include "platform/ui/Application.h"
#include "platform/ui/MessagesInternal.h"

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
// Qt hands the event to the GUI thread under locks the thread checker cannot see;
// these mark that hand-over so it knows the event's contents are published.
#define HAND_OVER(event) __tsan_release(event)
#define TAKE_OVER(event) __tsan_acquire(event)
#else
#define HAND_OVER(event) ((void)(event))
#define TAKE_OVER(event) ((void)(event))
#endif

namespace {

std::mutex RegistryLock;
std::unordered_map<HWND, TMessageTarget*>& Registry()
{
    static std::unordered_map<HWND, TMessageTarget*> registry;
    return registry;
}
std::atomic<HWND> NextHandle{0x10000};

TMessageTarget* FindTarget(HWND Wnd)
{
    std::lock_guard<std::mutex> lock(RegistryLock);
    const auto it = Registry().find(Wnd);
    return it == Registry().end() ? nullptr : it->second;
}

const QEvent::Type PostedMessageType = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type SentMessageType = static_cast<QEvent::Type>(QEvent::registerEventType());

class TPostedMessageEvent : public QEvent {
public:
    TPostedMessageEvent(HWND Wnd, const TMessage& Message, QEvent::Type Type) : QEvent(Type), Wnd(Wnd), Message(Message)
    {
    }
    HWND Wnd;
    TMessage Message;
    std::shared_ptr<TSendState> Reply;  // set for a message sent from another thread
};

std::mutex PendingLock;
std::vector<std::shared_ptr<TSendState>>& PendingSends()
{
    static std::vector<std::shared_ptr<TSendState>> pending;
    return pending;
}

void Finish(const std::shared_ptr<TSendState>& State, LRESULT Result)
{
    {
        std::lock_guard<std::mutex> lock(State->Lock);
        if (State->Done) return;
        State->Result = Result;
        State->Done = true;
    }
    State->Wake.notify_all();
}

LRESULT Deliver(HWND Wnd, TMessage& Message)
{
    TMessageTarget* target = FindTarget(Wnd);
    if (!target) return 0;
    target->WndProc(Message);
    return Message.Result;
}

}  // namespace

bool TMessageDispatcher::event(QEvent* Event)
{
    TAKE_OVER(Event);
    if (Event->type() != PostedMessageType && Event->type() != SentMessageType) return QObject::event(Event);
    auto* message = static_cast<TPostedMessageEvent*>(Event);
    LRESULT result = 0;
    try {
        result = Deliver(message->Wnd, message->Message);
    } catch (...) {
        if (Application) Application->HandleException(std::current_exception());
    }
    if (message->Reply) Finish(message->Reply, result);
    return true;
}

TMessageDispatcher* TMessageDispatcher::Instance = nullptr;

void ReleasePendingSends()
{
    std::vector<std::shared_ptr<TSendState>> pending;
    {
        std::lock_guard<std::mutex> lock(PendingLock);
        pending.swap(PendingSends());
    }
    for (const auto& state : pending) Finish(state, 0);
}

TMessageTarget::TMessageTarget() : FHandle(NextHandle++)
{
    std::lock_guard<std::mutex> lock(RegistryLock);
    Registry()[FHandle] = this;
}

TMessageTarget::~TMessageTarget()
{
    std::lock_guard<std::mutex> lock(RegistryLock);
    Registry().erase(FHandle);
}

void TMessageTarget::WndProc(TMessage& Message) { DefaultHandler(Message); }

void TMessageTarget::DefaultHandler(TMessage& Message) { Message.Result = 0; }

bool IsWindow(HWND Wnd) { return Wnd != 0 && FindTarget(Wnd) != nullptr; }

bool IsGuiThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

bool PostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessageDispatcher* dispatcher = TMessageDispatcher::Instance;
    if (!dispatcher || !IsWindow(Wnd) || (Application && Application->ShuttingDown())) return false;
    auto* event = new TPostedMessageEvent(Wnd, TMessage{Msg, WParam, LParam, 0}, PostedMessageType);
    HAND_OVER(event);
    QCoreApplication::postEvent(dispatcher, event);
    return true;
}

LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    if (!IsWindow(Wnd)) return 0;
    TMessage message{Msg, WParam, LParam, 0};
    if (IsGuiThread()) return Deliver(Wnd, message);

    TMessageDispatcher* dispatcher = TMessageDispatcher::Instance;
    if (!dispatcher || !Application || Application->ShuttingDown()) return 0;
    auto state = std::make_shared<TSendState>();
    {
        std::lock_guard<std::mutex> lock(PendingLock);
        PendingSends().push_back(state);
    }
    // Checked again after registering, so a shut-down that began in between still
    // releases this caller.
    if (Application->ShuttingDown()) Finish(state, 0);
    auto* event = new TPostedMessageEvent(Wnd, message, SentMessageType);
    event->Reply = state;
    HAND_OVER(event);
    QCoreApplication::postEvent(dispatcher, event, Qt::HighEventPriority);

    LRESULT result = 0;
    {
        std::unique_lock<std::mutex> lock(state->Lock);
        state->Wake.wait(lock, [&] { return state->Done; });
        result = state->Result;
    }
    std::lock_guard<std::mutex> lock(PendingLock);
    auto& pending = PendingSends();
    for (auto it = pending.begin(); it != pending.end(); ++it)
        if (*it == state) {
            pending.erase(it);
            break;
        }
    return result;
}
