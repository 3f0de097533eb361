// Test programs run on Qt's offscreen platform with the program's application object.
// A dialog nobody expected fails the test that raised it instead of blocking.
#include <gtest/gtest.h>

#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
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
    return RUN_ALL_TESTS();
}
