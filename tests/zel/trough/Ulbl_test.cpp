// The layer-by-layer editor: its script generator as a table of programs and their exact
// lines, worked by hand; and the three tables through the real grids: parsing and the
// integrity check with their boxes, the cell check, editing, sorting, pick lists, and the
// settings and "lbl.cvs" written to the program folder and read back.
#include "zel/trough/Ulbl.h"

#include <unistd.h>

#include "ProcessTestSupport.h"
#include "zel/trough/Uscriptctrl.h"

namespace {

using TLines = std::vector<std::string>;

// An elementary action: cell 3, down at 20 to 10, 30 s, up at 15 to 50, 60 s, no rocking.
TLblProcess Action(std::int32_t Cell = 3)
{
    TLblProcess a;
    a.cell = Cell;
    a.downSpeed = 20;
    a.downLevel = 10;
    a.bottomPause = 30;
    a.upSpeed = 15;
    a.upLevel = 50;
    a.topPause = 60;
    return a;
}

TLblScriptStart At(double Level, double Park, std::int32_t Cell) { return {Level, Park, 25, Cell}; }

// One pass of Action() from its upper level: down, pause, up, pause.
const TLines Dip = {"DipperSpeed= 20.00", "DipperMoveDown 40.00", "Pause 30",
                    "DipperSpeed= 15.00", "DipperMoveUp 40.00",   "Pause 60"};

TLines Join(std::initializer_list<TLines> Parts)
{
    TLines all;
    for (const TLines& part : Parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(LblScript, ProgramsBecomeTheirLines)
{
    TLblProcess swapped = Action();
    swapped.downLevel = 70;
    TLblProcess rocking = Action();
    rocking.mechActivations = 100;
    rocking.downSpeed = 0;  // the manual window's speed
    struct Case {
        const char* Name;
        std::vector<TLblProcess> Actions;
        TActionSets Sets;
        std::vector<TProcess> Processes;
        TLblScriptStart Start;
        TLines Lines;
    };
    const Case cases[] = {
        {"the worked example: park, cell, repeat, back to park",
         {Action()},
         {},
         {{prElementaryAction, 1, 2}},
         At(80, 90, -1),
         Join({{"info Prepare to start", "DipperSpeed= 25.00", "DipperMoveUp 10.00", "label LBL-1",
                "MoveDipperToCell 3", "DipperSpeed= 25.00", "DipperMoveDown 40.00", "repeat 2"},
               Dip,
               {"endrepeat", "DipperSpeed= 25.00", "DipperMoveUp 40.00"}})},
        {"already in its cell and at its levels: no park, no cell move",
         {Action()},
         {},
         {{prElementaryAction, 1, 1}},
         At(50, 50, 3),
         Join({{"info Prepare to start", "label LBL-1"}, Dip})},
        {"counts of 0 and below run once without a cycle",
         {Action()},
         {},
         {{prElementaryAction, 1, 0}, {prElementaryAction, 1, -4}},
         At(50, 50, 3),
         Join({{"info Prepare to start", "label LBL-1"}, Dip, {"label LBL-1"}, Dip})},
        {"a lower level above the upper swaps the words",
         {swapped},
         {},
         {{prElementaryAction, 1, 1}},
         At(50, 50, 3),
         {"info Prepare to start", "label LBL-1", "DipperSpeed= 20.00", "DipperMoveUp 20.00", "Pause 30",
          "DipperSpeed= 15.00", "DipperMoveDown 20.00", "Pause 60"}},
        {"rocking during the lower pause; speed 0 is the manual speed",
         {rocking},
         {},
         {{prElementaryAction, 1, 1}},
         At(50, 50, 3),
         {"info Prepare to start", "label LBL-1", "DipperSpeed= 25.00", "DipperMoveDown 40.00", "MechActivaton 100",
          "Pause 30", "DipperSpeed= 15.00", "DipperMoveUp 40.00", "Pause 60"}},
        {"LB rows, references to nothing and missing sets write nothing",
         {Action()},
         {},
         {{prLb, 1, 1}, {prElementaryAction, 5, 1}, {prActionSet, 7, 2}},
         At(50, 90, 3),
         {"info Prepare to start", "DipperSpeed= 25.00", "DipperMoveUp 40.00"}},
        {"a repeated set over two cells moves to each cell on every pass",
         {Action(3), Action(4)},
         {{1, {{1, 1}, {2, 1}, {9, 1}}}},
         {{prActionSet, 1, 2}},
         At(90, 90, 3),
         Join({{"info Prepare to start", "repeat 2", "label LS-1:LBL-1", "MoveDipperToCell 3", "DipperSpeed= 25.00",
                "DipperMoveDown 40.00"},
               Dip,
               {"DipperSpeed= 25.00", "DipperMoveUp 40.00", "label LS-1:LBL-2", "MoveDipperToCell 4",
                "DipperSpeed= 25.00", "DipperMoveDown 40.00"},
               Dip,
               {"DipperSpeed= 25.00", "DipperMoveUp 40.00", "endrepeat"}})},
        {"a set in one cell keeps its cell and nests the action's cycle",
         {Action(3)},
         {{2, {{1, 3}}}},
         {{prActionSet, 2, 2}},
         At(90, 90, 3),
         Join({{"info Prepare to start", "repeat 2", "label LS-2:LBL-1", "DipperSpeed= 25.00", "DipperMoveDown 40.00",
                "repeat 3"},
               Dip,
               {"endrepeat", "DipperSpeed= 25.00", "DipperMoveUp 40.00", "endrepeat"}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(MakeLblScript(c.Actions, c.Sets, c.Processes, c.Start), c.Lines);
    }
}

TEST(LblRows, DelimitedRowsQuoteWhatTheyMustAndReadBackVerbatim)
{
    const std::vector<std::string> cells = {"LBL-1", "rinse, then \"dry\"", "", "3", "a b", "x\ty"};
    const std::string text = DelimitedRow(cells);
    EXPECT_EQ(text, "LBL-1,\"rinse, then \"\"dry\"\"\",,3,\"a b\",\"x\ty\"");
    EXPECT_EQ(SplitDelimitedRow(text), cells);
    // Unquoted blanks separate as commas do.
    EXPECT_EQ(SplitDelimitedRow("1 LBL-2,3"), (std::vector<std::string>{"1", "LBL-2", "3"}));
}

class LblWindow : public TProcessFixture {
protected:
    void SetUp() override
    {
        StartProgram("DeviceType=LBL\n");
        Window = CreateForm<TFLbl>(nullptr);
    }
    void Fill(TStringGrid* Grid, const std::vector<std::vector<std::string>>& Rows)
    {
        Grid->SetRowCount(static_cast<int>(Rows.size()) + 1);
        for (size_t r = 0; r < Rows.size(); ++r)
            for (size_t c = 0; c < Rows[r].size(); ++c)
                Grid->SetCells(static_cast<int>(c), static_cast<int>(r) + 1, Rows[r][c]);
    }
    std::vector<std::string> Column(TStringGrid* Grid, int Col) const
    {
        std::vector<std::string> cells;
        for (int row = 1; row < Grid->GetRowCount(); ++row) cells.push_back(Grid->GetCells(Col, row));
        return cells;
    }
    void TwoActions()
    {
        Fill(Window->sgrLbl, {{"", "first", "3", "20", "10", "30", "15", "50", "60", "0"},
                              {"", "second", "4", "20,5", "10.5", "30", "15", "50", "60", "100"}});
    }
    TFLbl* Window = nullptr;
};

TEST_F(LblWindow, CreationChecksSilentlyAndNumbersTheTables)
{
    EXPECT_TRUE(Dialogs.Requests.empty());
    EXPECT_EQ(Window->sgrLbl->GetCells(0, 1), "LBL-1");
    EXPECT_EQ(Window->sgrProc->GetCells(0, 1), "1");
}

TEST_F(LblWindow, ParseErrorsNameTheTableAndRow)
{
    TwoActions();
    Window->sgrLbl->SetCells(7, 2, "high");
    Window->btnCheckDataIntegrity->Click();
    ASSERT_EQ(Shown(),
              (std::vector<std::string>{"Incorrect data at 'Elementary actions' table at row 2", "Data corruption"}));
    EXPECT_EQ(Dialogs.Requests[0].Caption, "Lbl Process");
    EXPECT_EQ(Dialogs.Requests[1].Caption, Application->Title);
    // What was read before the bad row stays.
    EXPECT_EQ(Window->ElementaryActions.size(), 1u);
}

TEST_F(LblWindow, BrokenReferencesAreAskedAboutOneByOne)
{
    TwoActions();
    Fill(Window->sgrLblSet, {{"2", "LBL-2", ""}, {"", "", ""}, {"5", "LS-3", "4"}});
    Fill(Window->sgrProc, {{"", "LBL-3", ""}, {"", "LB-1", "2"}, {"", "LS-7", ""}, {"", "2", "3"}});
    Dialogs.Default = {IDYES, {}, 0};
    Window->btnCheckDataIntegrity->Click();
    const std::string ask = "\nDo you want continue data integrity analysing?";
    EXPECT_EQ(Shown(),
              (std::vector<std::string>{
                  "Data corruption! Corresponding value LBL-3 not responding at 'Processes' table at row 1." + ask,
                  "Data corruption! Corresponding value LBL-1 not responding at 'Processes' table at row 2." + ask,
                  "Data corruption! Corresponding value LS-7 not responding at 'Processes' table at row 3." + ask,
                  "Data corruption! Corresponding value LBL-3 not responding at 'Action set' table at row 5." + ask,
                  "All right"}));
    // The empty action-set row was skipped; "LS-3" in a set reads as action 3.
    ASSERT_EQ(Window->ActionSets.size(), 2u);
    EXPECT_EQ(Window->ActionSets.at(5).front().lbl, 3);
    EXPECT_EQ(Window->ActionSets.at(5).front().count, 4);
    EXPECT_EQ(Window->Processes.at(3).count, 3);
    EXPECT_FLOAT_EQ(Window->ElementaryActions.at(1).downSpeed, 20.5f);

    Dialogs.Requests.clear();
    Dialogs.Default = {IDNO, {}, 0};
    EXPECT_FALSE(Window->CheckDataIntegrity());
    EXPECT_EQ(Dialogs.Requests.size(), 1u);
}

TEST_F(LblWindow, WrongCellIsShownAndOpenedAgain)
{
    Window->Show();
    TStringGrid* grid = Window->sgrLbl;
    grid->FocusCell(5, 1);
    grid->SetEditorMode(true);
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    grid->InplaceEditor()->SetText("2.5");
    ASSERT_TRUE(grid->OnEditorExit);
    grid->OnEditorExit(grid);
    ASSERT_EQ(Shown(), std::vector<std::string>{"Wrong value. This value must be 'integer'"});
    EXPECT_TRUE(grid->GetEditorMode());
    EXPECT_EQ(grid->GetCol(), 5);
    EXPECT_EQ(grid->InplaceEditor()->GetText(), "2.5");
    // A decimal column takes either separator; the set table's column 1 is not tested.
    for (auto [g, col, text] : {std::tuple{grid, 4, "2,5"}, std::tuple{Window->sgrLblSet, 1, "anything"}}) {
        g->FocusCell(col, 1);
        g->SetEditorMode(true);
        g->InplaceEditor()->SetText(text);
        EXPECT_TRUE(Window->CheckCell(g)) << text;
    }
    EXPECT_EQ(Dialogs.Requests.size(), 1u);
    // A value no float holds is refused like any other text that is no number.
    grid->FocusCell(4, 1);
    grid->SetEditorMode(true);
    grid->InplaceEditor()->SetText("1e39");
    EXPECT_FALSE(Window->CheckCell(grid));
    EXPECT_EQ(Shown().back(), "Wrong value. This value must be 'float'");
}

// A level lies within the dipper's travel, a speed no faster than the dipper runs (0 or
// less is the manual speed) and a pause is not negative: a cell outside is refused as it
// is typed, and the same row read from the settings file stops START before any script.
TEST_F(LblWindow, CellsOutsideTheDippersReachAreRefusedTypedOrStored)
{
    TLinearMotion& dipper = CalibrateParam.dipper;
    const double savedHwMax = dipper.GetHwMax();
    dipper.SetHwMax(40000);  // 100 mm of travel from 0
    ASSERT_DOUBLE_EQ(dipper.HwToSh(dipper.GetHwMax()), 100);
    ASSERT_DOUBLE_EQ(dipper.GetMaxSpeed(), 120);
    auto* script = CreateForm<TFScriptCtrl>(nullptr);
    struct Case {
        int Col;
        const char* Text;
        const char* Wanted;  // null when the cell is taken
    };
    const Case cases[] = {
        {4, "0", nullptr},
        {4, "100", nullptr},
        {7, "55,5", nullptr},
        {4, "-1e6", "float from 0.00 to 100.00"},
        {4, "-1e17", "float from 0.00 to 100.00"},
        {7, "3e38", "float from 0.00 to 100.00"},
        {7, "100.01", "float from 0.00 to 100.00"},
        {7, "-0.5", "float from 0.00 to 100.00"},
        {3, "120", nullptr},
        {6, "0", nullptr},
        {3, "-5", nullptr},
        {3, "120.5", "float up to 120.00"},
        {6, "3e38", "float up to 120.00"},
        {5, "0", nullptr},
        {5, "-1", "integer from 0"},
        {8, "-2147483648", "integer from 0"},
    };
    Window->Show();
    TStringGrid* grid = Window->sgrLbl;
    // The worked row; each case changes one cell of it.
    const std::vector<std::string> row = {"", "dip", "3", "20", "10", "30", "15", "50", "60", "0"};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Col) + " " + c.Text);
        Dialogs.Requests.clear();
        grid->FocusCell(c.Col, 1);
        grid->SetEditorMode(true);
        grid->InplaceEditor()->SetText(c.Text);
        EXPECT_EQ(Window->CheckCell(grid), c.Wanted == nullptr);
        EXPECT_EQ(Shown(),
                  c.Wanted ? std::vector<std::string>{std::string("Wrong value. This value must be '") + c.Wanted + "'"}
                           : std::vector<std::string>{});
        grid->SetEditorMode(false);

        // The window writes its tables as it goes: the file is changed after.
        FreeForm(Window);
        std::vector<std::string> stored = row;
        stored[static_cast<size_t>(c.Col)] = c.Text;
        IniFile->WriteString("LBL", "LblTable.NumRows", "2");
        IniFile->WriteString("LBL", "LblTable.Row1", DelimitedRow(stored));
        IniFile->WriteString("LBL", "ProcessTable.NumRows", "2");
        IniFile->WriteString("LBL", "ProcessTable.Row1", "1,LBL-1,1");
        Window = CreateForm<TFLbl>(nullptr);
        grid = Window->sgrLbl;
        Window->Show();
        script->Memo->Clear();
        Dialogs.Requests.clear();
        Link()->OnRunScript = [this](const TScriptStrings&) {
            Link()->PostNotify(hlnScriptStarted, 0);
            Link()->PostNotify(hlnScriptFinished, 0);
        };
        Window->btnRun->Click();
        if (c.Wanted) {
            EXPECT_EQ(Shown(), (std::vector<std::string>{"Incorrect data at 'Elementary actions' table at row 1",
                                                         "Data corruption"}));
            EXPECT_EQ(script->Memo->GetLines().Count(), 0);
        } else {
            EXPECT_EQ(Shown(), std::vector<std::string>{});
            EXPECT_GT(script->Memo->GetLines().Count(), 2);
            ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Main->ProcessKind == pkNone; }, 10000));
        }
    }
    dipper.SetHwMax(savedHwMax);
}

