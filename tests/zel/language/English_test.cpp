// The English language file as the build installs it in the program folder, read by the
// program's own windows: every item a window asks for is there, and the texts it gives
// are the windows' own.
#include <QTimer>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "zel/core/MainWindowFixture.h"
#include "kvc/KvChart.h"
#include "kvc/KvChartAxis.h"
#include "kvc/KvChartClasses.h"
#include "platform/base/IniFiles.h"
#include "platform/base/Strings.h"
#include "platform/ui/Grids.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/Menus.h"
#include "platform/ui/TabControl.h"
#include "zel/core/Startup.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Udeviceinfo.h"
#include "zel/core/Usettings.h"
#include "zel/experiment/Ugraph.h"
#include "zel/experiment/Ugraphprop.h"
#include "zel/manual/Umanualcontrol.h"
#include "zel/trough/Ulbl.h"
#include "zel/trough/Uscriptctrl.h"

namespace {

using TEnglishFile = TMainWindowFixture;

std::string InstalledFile() { return ProgramDir() + "Language/english.lng"; }

// Every text the operator reads on a form, by where it stands: captions, hints, list
// items, tab captions and grid headers of its controls, and the texts a window keeps for
// later (the manual window's two dipper button texts, the script window's axis titles).
void CollectTexts(const std::string& Where, TComponent* Component, std::map<std::string, std::string>& Texts)
{
    const std::string& where = Where;
    if (auto* control = dynamic_cast<TControl*>(Component)) {
        Texts[where + " caption"] = control->GetCaption();
        Texts[where + " hint"] = control->GetHint();
    }
    if (auto* combo = dynamic_cast<TComboBox*>(Component))
        for (int i = 0; i < combo->Items().Count(); ++i)
            Texts[where + " item " + std::to_string(i)] = combo->Items()[i];
    if (auto* tabs = dynamic_cast<TTabControl*>(Component))
        for (int i = 0; i < tabs->TabCount(); ++i) Texts[where + " tab " + std::to_string(i)] = tabs->TabCaption(i);
    if (auto* grid = dynamic_cast<TStringGrid*>(Component))
        for (int col = 0; col < grid->GetColCount(); ++col)
            Texts[where + " header " + std::to_string(col)] = grid->GetCells(col, 0);
    if (auto* manual = dynamic_cast<TFManualCtrl*>(Component)) {
        Texts[where + " up"] = manual->UpCaption;
        Texts[where + " down"] = manual->DownCaption;
    }
    if (auto* script = dynamic_cast<TFScriptCtrl*>(Component)) {
        Texts[where + " left axis"] = script->CHTimeGraph->LeftAxis()->Title()->GetText();
        Texts[where + " bottom axis"] = script->CHTimeGraph->BottomAxis()->Title()->GetText();
    }
    // A component without a name is told apart by its place among its owner's.
    for (int i = 0; i < Component->ComponentCount(); ++i) {
        TComponent* owned = Component->Components(i);
        CollectTexts(Where + "/" + (owned->Name.empty() ? "#" + std::to_string(i) : owned->Name), owned, Texts);
    }
}

void CollectMenuTexts(TMenuItem* Item, std::map<std::string, std::string>& Texts)
{
    for (int i = 0; i < Item->Count(); ++i) {
        TMenuItem* sub = Item->Items(i);
        Texts["menu " + sub->Name] = sub->GetCaption();
        CollectMenuTexts(sub, Texts);
    }
}

// The texts of every form there is and of the main window's menus and action hints.
std::map<std::string, std::string> ProgramTexts()
{
    std::map<std::string, std::string> texts;
    for (int i = 0; i < Screen->FormCount(); ++i) CollectTexts(Screen->Forms(i)->Name, Screen->Forms(i), texts);
    CollectMenuTexts(FMain->MainMenu->Items(), texts);
    for (int i = 0; i < FMain->ActionList->ActionCount(); ++i)
        texts["hint of " + FMain->ActionList->Actions(i)->Name] = FMain->ActionList->Actions(i)->GetHint();
    return texts;
}

// Runs Look from inside the program's message loop once every start-up window exists,
// then ends the program.
void RunProgramAndLook(const std::function<void()>& Look)
{
    QTimer::singleShot(0, [Look] {
        if (Application->ProcessMessagesUntil(ProgramStarted, 60000))
            Look();
        else
            ADD_FAILURE() << "the start-up windows were not made";
        Application->Terminate();
    });
    RunProgram();
    Application->CancelShutdown();
}

// The windows made on demand (the dialogs and a graph window with its properties),
// made as the menus and the processes make them.
void MakeDialogs()
{
    CreateForm<TFSettings>(nullptr);
    CreateForm<TFDeviceInfo>(nullptr);
    TFGraph* graph = CreateForm<TFGraph>(nullptr);
    CreateForm<TFGraphProp>(nullptr, graph);
}

TEST_F(TEnglishFile, EveryWindowFindsEveryItemAndKeepsItsOwnTexts)
{
    ASSERT_TRUE(FileExists(InstalledFile())) << "the build installs " << InstalledFile();
    ForceDirectories(Dir.File("Language"));
    WriteFileText(Dir.File("Language/english.lng"), ReadFileText(InstalledFile()));
    // The program starts on a language it does not find, so that every window shows the
    // texts it was built with; the English file is chosen afterwards.
    WriteFileText(Dir.File("zel.ini"), "[Common]\n" + Libraries() +
                                           "LangFileName=none.lng\n"
                                           "[Settings]\nDeviceResponseMaxTimeInterval=2000000000\n");
    Application->SetExeName(Dir.File("zel"));

    std::map<std::string, std::string> built, translated;
    std::set<std::string> missing;
    int windows = 0;
    RunProgramAndLook([&] {
        MakeDialogs();
        built = ProgramTexts();
        SetMissingCaptionObserver([&missing](const std::string& Section, size_t Item) {
            missing.insert(Section + " item " + std::to_string(Item));
        });
        FMain->ChangeLanguage(Dir.File("Language/english.lng"));
        // Every window reads its section again, also those a language change leaves alone.
        for (int i = 0; i < Screen->FormCount(); ++i) {
            TForm* form = Screen->Forms(i);
            if (auto* window = dynamic_cast<TToolWindow*>(form)) window->ApplyLanguage();
            if (auto* settings = dynamic_cast<TFSettings*>(form)) settings->ApplyLanguage();
            if (auto* info = dynamic_cast<TFDeviceInfo*>(form)) info->ApplyLanguage();
            if (auto* graphProp = dynamic_cast<TFGraphProp*>(form)) graphProp->ApplyLanguage();
            ++windows;
        }
        SetMissingCaptionObserver(nullptr);
        translated = ProgramTexts();
    });

    EXPECT_GT(windows, 25);
    for (const std::string& item : missing) ADD_FAILURE() << "the language file lacks " << item;
    // A value in the file loses its surrounding blanks (the group " Dipper " reads "Dipper").
    // A text a window is built without (the layer-by-layer headings and button hints, the
    // action hints, the base texts of the dipper limit buttons) comes from the file alone.
    ASSERT_EQ(built.size(), translated.size());
    for (const auto& [where, text] : built) {
        if (Trim(text).empty()) continue;
        EXPECT_EQ(Trim(translated[where]), Trim(text)) << where;
    }
    TIniFile file(InstalledFile());
    for (const auto& [where, text] : translated) {
        if (where.rfind("hint of ", 0) != 0) continue;
        EXPECT_NE(text, "") << "the language file gives no " << where;
    }
    for (const auto& [where, text] : built) {
        if (where.rfind("menu ", 0) != 0) continue;
        EXPECT_TRUE(file.ValueExists("Menu", where.substr(5))) << "the language file lacks " << where;
    }
}

// The message texts are English to English: a message reads the same with the file as
// without it.
TEST_F(TEnglishFile, MessageTextsTranslateToThemselves)
{
    TIniFile file(InstalledFile());
    const std::vector<std::string> lines = file.ReadSectionValues("Resource");
    EXPECT_GT(lines.size(), 50u);
    for (const std::string& line : lines) {
        const size_t equals = line.find('=');
        ASSERT_NE(equals, std::string::npos) << line;
        EXPECT_EQ(line.substr(0, equals), line.substr(equals + 1));
    }
}

// A fresh program folder names no language: the program takes the English file from its
// Language folder, the layer-by-layer tables get their column headings from it, and the
// settings dialog lists it as the language in use.
TEST_F(TEnglishFile, FreshProgramFolderShowsTheTableHeadingsAndListsTheLanguage)
{
    ForceDirectories(Dir.File("Language"));
    WriteFileText(Dir.File("Language/english.lng"), ReadFileText(InstalledFile()));
    WriteFileText(Dir.File("zel.ini"),
                  "[Common]\n" + Libraries() + "[Settings]\nDeviceResponseMaxTimeInterval=2000000000\n");
    Application->SetExeName(Dir.File("zel"));

    TIniFile file(InstalledFile());
    std::map<std::string, std::vector<std::string>> headers;
    std::map<std::string, int> columns;
    std::vector<std::string> languages;
    std::string chosen;
    RunProgramAndLook([&] {
        for (TStringGrid* grid : {FLbl->sgrLbl, FLbl->sgrLblSet, FLbl->sgrProc}) {
            columns[grid->Name] = grid->GetColCount();
            for (int col = 0; col < grid->GetColCount(); ++col) headers[grid->Name].push_back(grid->GetCells(col, 0));
        }
        auto* settings = CreateForm<TFSettings>(nullptr);
        for (int i = 0; i < settings->LBLangFiles->Items().Count(); ++i)
            languages.push_back(settings->LBLangFiles->Items()[i]);
        const int index = settings->LBLangFiles->GetItemIndex();
        if (index >= 0) chosen = settings->LBLangFiles->Items()[index];
    });

    // Items 4 to 6 of the section: one heading per column, none empty, none left over.
    const std::pair<const char*, const char*> tables[] = {{"sgrLbl", "4"}, {"sgrLblSet", "5"}, {"sgrProc", "6"}};
    for (const auto& [grid, item] : tables) {
        const std::vector<std::string> given = SplitDelimitedRow(file.ReadString("Lbl", item, ""));
        EXPECT_EQ(static_cast<int>(given.size()), columns[grid]) << grid;
        EXPECT_EQ(headers[grid], given) << grid;
        for (const std::string& heading : headers[grid]) EXPECT_FALSE(heading.empty()) << grid;
    }
    EXPECT_EQ(headers["sgrLbl"].size(), 10u);
    EXPECT_EQ(languages, std::vector<std::string>{"english.lng"});
    EXPECT_EQ(chosen, "english.lng");
}

}  // namespace
