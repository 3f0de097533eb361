// The library's palette page: every class in its place, each factory making a live
// component of its class, the property grid left off, and the shell controls working on
// a real folder.
#include "kvc/KvcRegister.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "TestSupport.h"
#include "kvc/KvAxisImage.h"
#include "kvc/KvBufferedImage.h"
#include "kvc/KvChart.h"
#include "kvc/KvColorButton.h"
#include "kvc/KvEdit.h"
#include "kvc/KvGaugeBar.h"
#include "kvc/KvGroupBox.h"
#include "kvc/KvImage.h"
#include "kvc/KvLineSelector.h"
#include "kvc/KvLinkLabel.h"
#include "kvc/KvMatrixImage.h"
#include "kvc/KvMultiLang.h"
#include "kvc/KvMultiSlider.h"
#include "kvc/KvOpenGL.h"
#include "kvc/KvPaletteBar.h"
#include "kvc/KvPointSelector.h"
#include "kvc/KvRectSelector.h"
#include "kvc/KvRotateLabel.h"
#include "kvc/KvSlider.h"
#include "kvc/KvTable.h"
#include "kvc/KvTrackBar.h"
#include "kvc/KvWinControlCapture.h"
#include "kvc/OpenGLPanel.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Palette.h"
#include "platform/ui/ShellCtrls.h"
#include "platform/ui/Timers.h"

using namespace KVC;

namespace {

template <class T>
bool Is(TComponent* Component)
{
    return dynamic_cast<T*>(Component) != nullptr;
}

// Pumps the loop until the condition holds; the limit only keeps a broken build from
// hanging the run.
bool PumpUntil(const std::function<bool()>& Done)
{
    for (int i = 0; i < 2000 && !Done(); ++i) {
        Application->ProcessMessages();
        Sleep(5);
    }
    return Done();
}

TEST(KvcPalette, ListsTheClassesInOrderAndEachFactoryMakesItsClass)
{
    struct Case {
        const char* Name;
        bool (*IsClass)(TComponent*);
    };
    const Case cases[] = {
        {"TKvEdit", Is<TKvEdit>},
        {"TKvRotateLabel", Is<TKvRotateLabel>},
        {"TKvImage", Is<TKvImage>},
        {"TKvBufferedImage", Is<TKvBufferedImage>},
        {"TKvAxisImage", Is<TKvAxisImage>},
        {"TKvMatrixImage", Is<TKvMatrixImage>},
        {"TKvChart", Is<TKvChart>},
        {"TKvWinControlCapture", Is<TKvWinControlCapture>},
        {"TKvPaletteBar", Is<TKvPaletteBar>},
        {"TKvColorButton", Is<TKvColorButton>},
        {"TShellTreeView", Is<TShellTreeView>},
        {"TShellComboBox", Is<TShellComboBox>},
        {"TShellListView", Is<TShellListView>},
        {"TShellChangeNotifier", Is<TShellChangeNotifier>},
        {"TOpenGLPanel", Is<TOpenGLPanel>},
        {"TKvOpenGL", Is<TKvOpenGL>},
        {"TKvTrackBar", Is<TKvTrackBar>},
        {"TKvSlider", Is<TKvSlider>},
        {"TKvMultiLang", Is<TKvMultiLang>},
        {"TKvGroupBox", Is<TKvGroupBox>},
        {"TKvFlatEdit", Is<TKvFlatEdit>},
        {"TKvLinkLabel", Is<TKvLinkLabel>},
        {"TKvGaugeBar", Is<TKvGaugeBar>},
        {"TKvRectSelector", Is<TKvRectSelector>},
        {"TKvLineSelector", Is<TKvLineSelector>},
        {"TKvPointSelector", Is<TKvPointSelector>},
        {"TKvTable", Is<TKvTable>},
        {"TKvMultiSlider", Is<TKvMultiSlider>},
    };
    Kvc::Register();
    Kvc::Register();  // a second registration replaces, it does not add
    const std::vector<TPaletteEntry>& palette = PaletteEntries();
    ASSERT_EQ(palette.size(), std::size(cases));
    TForm form(nullptr);
    for (size_t i = 0; i < palette.size(); ++i) {
        SCOPED_TRACE(cases[i].Name);
        EXPECT_EQ(palette[i].Page, "KVC");
        EXPECT_EQ(palette[i].Class.Name, cases[i].Name);
        TComponent* made = palette[i].Class.Create(&form);
        ASSERT_NE(made, nullptr);
        EXPECT_TRUE(cases[i].IsClass(made));
        EXPECT_EQ(made->GetOwner(), &form);
        // The library's own look-alike classes must not stand in for each other.
        if (palette[i].Class.Name == "TKvFlatEdit") {
            EXPECT_FALSE(Is<TKvEdit>(made));
        }
    }
    for (const TPaletteEntry& entry : palette) EXPECT_NE(entry.Class.Name, "TKvPropEditor");
}

TEST(ShellControls, ShowAndWatchARealFolder)
{
    TTempDir dir;
    std::filesystem::create_directory(dir.File("alpha"));
    std::filesystem::create_directory(dir.File("beta"));
    WriteFileText(dir.File("data.mps"), "x");
    const std::string root = dir.Path().substr(0, dir.Path().size() - 1);

    TForm form(nullptr);
    auto* combo = new TShellComboBox(&form);
    combo->SetRoot(root);
    EXPECT_EQ(combo->GetPath(), root);
    combo->SetPath(root + "/beta");
    EXPECT_EQ(combo->GetPath(), root + "/beta");

    auto* list = new TShellListView(&form);
    list->SetRoot(root);
    ASSERT_TRUE(PumpUntil([&] { return list->Count() == 3; })) << list->Count();
    std::vector<std::string> names;
    for (int i = 0; i < list->Count(); ++i) names.push_back(list->ItemName(i));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "beta", "data.mps"}));

    auto* notifier = new TShellChangeNotifier(&form);
    int changes = 0;
    notifier->OnChange = [&](TObject* Sender) {
        EXPECT_EQ(Sender, notifier);
        ++changes;
    };
    notifier->SetRoot(root);
    WriteFileText(dir.File("alpha/new.mps"), "y");
    EXPECT_TRUE(PumpUntil([&] { return changes > 0; }));
    // Without the subtree the root itself stays watched.
    notifier->SetWatchSubTree(false);
    Application->ProcessMessages();
    changes = 0;
    WriteFileText(dir.File("alpha/other.mps"), "z");
    WriteFileText(dir.File("top.mps"), "z");
    EXPECT_TRUE(PumpUntil([&] { return changes > 0; }));
}

}  // namespace