TEST_F(LblWindow, EditingSortingAndCopying)
{
    TwoActions();
    Window->sgrLbl->SetRow(1);
    Window->sbtLblRowCopy->Click();
    EXPECT_EQ(Column(Window->sgrLbl, 0), (std::vector<std::string>{"LBL-1", "LBL-2", "LBL-3"}));
    EXPECT_EQ(Column(Window->sgrLbl, 1), (std::vector<std::string>{"first", "second", "first"}));
    Window->sgrLbl->SetRow(3);
    Window->sbtLblUp->Click();
    EXPECT_EQ(Column(Window->sgrLbl, 1), (std::vector<std::string>{"first", "first", "second"}));
    EXPECT_EQ(Window->sgrLbl->GetRow(), 2);
    Window->sbtLblDel->Click();
    EXPECT_EQ(Column(Window->sgrLbl, 0), (std::vector<std::string>{"LBL-1", "LBL-2"}));
    // Shift with Enter inserts after the current row; the last data row is never deleted.
    WORD enter = VK_RETURN;
    Window->sgrLbl->SetRow(1);
    Window->sgrLbl->OnKeyUp(Window->sgrLbl, enter, ssShift);
    EXPECT_EQ(Column(Window->sgrLbl, 1), (std::vector<std::string>{"first", "", "second"}));
    EXPECT_EQ(Window->sgrLbl->GetCells(0, 3), "LBL-3");
    Window->sbtLblDelAll->Click();
    EXPECT_EQ(Window->sgrLbl->GetRowCount(), 2);
    EXPECT_EQ(Window->sgrLbl->GetCells(1, 1), "first");
    Window->sbtLblDel->Click();
    EXPECT_EQ(Window->sgrLbl->GetRowCount(), 2);

    Fill(Window->sgrLblSet, {{"3", "LBL-1", "1"}, {"1", "LBL-2", "2"}, {"2", "LBL-1", "3"}, {"1", "LBL-1", "4"}});
    Window->sbtLblSetSort->Click();
    EXPECT_EQ(Column(Window->sgrLblSet, 0), (std::vector<std::string>{"1", "1", "2", "3"}));
    Window->sgrLblSet->SetCells(0, 2, "one");
    Window->sbtLblSetSort->Click();
    EXPECT_EQ(Shown(), std::vector<std::string>{"Sort error was occurred"});
    EXPECT_EQ(Dialogs.Requests.back().Caption, "Sort");

    // Nothing selected for a copy.
    Dialogs.Requests.clear();
    Window->sgrLbl->SetRow(0);
    if (Window->sgrLbl->GetRow() <= 0) {
        Window->sbtLblRowCopy->Click();
        EXPECT_EQ(Shown(), std::vector<std::string>{"Please, select a row firstly."});
    }
}

