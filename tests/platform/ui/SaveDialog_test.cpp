// The save dialog component: the chosen filter follows the chosen name's extension, a
// name without one gets the default extension, and the type-change event.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/ui/SaveDialog.h"

namespace {

TEST(SaveDialog, ChosenFilterFollowsTheExtension)
{
    TSaveDialog dialog;
    dialog.Filter = "Multi-purpose set (*.mps)|*.mps|Text file (*.txt)|*.txt|Bitmap file (*.bmp)|*.bmp";
    dialog.DefaultExt = "mps";
    dialog.FileName = "last";
    int changes = 0;
    dialog.OnTypeChange = [&](TObject*) { ++changes; };

    TDialogRecorder recorder;
    const struct {
        const char* chosen;
        const char* name;
        int filter;
        int changes;
    } cases[] = {
        {"/tmp/a.TXT", "/tmp/a.TXT", 2, 1}, {"/tmp/b.bmp", "/tmp/b.bmp", 3, 2},     {"/tmp/c", "/tmp/c.mps", 3, 2},
        {"/tmp/d.dat", "/tmp/d.dat", 3, 2}, {"/tmp/e.f/g", "/tmp/e.f/g.mps", 3, 2}, {"/tmp/h.mps", "/tmp/h.mps", 1, 3},
    };
    for (const auto& c : cases) {
        recorder.Answers.push_back({mrOk, c.chosen, 0});
        ASSERT_TRUE(dialog.Execute()) << c.chosen;
        EXPECT_EQ(dialog.FileName, c.name);
        EXPECT_EQ(dialog.FilterIndex, c.filter) << c.chosen;
        EXPECT_EQ(changes, c.changes) << c.chosen;
    }
    EXPECT_EQ(recorder.Requests[0].Kind, TDialogKind::SaveFile);
    EXPECT_EQ(recorder.Requests[0].Filter, dialog.Filter);
    EXPECT_EQ(recorder.Requests[0].FileName, "last");
    // The dialog proposes the last name.
    EXPECT_EQ(recorder.Requests[1].FileName, "/tmp/a.TXT");

    recorder.Answers.push_back({mrCancel, {}, 0});
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "/tmp/h.mps");
}

}  // namespace
