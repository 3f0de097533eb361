#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "TestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Timers.h"

namespace {

constexpr UINT WM_TEST = WM_USER + 77;

// Answers every message with WParam + LParam and counts what it saw.
class TEchoWindow : public TMessageTarget {
public:
    std::atomic<int> Handled{0};
    std::thread::id HandledOn;
    void WndProc(TMessage& Message) override
    {
        if (Message.Msg != WM_TEST) return TMessageTarget::WndProc(Message);
        HandledOn = std::this_thread::get_id();
        ++Handled;
        Message.Result = static_cast<LRESULT>(Message.WParam) + Message.LParam;
    }
};

// Starts SendMessage on a worker thread and returns its future result.
std::future<LRESULT> SendFromWorker(HWND Wnd, WPARAM WParam, LPARAM LParam)
{
    return std::async(std::launch::async, [=] { return SendMessage(Wnd, WM_TEST, WParam, LParam); });
}

bool Ready(std::future<LRESULT>& Result)
{
    return Result.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready;
}

}  // namespace

TEST(WindowMessages, WorkerSendGetsTheGuiHandlersResultOnTheGuiThread)
{
    TEchoWindow window;
    // A pointer-wide address must survive the trip whole.
    const WPARAM address = static_cast<WPARAM>(0x7FFF'1234'5678'0000ULL);
    auto result = SendFromWorker(window.Handle(), address, 0x21);
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Ready(result); }, ConditionWaitMs));
    EXPECT_EQ(result.get(), static_cast<LRESULT>(address + 0x21));
    EXPECT_EQ(window.HandledOn, std::this_thread::get_id());
}

TEST(WindowMessages, WorkerSendIsServedWhileAMessageBoxIsOpen)
{
    TEchoWindow window;
    TDialogRecorder boxes;
    std::future<LRESULT> result;
    boxes.OnShow = [&](const TDialogRequest&) {
        result = SendFromWorker(window.Handle(), 40, 2);
        // The box's own loop is the only one turning now.
        EXPECT_TRUE(Application->ProcessMessagesUntil([&] { return Ready(result); }, ConditionWaitMs));
    };
    EXPECT_EQ(Application->MessageBox("Waiting", "Zelmora Control", MB_OK), IDOK);
    ASSERT_TRUE(Ready(result));
    EXPECT_EQ(result.get(), 42);
}

TEST(WindowMessages, WorkerSendIsNotServedDuringAPlainBlockingWait)
{
    TEchoWindow window;
    auto result = SendFromWorker(window.Handle(), 1, 1);
    // The GUI thread blocks without looking at its messages, as a query's wait does.
    Sleep(200);
    EXPECT_EQ(window.Handled.load(), 0);
    EXPECT_FALSE(Ready(result));
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Ready(result); }, ConditionWaitMs));
    EXPECT_EQ(result.get(), 2);
}

TEST(WindowMessages, WorkerSendReturnsZeroAtShutdownInsteadOfHanging)
{
    TEchoWindow window;
    auto waiting = SendFromWorker(window.Handle(), 5, 5);
    Sleep(50);  // let the worker start waiting
    Application->BeginShutdown();
    EXPECT_EQ(waiting.wait_for(std::chrono::milliseconds(ConditionWaitMs)), std::future_status::ready);
    EXPECT_EQ(waiting.get(), 0);
    auto late = SendFromWorker(window.Handle(), 5, 5);
    EXPECT_EQ(late.wait_for(std::chrono::milliseconds(ConditionWaitMs)), std::future_status::ready);
    EXPECT_EQ(late.get(), 0);
    EXPECT_FALSE(PostMessage(window.Handle(), WM_TEST, 0, 0));
    Application->CancelShutdown();
    // The released request may still be delivered; nobody waits for its answer any more.
    Application->ProcessMessages();
    auto after = SendFromWorker(window.Handle(), 2, 3);
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Ready(after); }, ConditionWaitMs));
    EXPECT_EQ(after.get(), 5);
}