TEST_F(LblWindow, PickListsOfferSetsThenActions)
{
    TwoActions();
    Window->Renumber();
    Fill(Window->sgrLblSet, {{"4", "LBL-1", ""}, {"2", "LBL-2", ""}, {"4", "LBL-2", ""}});
    TStringGrid* grid = Window->sgrProc;
    grid->FocusCell(1, 1);
    grid->SetEditorMode(true);
    auto* list = dynamic_cast<TInplaceEditList*>(grid->InplaceEditor());
    ASSERT_NE(list, nullptr);
    list->DropDown();
    EXPECT_EQ(list->PickList.Lines(), (std::vector<std::string>{"LS-2", "LS-4", "LBL-1", "LBL-2"}));
    // Rebuilt at the next edit: a new action shows.
    grid->SetEditorMode(false);
    Window->sgrLbl->SetRow(2);
    Window->sbtLblAdd->Click();
    grid->SetEditorMode(true);
    list->DropDown();
    EXPECT_EQ(list->PickList.Count(), 5);
    grid->FocusCell(2, 1);
    grid->SetEditorMode(true);
    EXPECT_EQ(dynamic_cast<TInplaceEditList*>(grid->InplaceEditor()), nullptr);
}

TEST_F(LblWindow, TablesSurviveTheSettingsFileAndTheActionsGoToLblCvsInTheProgramFolder)
{
    // The program runs from a folder of its own choosing; the file goes to the program
    // folder, never where the program was started.
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    TTempDir startedFrom;
    ASSERT_EQ(chdir(startedFrom.Path().c_str()), 0);
    TwoActions();
    Window->sgrLbl->SetCells(1, 1, "rinse; then \"dry\", slowly");
    Window->sgrLbl->SetCells(0, 0, "No.");
    Fill(Window->sgrProc, {{"", "LBL-1", "2"}, {"", "LS-1", ""}});
    Window->Renumber();
    FreeForm(Window);
    EXPECT_EQ(IniFile->ReadString("LBL", "LblTable.NumRows", ""), "3");
    EXPECT_EQ(IniFile->ReadString("LBL", "LblTable.Row1", ""),
              "LBL-1,\"rinse; then \"\"dry\"\", slowly\",3,20,10,30,15,50,60,0");
    EXPECT_EQ(IniFile->ReadString("LBL", "ProcessTable.Row2", ""), "2,LS-1,");
    const std::string csv = ReadFileText(Dir.File("lbl.cvs"));
    EXPECT_FALSE(FileExists(startedFrom.File("lbl.cvs")));
    ASSERT_EQ(chdir(saved), 0);
    EXPECT_EQ(csv.substr(0, csv.find("\r\n", csv.find("\r\n") + 2) + 2),
              "No.;;;;;;;;;\r\nLBL-1;\"rinse; then \"\"dry\"\", slowly\";3;20;10;30;15;50;60;0\r\n");

    // A damaged count is held to the sane range.
    IniFile->WriteString("LBL", "LblSetTable.NumRows", "-3");
    Window = CreateForm<TFLbl>(nullptr);
    EXPECT_EQ(Window->sgrLbl->GetRowCount(), 3);
    EXPECT_EQ(Window->sgrLbl->GetCells(1, 1), "rinse; then \"dry\", slowly");
    EXPECT_EQ(Window->sgrLbl->GetCells(3, 2), "20,5");
    EXPECT_EQ(Column(Window->sgrProc, 1), (std::vector<std::string>{"LBL-1", "LS-1"}));
    EXPECT_EQ(Window->sgrLblSet->GetRowCount(), 2);
}

