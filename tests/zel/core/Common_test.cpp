#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/ui/Application.h"
#include "platform/base/FileDates.h"
#include "platform/ui/Forms.h"
#include "zel/core/Common.h"
#include "zel/core/Startup.h"
#include "zel/core/Toolwindow.h"

namespace {

// Runs InitCommon as if the program file lived in a temporary folder.
class CommonStartup : public ::testing::Test {
protected:
    void SetUp() override
    {
        FSavedExe = Application->ExeName();
        Application->SetExeName(Dir.File("zel"));
    }
    void TearDown() override
    {
        if (IniFile) DoneCommon();
        Application->SetExeName(FSavedExe);
    }
    TTempDir Dir;
    std::string FSavedExe;
};

}  // namespace

TEST_F(CommonStartup, DeviceTypeFollowsTheSettingsTextInAnyCase)
{
    const struct {
        const char* ini;
        TDeviceType type;
    } cases[] = {
        {"[Common]\nDeviceType=zel\n", dtTrough},       {"[Common]\nDeviceType=Zel\n", dtTrough},
        {"[common]\ndevicetype=LBL\n", dtLbl},          {"[Common]\nDeviceType=lbl\n", dtLbl},
        {"[Common]\nDeviceType=xyz\n", dtCombined},     {"[Common]\nDeviceType=\n", dtCombined},
        {"[Common]\nHelpFileName=a.chm\n", dtCombined}, {"", dtCombined},
    };
    for (const auto& c : cases) {
        WriteFileText(Dir.File("zel.ini"), c.ini);
        InitCommon();
        EXPECT_EQ(DeviceType, c.type) << c.ini;
        DoneCommon();
    }
    std::remove(Dir.File("zel.ini").c_str());
    InitCommon();
    EXPECT_EQ(DeviceType, dtCombined);
}

TEST_F(CommonStartup, FixesThePathsAndOpensTheSettingsFile)
{
    WriteFileText(Dir.File("zel.ini"), "[Common]\nHelpFileName=manual.chm\n");
    InitCommon();
    EXPECT_EQ(AppPath, Dir.Path());
    EXPECT_EQ(SettingsFileName, Dir.File("zel.ini"));
    ASSERT_NE(IniFile, nullptr);
    EXPECT_EQ(IniFile->FileName(), Dir.File("zel.ini"));
    EXPECT_EQ(HelpPath, Dir.Path() + "Help/manual.chm");
    DoneCommon();
    EXPECT_EQ(IniFile, nullptr);

    std::remove(Dir.File("zel.ini").c_str());
    InitCommon();
    EXPECT_EQ(HelpPath, Dir.Path() + "Help/help.chm");
}

TEST_F(CommonStartup, HelpOpensTheStartPageAndDoneClosesEveryViewer)
{
    // The help ships as HTML pages in the Help folder; the start page is the one shown.
    ASSERT_TRUE(ForceDirectories(Dir.Path() + "Help"));
    WriteFileText(Dir.File("Help/index.htm"), "<html></html>");
    InitCommon();
    TDialogRecorder viewer;
    ShowHelp();
    DoneCommon();
    ASSERT_EQ(viewer.Requests.size(), 2u);
    EXPECT_EQ(viewer.Requests[0].Kind, TDialogKind::Help);
    EXPECT_EQ(viewer.Requests[0].Text, Dir.Path() + "Help/help.chm::/index.htm");
    EXPECT_EQ(viewer.Requests[0].FileName, Dir.Path() + "Help/index.htm");
    EXPECT_EQ(viewer.Requests[0].Flags, HH_DISPLAY_TOPIC);
    EXPECT_EQ(viewer.Requests[1].Flags, HH_CLOSE_ALL);
}

TEST(GetResString, TranslatesThroughTheResourceSectionWhenItHasAValue)
{
    ResourceStrings->Clear();
    EXPECT_EQ(GetResString("Connected", "Connected"), "Connected");
    ResourceStrings->Add("connected=Verbunden");
    ResourceStrings->Add("Disconnected=");
    EXPECT_EQ(GetResString("Connected", "Connected"), "Verbunden");
    EXPECT_EQ(GetResString("Disconnected", "Disconnected"), "Disconnected");
    EXPECT_EQ(GetResString("Analysing", "Analysing"), "Analysing");
    ResourceStrings->Clear();
}

TEST(ReplaceFirst, ReplacesOnlyTheFirstOccurrence)
{
    const struct {
        const char *text, *find, *replacement, *result;
    } cases[] = {
        {"a-b-c", "-", "+", "a+b-c"}, {"abc", "x", "+", "abc"},
        {"abc", "", "+", "abc"},      {"Isotherm %d%s", "%d", "3", "Isotherm 3%s"},
        {"ABab", "ab", "", "AB"},
    };
    for (const auto& c : cases) EXPECT_EQ(ReplaceFirst(c.text, c.find, c.replacement), c.result) << c.text;
}

TEST(StartupWindows, LayerByLayerSetUpHidesTheFeedbackAndRegisterWindows)
{
    const TDeviceType saved = DeviceType;
    // The windows keep their places in a settings file of this test's own, whatever an
    // earlier test left the settings file name at.
    TTempDir dir;
    const std::string savedSettings = SettingsFileName;
    SettingsFileName = dir.File("zel.ini");
    const struct {
        TDeviceType Type;
        bool Visible;
    } cases[] = {{dtLbl, false}, {dtTrough, true}, {dtCombined, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Type));
        DeviceType = c.Type;
        auto* feedback = CreateForm<TToolWindow>(nullptr, TToolWindowKind::DepositionFB);
        auto* setup = CreateForm<TToolWindow>(nullptr, TToolWindowKind::ExpSetup);
        auto* isotherm = CreateForm<TToolWindow>(nullptr, TToolWindowKind::Isotherm);
        for (TToolWindow* window : {feedback, setup, isotherm}) window->Show();
        HideWindowsOfDeviceType();
        EXPECT_EQ(feedback->GetVisible(), c.Visible);
        EXPECT_EQ(setup->GetVisible(), c.Visible);
        EXPECT_TRUE(isotherm->GetVisible());
        DestroyForms();
    }
    // Without the two windows nothing is touched.
    DeviceType = dtLbl;
    HideWindowsOfDeviceType();
    DeviceType = saved;
    SettingsFileName = savedSettings;
}
