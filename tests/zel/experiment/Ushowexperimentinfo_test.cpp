// The experiment description viewer on real widgets: a fixed dialog that shows the text
// line by line, read-only, and ends with its OK button.
#include <gtest/gtest.h>

#include <QTimer>
#include <cstdlib>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/ui/Application.h"
#include "zel/experiment/Ushowexperimentinfo.h"

namespace {

TEST(ExperimentInfoViewer, ShowsTheTextInAFixedDialogUntilOk)
{
    auto* viewer = CreateForm<TFShowExperimentInfo>(nullptr);
    viewer->SetInfoText("User: Zoe\nCompound: Behenic acid\n");
    EXPECT_EQ(viewer->GetCaption(), "Show experiment info");
    EXPECT_EQ(viewer->mmo->GetLines().Lines(), (std::vector<std::string>{"User: Zoe", "Compound: Behenic acid"}));
    EXPECT_TRUE(viewer->mmo->GetReadOnly());

    std::string frame;
    bool centred = false;
    QTimer::singleShot(0, [&] {
        frame = WindowFrame(viewer);
        const int middle = viewer->GetLeft() + viewer->GetWidth() / 2;
        centred = std::abs(middle - Screen->Width() / 2) <= 1;
        viewer->btnOk->Click();
    });
    EXPECT_EQ(viewer->ShowModal(), mrOk);
    EXPECT_EQ(frame, "dialog, titled, fixed");
    EXPECT_TRUE(centred);
    FreeForm(viewer);
}

}  // namespace
