// The help viewer's page: the named help file when it exists, else the topic's HTML page
// beside it; nothing when neither is there, so that the viewer says so instead of
// opening a page that does not exist.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/ui/Dialogs.h"
#include "platform/base/FileDates.h"

namespace {

TEST(HelpPage, TheFileItselfOrTheTopicsPageBesideIt)
{
    TTempDir dir;
    ASSERT_TRUE(ForceDirectories(dir.Path() + "Help/sub"));
    WriteFileText(dir.File("Help/index.htm"), "<html></html>");
    WriteFileText(dir.File("Help/sub/page.htm"), "<html></html>");
    WriteFileText(dir.File("Help/manual.pdf"), "%PDF");
    const std::string help = dir.Path() + "Help/";
    const struct {
        std::string request, page;
    } cases[] = {
        {help + "help.chm::/index.htm", help + "index.htm"},
        {help + "help.chm::index.htm", help + "index.htm"},
        {help + "help.chm::/sub/page.htm", help + "sub/page.htm"},
        {help + "manual.pdf::/index.htm", help + "manual.pdf"},
        {help + "manual.pdf", help + "manual.pdf"},
        {help + "help.chm::/missing.htm", ""},
        {help + "help.chm::/", ""},
        {help + "help.chm", ""},
        {dir.Path() + "Other/help.chm::/index.htm", ""},
        {"", ""},
        {"::/index.htm", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(HelpPage(c.request), c.page) << c.request;
}

TEST(HtmlHelp, TheViewerIsAskedForThePageFound)
{
    TTempDir dir;
    WriteFileText(dir.File("index.htm"), "<html></html>");
    TDialogRecorder viewer;
    HtmlHelp(0, dir.File("help.chm") + "::/index.htm", HH_DISPLAY_TOPIC, 0);
    HtmlHelp(0, dir.File("help.chm") + "::/gone.htm", HH_DISPLAY_TOPIC, 0);
    HtmlHelp(0, std::string(), HH_CLOSE_ALL, 0);
    ASSERT_EQ(viewer.Requests.size(), 3u);
    for (const TDialogRequest& r : viewer.Requests) EXPECT_EQ(r.Kind, TDialogKind::Help);
    EXPECT_EQ(viewer.Requests[0].FileName, dir.File("index.htm"));
    EXPECT_EQ(viewer.Requests[0].Text, dir.File("help.chm") + "::/index.htm");
    // No page: the viewer gets none, and it is the viewer that tells the operator.
    EXPECT_EQ(viewer.Requests[1].FileName, "");
    EXPECT_EQ(viewer.Requests[2].Flags, HH_CLOSE_ALL);
}

}  // namespace
