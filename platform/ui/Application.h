// The application object: the message loop, its title, exception reporting and
// shut-down. One instance per process, reached through the global Application.
#pragma once
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include "platform/base/Types.h"

class TForm;

class TApplication {
public:
    TApplication(int& argc, char** argv);
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    std::string Title;

    // Full path of the program file; tests may point it elsewhere.
    std::string ExeName() const;
    void SetExeName(const std::string& Path);

    // Runs the message loop until Terminate is called or the last window closes.
    void Run();
    void Terminate();
    bool Terminated() const;

    // Handles every pending event and message, then returns.
    void ProcessMessages();
    // Keeps handling events until Done returns true or TimeoutMs pass; true when done.
    // Without UserInput the operator's keys and clicks wait (they are not lost) until
    // the loop is left.
    bool ProcessMessagesUntil(const std::function<bool()>& Done, unsigned TimeoutMs, bool UserInput = true);

    // Runs Work once, as soon as Window has painted for the first time and before any
    // event that was already waiting, so that the operator sees the window while Work
    // runs. A window that cannot paint (hidden or minimised) has Work run as the loop
    // first turns, and one that is not asked to paint within two seconds then. Work that
    // has not run when Run returns is dropped. An exception from Work is shown like any
    // other.
    void AfterFirstPaint(TForm* Window, std::function<void()> Work);

    // Shows the exception in an error box; the program goes on.
    void HandleException(const std::exception_ptr& Error);

    // Message box with Win32 MB_* flags; returns the ID* of the button chosen.
    int MessageBox(const std::string& Text, const std::string& Caption, unsigned Flags);

    // Set once shut-down has begun: cross-thread sends then return 0 at once.
    bool ShuttingDown() const;
    void BeginShutdown();
    // Only for tests that exercise shut-down and then go on using the application.
    void CancelShutdown();

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};

extern TApplication* Application;

// Runs Work on a worker thread while the window thread keeps handling events, the
// operator's input held until Work is done; off the window thread, or before the
// application exists, Work simply runs.
void RunAside(const std::function<void()>& Work);
