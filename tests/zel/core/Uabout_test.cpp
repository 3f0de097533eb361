// The about box: the running program's version read from its file, and its OK panel.
#include <fstream>

#include "DialogFixture.h"
#include "MainWindowFixture.h"
#include "zel/core/Uabout.h"

namespace {

using TAboutBox = TMainWindowFixture;

TEST_F(TAboutBox, ShowsTheVersionOfTheRunningProgramThroughTheAction)
{
    Start("");
    // The program file as the build marks it.
    const char marked[] =
        "\x7f"
        "ELF....\0ZEL-VERSION=2.0.14.3\0....";
    {
        std::ofstream file(Dir.File("zel"), std::ios::binary);
        file.write(marked, sizeof marked);
    }
    std::string version, product;
    {
        TModalActor<TFAbout> actor([&](TFAbout& Dialog) {
            version = Dialog.LBVersion->GetCaption();
            product = Dialog.lblProduct->GetCaption();
            Dialog.pnlOk->Click();
        });
        Main->AHelpAbout->Execute();
        ASSERT_TRUE(actor.Ran);
    }
    EXPECT_EQ(version, "2.0.14.3");
    EXPECT_EQ(product, "Zelmora 2.0");
    for (int i = 0; i < Screen->FormCount(); ++i) EXPECT_EQ(dynamic_cast<TFAbout*>(Screen->Forms(i)), nullptr);
}

TEST_F(TAboutBox, UnmarkedProgramShowsNoVersion)
{
    Start("");
    WriteFileText(Dir.File("zel"), "no mark here");
    auto* about = CreateForm<TFAbout>(nullptr);
    EXPECT_EQ(about->LBVersion->GetCaption(), "");
    EXPECT_EQ(about->lblVersionCaption->GetCaption(), "Version:");
    EXPECT_FALSE(about->mmoCredits->GetLines().Lines().empty());
    EXPECT_EQ(WindowFrame(about), "window, frameless, fixed");
}

}  // namespace