TEST(WindowMessages, PostedMessagesArriveInOrderOnTheGuiThread)
{
    struct TRecorder : TMessageTarget {
        std::vector<WPARAM> Seen;
        void WndProc(TMessage& Message) override
        {
            if (Message.Msg == WM_TEST) Seen.push_back(Message.WParam);
        }
    } window;
    std::thread worker([&] {
        for (WPARAM i = 0; i < 100; ++i) EXPECT_TRUE(PostMessage(window.Handle(), WM_TEST, i, 0));
    });
    worker.join();
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return window.Seen.size() == 100; }, ConditionWaitMs));
    for (WPARAM i = 0; i < 100; ++i) EXPECT_EQ(window.Seen[i], i);
}

TEST(WindowMessages, AHandleIsRefusedAfterItsWindowIsGone)
{
    HWND handle = 0;
    {
        TEchoWindow window;
        handle = window.Handle();
        EXPECT_TRUE(IsWindow(handle));
        EXPECT_TRUE(PostMessage(handle, WM_TEST, 1, 1));  // still queued when the window goes
    }
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(PostMessage(handle, WM_TEST, 1, 1));
    EXPECT_EQ(SendMessage(handle, WM_TEST, 1, 1), 0);
    Application->ProcessMessages();  // the queued message finds no window and is dropped
    TEchoWindow next;
    EXPECT_NE(next.Handle(), handle);
}

TEST(WindowMessages, AnExceptionInAHandlerShowsAnErrorBoxAndTheLoopGoesOn)
{
    struct TFaulty : TMessageTarget {
        int Calls = 0;
        void WndProc(TMessage& Message) override
        {
            if (Message.Msg != WM_TEST) return;
            if (++Calls == 1) throw std::runtime_error("Division by zero");
        }
    } window;
    TDialogRecorder boxes;
    PostMessage(window.Handle(), WM_TEST, 0, 0);
    PostMessage(window.Handle(), WM_TEST, 0, 0);
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return window.Calls == 2; }, ConditionWaitMs));
    ASSERT_EQ(boxes.Requests.size(), 1u);
    EXPECT_EQ(boxes.Requests[0].Text, "Division by zero");
    EXPECT_EQ(boxes.Requests[0].Caption, "Zelmora Control");
    EXPECT_EQ(boxes.Requests[0].Flags, MB_OK | MB_ICONERROR);
}

TEST(Timers, AnExceptionInATimerShowsAnErrorBoxAndTheTimerGoesOn)
{
    TDialogRecorder boxes;
    TTimer timer;
    int ticks = 0;
    timer.SetInterval(10);
    timer.OnTimer = [&](TObject* sender) {
        EXPECT_EQ(sender, &timer);
        if (++ticks == 1) throw std::runtime_error("timer failed");
    };
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return ticks >= 3; }, ConditionWaitMs));
    ASSERT_EQ(boxes.Requests.size(), 1u);
    EXPECT_EQ(boxes.Requests[0].Text, "timer failed");
    timer.SetEnabled(false);
    const int stopped = ticks;
    Application->ProcessMessagesUntil([] { return false; }, 60);
    EXPECT_EQ(ticks, stopped);
}

TEST(Timers, TickCounterIsInjectableAndWrapsAsUnsigned32Bit)
{
    DWORD now = 0xFFFFFFF0u;
    SetTickCountSource([&] { return now; });
    const DWORD start = GetTickCount();
    now += 0x20;  // wraps past zero
    EXPECT_EQ(GetTickCount(), 0x10u);
    EXPECT_EQ(static_cast<DWORD>(GetTickCount() - start), 0x20u);
    SetTickCountSource({});
    const DWORD a = GetTickCount();
    Sleep(20);
    EXPECT_GE(static_cast<DWORD>(GetTickCount() - a), 15u);
}
