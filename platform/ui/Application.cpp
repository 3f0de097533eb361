#include "platform/ui/Application.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <clocale>
#include <csignal>
#include <climits>
#include <stdexcept>
#include <thread>

#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Messages.h"
#include "platform/ui/MessagesInternal.h"
#include "platform/ui/ProgramStyle.h"

TApplication* Application = nullptr;

namespace {

// Every event handler of the program runs below notify: an exception that escapes one
// is shown to the operator here and the program goes on.
class TGuardedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* Receiver, QEvent* Event) override
    {
        try {
            return QApplication::notify(Receiver, Event);
        } catch (...) {
            if (::Application) ::Application->HandleException(std::current_exception());
            return false;
        }
    }
};

// Waits for its window's first paint, then runs its work from a posted event of high
// priority: the paint has reached the screen by then, and the work still goes ahead of
// every event queued before it.
class TFirstPaintWatch : public QObject {
public:
    TFirstPaintWatch(QWidget* Window, std::function<void()> Work) : Work(std::move(Work))
    {
        if (Window && Window->isVisible() && !Window->isMinimized()) {
            Window->installEventFilter(this);
            // A window placed wholly off the screens may never be asked to paint.
            Fallback.setSingleShot(true);
            Fallback.callOnTimeout(this, [this] { Post(); });
            Fallback.start(FallbackMs);
        } else {
            Post();
        }
    }
    bool eventFilter(QObject* Target, QEvent* Event) override
    {
        if (Event->type() == QEvent::Paint) {
            Target->removeEventFilter(this);
            Fallback.stop();
            Post();
        }
        return false;
    }
    bool event(QEvent* Event) override
    {
        if (Event->type() != RunEvent) return QObject::event(Event);
        // Taken out first: the work may run a nested loop, and must run once.
        std::function<void()> work = std::move(Work);
        Work = nullptr;
        if (work) work();
        return true;
    }

private:
    static constexpr QEvent::Type RunEvent = static_cast<QEvent::Type>(QEvent::User + 0x2f1);
    static constexpr int FallbackMs = 2000;
    void Post() { QCoreApplication::postEvent(this, new QEvent(RunEvent), Qt::HighEventPriority); }
    std::function<void()> Work;
    QTimer Fallback;
};

std::string DescribeException(const std::exception_ptr& Error)
{
    try {
        std::rethrow_exception(Error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return std::string();
    }
}

}  // namespace

struct TApplication::TImpl {
    std::unique_ptr<TGuardedApplication> Qt;
    std::unique_ptr<TMessageDispatcher> Dispatcher;
    std::string ExeName;
    std::atomic<bool> ShuttingDown{false};
    bool Terminated = false;
    int ExceptionDepth = 0;
    std::unique_ptr<TFirstPaintWatch> FirstPaintWatch;
};

TApplication::TApplication(int& argc, char** argv) : Impl(std::make_unique<TImpl>())
{
    if (Application) throw std::logic_error("only one application object may exist");
    Impl->Qt = std::make_unique<TGuardedApplication>(argc, argv);
    // Qt adopts the desktop's locale for the C library too; numbers in files, scripts
    // and packets must not follow it, so the C library keeps "." (the operator's own
    // separator is applied where numbers are shown and typed).
    std::setlocale(LC_NUMERIC, "C");
    // A write past the process's file-size limit would otherwise end the program on the
    // spot; ignored, it fails like a full disk, the writer keeps the previous file and
    // the operator is told.
    std::signal(SIGXFSZ, SIG_IGN);
    Impl->Qt->setQuitOnLastWindowClosed(true);
    QApplication::setStyle(NewProgramStyle());
    Impl->Dispatcher = std::make_unique<TMessageDispatcher>();
    TMessageDispatcher::Instance = Impl->Dispatcher.get();
    Impl->ExeName = QCoreApplication::applicationFilePath().toStdString();
    Application = this;
}

TApplication::~TApplication()
{
    BeginShutdown();
    TMessageDispatcher::Instance = nullptr;
    Impl->Dispatcher.reset();
    Application = nullptr;
    Impl->Qt.reset();
}

std::string TApplication::ExeName() const { return Impl->ExeName; }
void TApplication::SetExeName(const std::string& Path) { Impl->ExeName = Path; }

void TApplication::Run()
{
    bool anyWindow = false;
    for (QWidget* widget : QApplication::topLevelWidgets()) anyWindow = anyWindow || widget->isVisible();
    if (anyWindow && !Impl->Terminated) QApplication::exec();
    Impl->FirstPaintWatch.reset();
    // From here on the windows are torn down; a thread still asking the GUI thread
    // for an answer must not wait for a loop that no longer runs.
    BeginShutdown();
}

void TApplication::Terminate()
{
    Impl->Terminated = true;
    // Ending the loop outright: a quit request would first ask every window to close
    // and give up when one of them (the status window, say) refuses.
    QCoreApplication::exit(0);
}

bool TApplication::Terminated() const { return Impl->Terminated; }

void TApplication::ProcessMessages()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool TApplication::ProcessMessagesUntil(const std::function<bool()>& Done, unsigned TimeoutMs, bool UserInput)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents;
    if (!UserInput) flags |= QEventLoop::ExcludeUserInputEvents;
    while (!Done()) {
        if (clock.elapsed() >= static_cast<qint64>(TimeoutMs)) return false;
        QCoreApplication::processEvents(flags, 10);
    }
    return true;
}

void TApplication::AfterFirstPaint(TForm* Window, std::function<void()> Work)
{
    QWidget* widget = Window && Window->Widget() ? Window->Widget()->window() : nullptr;
    Impl->FirstPaintWatch = std::make_unique<TFirstPaintWatch>(widget, std::move(Work));
}

void TApplication::HandleException(const std::exception_ptr& Error)
{
    // An error box whose own handling fails must not recurse without end.
    if (Impl->ExceptionDepth > 2) return;
    ++Impl->ExceptionDepth;
    TDialogRequest request;
    request.Kind = TDialogKind::MessageBox;
    request.Text = DescribeException(Error);
    request.Caption = Title;
    request.Flags = MB_OK | MB_ICONERROR;
    try {
        ExecuteDialog(request);
    } catch (...) {
    }
    --Impl->ExceptionDepth;
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, unsigned Flags)
{
    TDialogRequest request;
    request.Kind = TDialogKind::MessageBox;
    request.Text = Text;
    request.Caption = Caption;
    request.Flags = Flags;
    return ExecuteDialog(request).Result;
}

bool TApplication::ShuttingDown() const { return Impl->ShuttingDown.load(); }

void TApplication::BeginShutdown()
{
    Impl->ShuttingDown = true;
    ReleasePendingSends();
}

void TApplication::CancelShutdown()
{
    Impl->ShuttingDown = false;
    Impl->Terminated = false;
}

void RunAside(const std::function<void()>& Work)
{
    if (!Application || !IsGuiThread()) {
        Work();
        return;
    }
    std::atomic<bool> Done{false};
    std::thread Worker([&] {
        Work();
        Done.store(true, std::memory_order_release);
    });
    Application->ProcessMessagesUntil([&] { return Done.load(std::memory_order_acquire); }, UINT_MAX, false);
    Worker.join();
}
