// Test programs run on Qt's offscreen platform with the program's application object.
// A dialog nobody expected fails the test that raised it instead of blocking.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

// Defaults of the sanitizers for every test program; the environment may still
// override them. They live beside main() so that every test program links them.
extern "C" {

__attribute__((used)) const char* __asan_default_options()
{
    return "detect_leaks=1:detect_odr_violation=0:abort_on_error=0";
}

__attribute__((used)) const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

__attribute__((used)) const char* __tsan_default_options() { return "halt_on_error=1:second_deadlock_stack=1"; }

// The window system's libraries synchronise their own threads in ways the thread
// checker cannot see; what it reports inside them is not ours.
__attribute__((used)) const char* __tsan_default_suppressions()
{
    return "race:libQt6Core.so.6\nrace:libQt6Gui.so.6\nrace:libQt6Widgets.so.6\n";
}

// Allocations that the window system's libraries keep for the whole process.
__attribute__((used)) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libQt6Gui\nleak:libQt6Core\nleak:libQt6Widgets\nleak:libdbus\nleak:libglib\nleak:"
           "libOSMesa\n";
}
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // The software renderer draws on the calling thread in tests: the leak checker's scan
    // of the threads at exit crashes on its worker threads.
    setenv("LP_NUM_THREADS", "0", 0);
    // Listing the tests (as CTest does to register them) needs no display.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    TApplication application(argc, argv);
    Application->Title = "Zelmora Control";
    SetDialogInterceptor([](const TDialogRequest& request) {
        // Help requests open no box; they are answered without opening a viewer.
        if (request.Kind == TDialogKind::Help) return TDialogAnswer{mrOk, {}, 0};
        ADD_FAILURE() << "unexpected dialog: " << request.Caption << ": " << request.Text;
        return TDialogAnswer{IDCANCEL, {}, 0};
    });
    const int result = RUN_ALL_TESTS();
    // What the program does as it ends (the calibration's save at exit into a test's
    // folder that is already gone) belongs to no test.
    SetDialogInterceptor([](const TDialogRequest&) { return TDialogAnswer{IDCANCEL, {}, 0}; });
    return result;
}
