// The progress window as the script window drives it: hidden at start, a bar from 0 to
// 100 stepped by one per prognosis step.
#include "MainWindowFixture.h"
#include "zel/core/Uprogress.h"

namespace {

using TProgressWindow = TMainWindowFixture;

TEST_F(TProgressWindow, StartsHiddenWithABarFromZeroToAHundred)
{
    Start("");
    auto* progress = CreateForm<TFProgress>(nullptr);
    EXPECT_EQ(FProgress, progress);
    EXPECT_FALSE(progress->GetVisible());
    EXPECT_EQ(progress->GetFormStyle(), fsStayOnTop);
    EXPECT_EQ(progress->ProgressBar->GetMin(), 0);
    EXPECT_EQ(progress->ProgressBar->GetMax(), 100);
    EXPECT_EQ(progress->lblProgress->GetAlignment(), taCenter);

    progress->ProgressBar->SetPosition(0);
    progress->lblProgress->SetCaption("Analysing...");
    progress->Show();
    for (int i = 0; i < 3; ++i) progress->ProgressBar->StepBy(1);
    EXPECT_EQ(progress->ProgressBar->GetPosition(), 3);
    progress->Hide();
    FreeForm(progress);
    EXPECT_EQ(FProgress, nullptr);
}

}  // namespace