TEST_F(LblWindow, StartHandsTheScriptToTheScriptWindowAndStopStopsIt)
{
    auto* script = CreateForm<TFScriptCtrl>(nullptr);
    // The engine ends a dry run at once; a real run goes on until it is stopped.
    Link()->OnRunScript = [this](const TScriptStrings&) {
        Link()->PostNotify(hlnScriptStarted, 0);
        if (Link()->Lines().back() == "ExecuteCommand= 0") Link()->PostNotify(hlnScriptFinished, 0);
    };
    TwoActions();
    Fill(Window->sgrProc, {{"", "LBL-1", ""}});
    // Parsing fails: nothing is written.
    Window->sgrLbl->SetCells(2, 1, "");
    Window->btnRunClick(nullptr);
    EXPECT_EQ(script->Memo->GetLines().Count(), 0);
    Window->sgrLbl->SetCells(2, 1, "3");
    Dialogs.Requests.clear();
    Window->btnRun->Click();
    ASSERT_GT(script->Memo->GetLines().Count(), 2);
    EXPECT_EQ(script->Memo->GetLines()[0], "info Prepare to start");
    ASSERT_EQ(Main->ProcessKind, pkScript);
    EXPECT_FALSE(Window->btnRun->GetVisible());
    Link()->ClearCalls();
    Window->btnStop->Click();
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(Window->btnRun->GetVisible());
    ASSERT_FALSE(Link()->Calls().empty());
    EXPECT_EQ(Link()->Calls().front().Operation, TLinkOperation::AbortScript);
    EXPECT_EQ(Link()->Lines(), (std::vector<std::string>{"DriveAllStop", "KeyboardBlock= 00000000"}));
}

}  // namespace
