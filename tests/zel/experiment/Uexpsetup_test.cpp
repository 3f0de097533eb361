#include "zel/experiment/Uexpsetup.h"

#include <gtest/gtest.h>

#include <functional>

#include <QMenu>

#include "GraphTestSupport.h"
#include "TestSupport.h"
#include "kvc/WidgetInput.h"
#include "platform/filer/FilerTestSets.h"
#include "platform/filer/SXFiler.h"
#include "platform/ui/Application.h"
#include "platform/base/FloatFormat.h"
#include "platform/ui/PopupMenu.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Common.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/experiment/Graphmanager.h"
#include "zel/experiment/Ugraph.h"
#include "zel/experiment/Ugraphprop.h"
#include "zel/experiment/Usedatasetmanager.h"

namespace {

// The window made as the program makes it, over a settings file and a program folder in
// a temporary folder, with the filer module loaded.
class ExpSetup : public ::testing::Test {
protected:
    void SetUp() override
    {
        FSavedExe = Application->ExeName();
        Application->SetExeName(Dir.File("zel"));
        FSavedFiler = Filer;
        FSavedArea = CalibrateParam.surface.GetSquareMax();
        CalibrateParam.surface.SetSquareMax(100);
    }
    void TearDown() override
    {
        CloseWindow();
        Filer = FSavedFiler;
        CalibrateParam.surface.SetSquareMax(FSavedArea);
        if (IniFile) DoneCommon();
        Application->SetExeName(FSavedExe);
    }
    void OpenWindow(const std::string& Ini = "")
    {
        WriteFileText(Dir.File("zel.ini"), Ini);
        InitCommon();
        Filer = LoadFilerModule();
        ASSERT_NE(Filer, nullptr);
        Window = CreateForm<TFExpSetup>(nullptr);
    }
    void CloseWindow()
    {
        if (Window) FreeForm(Window);
        Window = nullptr;
    }
    void Reopen()
    {
        CloseWindow();
        Window = CreateForm<TFExpSetup>(nullptr);
    }
    // A run's set with one table of two columns and the experiment properties.
    ISXDataSet* MakeRunSet(const std::string& User, int Rows = 2)
    {
        ISXDataSet* Set = UseDataSetManager.Create();
        ISXDataField* Field = TPTableData::CreateSXTableData(Set, ZelTableCategory, "Isotherm", 2, 100);
        TPTableData Data(Field);
        Data.SetTableName("Isotherm");
        FillColumn(Data.GetColumnInfo(0), "Area", "A", "cm2");
        FillColumn(Data.GetColumnInfo(1), "Rotating barrier position", "Rotbar-P", "rev");
        for (int r = 0; r < Rows; ++r) {
            Data.AddRows(1);
            Data.SetData(0, r, 12.3456f * static_cast<float>(r + 1));
            Data.SetData(1, r, r == 0 ? 1234.f : 0.000123f);
        }
        TSXPropertyRef<TZelExperimentInfo> Info(Set, PropExperimentInfo, true);
        WriteFixedText(Info.Get()->UserName, User);
        WriteFixedText(Info.Get()->CompoundName, "Stearic acid");
        TSXPropertyRef<TSXDateTime> Date(Set, PropDateTime, true);
        *Date.Get() = TSXDateTime{2006, 12, 1, 12, 30, 5, 0};
        return Set;
    }
    ISXDataField* TableOf(ISXDataSet* Set) { return Set->FindField(ZelTableCategory, "Isotherm"); }
    // The window beside the main window's area, with a run of three rows saved as
    // run.mps in the register and scrolled to.
    ISXDataSet* OpenWithRun()
    {
        OpenWindow();
        MainArea();
        ISXDataSet* Set = MakeRunSet("Ann", 3);
        Set->SetFileName(Dir.File("run.mps").c_str());
        Window->AddDataSet(TableOf(Set));
        Window->Scroll(0);
        return Set;
    }

    // A run entered in the register and unloaded again: its set lives only in its file.
    std::string RegisterUnloadedRun()
    {
        OpenWindow();
        ISXDataSet* Set = MakeRunSet("Ann");
        const std::string File = Dir.File("run.mps");
        Set->SetFileName(File.c_str());
        Window->AddDataSet(TableOf(Set));
        Window->UnloadAll();
        return File;
    }

    TTempDir Dir;
    TFExpSetup* Window = nullptr;
    std::string FSavedExe;
    ISXFiler* FSavedFiler = nullptr;
    double FSavedArea = 0;
};

TEST_F(ExpSetup, DescriptionValuesComeFromTheirSettingsSectionAndGoBack)
{
    OpenWindow(
        "[ExpSetupForm]\nUserName=Ann\nUserName0=Ann\nUserName1=Bob\nUserName3=lost\nCompoundName=DPPC\n"
        "Aliquot=0.05\nCompositionCount=2\nSolName0=acid\nM_ind0=1000\nm_par0=0.001\nV_ind0=10\nv_par0=2\n"
        "SolName1=salt\nM_ind1=oops\nWorkDir=\n");
    EXPECT_EQ(Window->GetUserName(), "Ann");
    EXPECT_EQ(Window->CBUserName->Items().Lines(), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(Window->GetCompoundName(), "DPPC");
    EXPECT_EQ(Window->EDAliquot->GetText(), FloatToStr(0.05));
    EXPECT_EQ(Window->EDCompositionCount->GetValueInt(), 2);
    EXPECT_EQ(Window->SGNodes->GetColCount(), 6);
    EXPECT_EQ(Window->SGNodes->GetCells(1, 1), "acid");
    EXPECT_EQ(Window->SGNodes->GetCells(5, 1), "2");
    // A missing or unreadable value of the grid gives "1".
    EXPECT_EQ(Window->SGNodes->GetCells(2, 2), "1");
    EXPECT_EQ(Window->SGNodes->GetCells(5, 2), "1");
    // An empty working folder is the program's folder.
    EXPECT_EQ(Window->GetWorkDir(), AppPath);

    Window->CBCompoundName->SetText("Lipid");
    Window->ComboExit(Window->CBCompoundName);
    Window->ComboExit(Window->CBCompoundName);
    Window->CBSubstrate->SetText("");
    Window->ComboExit(Window->CBSubstrate);
    EXPECT_EQ(Window->CBCompoundName->Items().Lines(), std::vector<std::string>{"Lipid"});
    EXPECT_EQ(Window->CBSubstrate->Items().Count(), 0);
    CloseWindow();
    EXPECT_EQ(IniFile->ReadString("ExpSetupForm", "CompoundName", ""), "Lipid");
    EXPECT_EQ(IniFile->ReadString("ExpSetupForm", "CompoundName0", ""), "Lipid");
    EXPECT_EQ(IniFile->ReadString("ExpSetupForm", "v_par0", ""), "2");
    EXPECT_EQ(IniFile->ReadString("ExpSetupForm", "WorkDir", ""), AppPath);
    EXPECT_EQ(IniFile->ReadInteger("ExpSetupForm", "CompositionCount", 0), 2);
}

TEST_F(ExpSetup, MoleculeCountAndAreaPerMolecule)
{
    OpenWindow();
    auto& W = *Window;
    auto SetOne = [&](const char* M, const char* m) {
        W.EDCompositionCount->SetValueInt(1);
        W.SGNodes->SetCells(2, 1, M);
        W.SGNodes->SetCells(3, 1, m);
        W.EDVolumeOfSolvent->SetText("10");
        W.EDAliquot->SetText(FloatToStr(0.05));
    };
    SetOne("1000", "0.001");
    EXPECT_NEAR(W.CalcMoleculeCount(), 3.01e15, 1e9);
    W.EDAliquotEnterValue(nullptr);
    EXPECT_EQ(W.STSurfaceArea->GetCaption(), FloatToStrF(3.322, ffFixed, 15, 3));

    SetOne("1000", "0");
    EXPECT_EQ(W.CalcMoleculeCount(), 0);
    W.EDAliquotEnterValue(nullptr);
    EXPECT_EQ(W.STSurfaceArea->GetCaption(), "Calculation error!");

    SetOne("1000", "");
    EXPECT_EQ(W.CalcMoleculeCount(), -1);

    // Two components: the volume of solvent is the sum of the taken volumes.
    W.EDCompositionCount->SetValueInt(2);
    EXPECT_EQ(W.SGNodes->GetColCount(), 6);
    EXPECT_TRUE(W.EDVolumeOfSolvent->GetReadOnly());
    const char* Rows[2][4] = {{"1000", "0.001", "10", "2"}, {"500", "0.002", "20", "3"}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c) W.SGNodes->SetCells(c + 2, r + 1, Rows[r][c]);
    W.EDAliquot->SetText("0");
    W.EDVolumeOfSolvent->SetText("7");
    EXPECT_EQ(W.CalcMoleculeCount(), -1);
    EXPECT_EQ(W.EDVolumeOfSolvent->GetText(), "7");
    W.EDAliquot->SetText(FloatToStr(0.05));
    const double Expected = 0.05 / 5 * (0.001 * 2 / (1000 * 10) + 0.002 * 3 / (500 * 20)) * 6.02e23;
    EXPECT_NEAR(W.CalcMoleculeCount(), Expected, Expected * 1e-12);
    EXPECT_DOUBLE_EQ(W.EDVolumeOfSolvent->GetValueFloat(), 5);

    W.EDCompositionCount->SetValueInt(1);
    EXPECT_EQ(W.SGNodes->GetColCount(), 4);
    EXPECT_FALSE(W.EDVolumeOfSolvent->GetReadOnly());
}

TEST_F(ExpSetup, GridCellsTakeOnlyNumbersAndFallBackToTheRememberedText)
{
    OpenWindow();
    auto& W = *Window;
    W.SGNodes->FocusCell(2, 1);
    char Key = ',';
    W.SGNodesKeyPress(Key);
    EXPECT_EQ(Key, GetDecimalSeparator());
    for (char Refused : {'-', 'e', 'x', ' '}) {
        Key = Refused;
        W.SGNodesKeyPress(Key);
        EXPECT_EQ(Key, 0) << Refused;
    }
    Key = '7';
    W.SGNodesKeyPress(Key);
    EXPECT_EQ(Key, '7');

    const std::string Remembered = W.SGNodes->GetCells(2, 1);
    W.SGNodes->SetCells(2, 1, "abc");
    EXPECT_FALSE(W.ValidateNodeCell(2, 1));
    EXPECT_EQ(W.SGNodes->GetCells(2, 1), Remembered);
    W.SGNodes->SetCells(2, 1, "250");
    EXPECT_FALSE(W.ValidateNodeCell(2, 1));  // the first attempt to leave stays
    EXPECT_TRUE(W.ValidateNodeCell(2, 1));   // the next one succeeds
    EXPECT_EQ(W.SGNodes->GetCells(2, 1), "250");
}

TEST_F(ExpSetup, EnterChecksTheTextTheEditorCommits)
{
    OpenWindow();
    auto& W = *Window;
    W.SGNodes->FocusCell(2, 1);
    const std::string Remembered = W.SGNodes->GetCells(2, 1);
    struct TCase {
        const char* Pasted;
        std::string Kept;
    };
    // A paste passes by the key filter; Enter still refuses what does not read as a number.
    const TCase Cases[] = {{"abc", Remembered}, {"", Remembered}, {"250", "250"}};
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Pasted);
        W.SGNodes->SetEditorMode(true);
        ASSERT_NE(W.SGNodes->InplaceEditor(), nullptr);
        W.SGNodes->InplaceEditor()->SetText(C.Pasted);
        W.SGNodes->InplaceEditor()->Perform(WM_CHAR, '\r');
        EXPECT_EQ(W.SGNodes->GetCells(2, 1), C.Kept);
    }
}

TEST_F(ExpSetup, DescriptionTextWithOneComponent)
{
    OpenWindow();
    auto& W = *Window;
    W.CBUserName->SetText("Ann");
    W.CBCompoundName->SetText("DPPC");
    W.CBSubstrate->SetText("Glass");
    W.CBSubphase->SetText("Water");
    W.CBTemperature->SetText("21");
    W.SGNodes->SetCells(1, 1, "acid");
    W.SGNodes->SetCells(2, 1, "1000");
    W.SGNodes->SetCells(3, 1, "0.001");
    W.EDVolumeOfSolvent->SetText("10");
    W.EDAliquot->SetText("0.05");
    EXPECT_EQ(W.GetDescriptionText(),
              "User name: Ann;\r\nCompound name: DPPC;\r\nSubstrate: Glass;\r\nSubphase: Water;\r\nTemperature: 21;\r\n"
              "\r\nSolution Composition\r\nComposition count: 1\r\nacid M=1000g m=0.001g\r\n"
              "Volume of Solvent, ml=10 Aliquot, ml=0.05\r\n");
    EXPECT_EQ(W.GetDeviceInfoText(),
              "Device informationDevice Name: \r\nVersion: \r\nManufacturer: \r\nDate: \r\n\r\n");
}

TEST_F(ExpSetup, NewFileNamesCarryTheMinuteAndNeverTakeAnExistingFile)
{
    OpenWindow("[ExpSetupForm]\nWorkDir=" + Dir.Path() + "data\n");
    const TLocalDateTime When{2006, 12, 1, 12, 30, 0, 0};
    EXPECT_EQ(TFExpSetup::MakeDataFileName(When), "zel0612011230.mps");
    const std::string Folder = Dir.Path() + "data/";
    ForceDirectories(Folder);
    EXPECT_EQ(Window->NewDataFileName(When), Folder + "zel0612011230.mps");
    WriteFileText(Folder + "zel0612011230.mps", "x");
    EXPECT_EQ(Window->NewDataFileName(When), Folder + "zel0612011230_1.mps");
    WriteFileText(Folder + "zel0612011230_1.mps", "x");
    EXPECT_EQ(Window->NewDataFileName(When), Folder + "zel0612011230_2.mps");
}

TEST_F(ExpSetup, AddedSetIsSavedRegisteredAndStartsUnloadedAfterARestart)
{
    OpenWindow();
    ISXDataSet* Set = MakeRunSet("Ann");
    Window->AddDataSet(TableOf(Set));
    ASSERT_EQ(Window->ExpTable.Count(), 1);
    const TRegRecord& R = Window->ExpTable.Record(0);
    EXPECT_TRUE(IsExistingFile(R.FileName));
    EXPECT_EQ(R.FileName, Set->GetFileName());
    EXPECT_EQ(R.User, "Ann");
    EXPECT_EQ(R.Compound, "Stearic acid");
    EXPECT_EQ((R.Date == TRegDate{2006, 12, 1, 12, 30, 5, 0}), true);
    EXPECT_TRUE(R.Loaded());
    EXPECT_EQ(R.StrTables, R.DataName().substr(0, R.DataName().size() - 4) + ".Isotherm");
    EXPECT_EQ(Window->SBLoadUnload->GetCaption(), "Unload");
    // The run's record is the selected one and holds the run's set: its tables are listed.
    EXPECT_EQ(Window->CurrentDataSet(), Set);
    EXPECT_EQ(Window->CBExperimentTables->GetText(), "Isotherm");
    // The register holds a use: the run's own release leaves the set alive.
    EXPECT_EQ(UseDataSetManager.Release(Set), 1);
    // A second entry of the same set finds the record.
    Window->AddDataSet(TableOf(Set));
    EXPECT_EQ(Window->ExpTable.Count(), 1);
    TStringList Tables;
    EXPECT_EQ(Window->ListTables(&Tables), 1);
    EXPECT_EQ(Window->GetTableByName(Tables[0]), TableOf(Set));

    Reopen();
    ASSERT_EQ(Window->ExpTable.Count(), 1);
    EXPECT_FALSE(Window->ExpTable.Record(0).Loaded());
    EXPECT_EQ(Window->DBGrid->GetCells(8, 1), "No");
    // Loading reads the file back into a set of its own.
    Window->Scroll(0);
    Window->SBLoadUnloadClick(nullptr);
    ASSERT_NE(Window->CurrentDataSet(), nullptr);
    EXPECT_NE(Window->CurrentDataSet(), Set);
    EXPECT_EQ(Window->CBExperimentTables->GetText(), "Isotherm");
    EXPECT_EQ(Window->SGExperimentData->GetCells(2, 0), "Rotbar-P, rev");
    ISXDataSet* Loaded = Window->CurrentDataSet();
    Window->SBLoadUnloadClick(nullptr);
    EXPECT_EQ(Window->CurrentDataSet(), nullptr);
    // Unloading gave up the register's use: nobody holds the loaded set any more.
    EXPECT_EQ(UseDataSetManager.AddRef(Loaded), 1);
    UseDataSetManager.Release(Loaded);
}

TEST_F(ExpSetup, LoadButtonSaysWhatTheSelectedRecordAllows)
{
    OpenWindow();
    ISXDataSet* Set = MakeRunSet("Ann");
    Window->AddDataSet(TableOf(Set));
    UseDataSetManager.Release(Set);  // the run is over: only the register holds the set
    // Each step, then what the button and the popup item say and whether the selected
    // record holds a set.
    struct Step {
        const char* What;
        std::function<void()> Act;
        const char* Caption;
        bool Loaded;
    };
    const Step Steps[] = {
        {"a run entered its set", [] {}, "Unload", true},
        {"unload the run's set", [&] { Window->SBLoadUnload->Click(); }, "Load", false},
        {"load it back from its file", [&] { Window->SBLoadUnload->Click(); }, "Unload", true},
        {"unload it through the popup item", [&] { Window->MILoadUnload->Click(); }, "Load", false},
    };
    for (const Step& S : Steps) {
        S.Act();
        EXPECT_EQ(Window->SBLoadUnload->GetCaption(), S.Caption) << S.What;
        EXPECT_EQ(Window->MILoadUnload->GetCaption(), S.Caption) << S.What;
        ASSERT_EQ(Window->ExpTable.Count(), 1) << S.What;
        EXPECT_EQ(Window->ExpTable.Record(0).Loaded(), S.Loaded) << S.What;
        EXPECT_EQ(Window->CurrentDataSet() != nullptr, S.Loaded) << S.What;
        EXPECT_EQ(Window->DBGrid->GetCells(8, 1), S.Loaded ? "Yes" : "No") << S.What;
    }
}

// A damaged file, opened into the register or loaded from its record, is named with the
// reason the reader gave; the record stays and nothing is written over the file.
TEST_F(ExpSetup, ADamagedFileIsToldWithItsReason)
{
    OpenWindow();
    ISXDataSet* Set = MakeRunSet("Ann");
    const std::string File = Dir.File("run.mps");
    ASSERT_TRUE(SaveDataSet(File, Set));
    UseDataSetManager.Release(Set);
    std::string bytes = ReadFileText(File);
    ASSERT_GT(bytes.size(), 64u);
    bytes.resize(bytes.size() / 2);
    WriteFileText(File, bytes);

    TDialogRecorder Dialogs;
    Dialogs.Answers.push_back(TDialogAnswer{mrOk, File, 0});
    Window->RunRegisterInsert();
    ASSERT_EQ(Dialogs.Requests.size(), 2u);
    EXPECT_EQ(Dialogs.Requests[1].Text.rfind("The data set could not be read (", 0), 0u) << Dialogs.Requests[1].Text;
    EXPECT_NE(Dialogs.Requests[1].Text.find("run.mps"), std::string::npos) << Dialogs.Requests[1].Text;
    ASSERT_EQ(Window->ExpTable.Count(), 1);

    // Loading the record's file again says the same.
    Window->SBLoadUnload->Click();
    ASSERT_FALSE(Window->ExpTable.Record(0).Loaded());
    Window->SBLoadUnload->Click();
    ASSERT_EQ(Dialogs.Requests.size(), 3u);
    EXPECT_EQ(Dialogs.Requests[2].Text, Dialogs.Requests[1].Text);
    EXPECT_EQ(ReadFileText(File), bytes);
}

TEST_F(ExpSetup, OpeningAFileTwiceGivesTwoRecordsEachWithItsOwnSet)
{
    OpenWindow();
    ISXDataSet* Set = MakeRunSet("Ann");
    const std::string File = Dir.File("run.mps");
    ASSERT_TRUE(SaveDataSet(File, Set));
    TDialogRecorder Dialogs;
    Dialogs.Answers.push_back(TDialogAnswer{mrOk, File, 0});
    Dialogs.Answers.push_back(TDialogAnswer{mrOk, File, 0});
    Window->RunRegisterInsert();
    ISXDataSet* First = Window->CurrentDataSet();
    Window->RunRegisterInsert();
    ISXDataSet* Second = Window->CurrentDataSet();
    ASSERT_EQ(Window->ExpTable.Count(), 2);
    EXPECT_NE(First, nullptr);
    EXPECT_NE(Second, nullptr);
    EXPECT_NE(First, Second);
    EXPECT_EQ(Dialogs.Requests[0].Kind, TDialogKind::OpenFile);
    EXPECT_EQ(Dialogs.Requests[0].Filter, "Multi-purpose set (*.mps)|*.mps");
    // Cancelled: nothing is entered.
    Dialogs.Answers.push_back(TDialogAnswer{mrCancel, "", 0});
    Window->RunRegisterInsert();
    EXPECT_EQ(Window->ExpTable.Count(), 2);
}

TEST_F(ExpSetup, DeleteAsksWhetherTheFileGoesToo)
{
    OpenWindow();
    std::vector<std::string> Files;
    std::vector<ISXDataSet*> Sets;
    for (int i = 0; i < 3; ++i) {
        Sets.push_back(MakeRunSet("U" + std::to_string(i)));
        Files.push_back(Dir.File("run" + std::to_string(i) + ".mps"));
        Sets.back()->SetFileName(Files.back().c_str());
        Window->AddDataSet(TableOf(Sets.back()));
    }
    ASSERT_EQ(Window->ExpTable.Count(), 3);
    TDialogRecorder Dialogs;
    struct Case {
        int Answer;
        int RecordsLeft;
        bool FileStays;
    };
    const Case Cases[] = {{mrCancel, 3, true}, {mrNo, 2, true}, {mrYes, 1, false}};
    for (const Case& C : Cases) {
        Window->Scroll(0);
        const std::string File = Window->ExpTable.Record(0).FileName;
        ISXDataSet* Held = Window->CurrentDataSet();
        const int CountBefore = UseDataSetManager.AddRef(Held) - 1;
        UseDataSetManager.Release(Held);
        Dialogs.Answer(C.Answer);
        Window->DeleteRecord();
        EXPECT_EQ(Window->ExpTable.Count(), C.RecordsLeft) << C.Answer;
        EXPECT_EQ(IsExistingFile(File), C.FileStays) << C.Answer;
        // A deleted loaded record gives up the register's use of its set.
        const int CountAfter = UseDataSetManager.AddRef(Held) - 1;
        UseDataSetManager.Release(Held);
        EXPECT_EQ(CountAfter, C.Answer == mrCancel ? CountBefore : CountBefore - 1) << C.Answer;
    }
    EXPECT_EQ(Dialogs.Requests.back().Text, "Do you want delete file from hard disk?");
}

TEST_F(ExpSetup, RenameMovesTheFileAndAMissingFileIsRefused)
{
    OpenWindow("[ExpSetupForm]\nWorkDir=" + Dir.Path() + "\n");
    ISXDataSet* Set = MakeRunSet("Ann");
    Set->SetFileName(Dir.File("old.mps").c_str());
    Window->AddDataSet(TableOf(Set));
    Window->Scroll(0);
    EXPECT_TRUE(Window->EditField(TRegField::FileName, "run1.mps"));
    EXPECT_EQ(Window->ExpTable.Record(0).FileName, Dir.File("run1.mps"));
    EXPECT_TRUE(IsExistingFile(Dir.File("run1.mps")));
    EXPECT_FALSE(IsExistingFile(Dir.File("old.mps")));
    EXPECT_EQ(std::string(Set->GetFileName()), Dir.File("run1.mps"));
    // A name the file cannot take: the not-found box, the old name stays.
    TDialogRecorder Dialogs;
    EXPECT_FALSE(Window->EditField(TRegField::FileName, Dir.File("no/such/folder/x.mps")));
    ASSERT_EQ(Dialogs.Requests.size(), 1u);
    EXPECT_EQ(Dialogs.Requests[0].Text, "File " + Dir.File("no/such/folder/x.mps") + " not found!");
    EXPECT_EQ(Window->ExpTable.Record(0).FileName, Dir.File("run1.mps"));
}

TEST_F(ExpSetup, EditingADescriptionFieldWritesItIntoTheSetFile)
{
    OpenWindow();
    ISXDataSet* Set = MakeRunSet("Ann");
    const std::string File = Dir.File("run.mps");
    Set->SetFileName(File.c_str());
    Window->AddDataSet(TableOf(Set));
    Window->Scroll(0);
    Window->SBLoadUnloadClick(nullptr);  // unloaded: the edit loads the file for the check
    ASSERT_EQ(Window->CurrentDataSet(), nullptr);
    const std::string Fifty(50, 'n');
    EXPECT_TRUE(Window->EditField(TRegField::User, Fifty));
    EXPECT_EQ(Window->ExpTable.Record(0).User, Fifty);
    ISXDataSet* Back = LoadDataSet(File);
    ASSERT_NE(Back, nullptr);
    TSXPropertyRef<TZelExperimentInfo> Info(Back, PropExperimentInfo, false);
    ASSERT_NE(Info.Get(), nullptr);
    EXPECT_EQ(ReadFixedText(Info.Get()->UserName), Fifty);
    EXPECT_EQ(ReadFixedText(Info.Get()->CompoundName), "Stearic acid");
    UseDataSetManager.Release(Back);
    // A record whose file is gone cannot be posted.
    std::remove(File.c_str());
    TDialogRecorder Dialogs;
    EXPECT_FALSE(Window->EditField(TRegField::User, "Bob"));
    ASSERT_EQ(Dialogs.Requests.size(), 1u);
    EXPECT_EQ(Dialogs.Requests[0].Text, "File " + File + " not found!");
    EXPECT_EQ(Window->ExpTable.Record(0).User, Fifty);
    // Remove empty file records drops exactly that record.
    Window->RemoveEmptyFileRecords();
    EXPECT_EQ(Window->ExpTable.Count(), 0);
}

TEST_F(ExpSetup, SortingByAColumnTitle)
{
    OpenWindow();
    for (const char* User : {"bob", "Amy", "carl"}) {
        ISXDataSet* Set = MakeRunSet(User);
        Set->SetFileName(Dir.File(std::string(User) + ".mps").c_str());
        Window->AddDataSet(TableOf(Set));
    }
    Window->SortByColumn(3);
    EXPECT_EQ(Window->DBGrid->GetCells(3, 1), "Amy");
    EXPECT_EQ(Window->DBGrid->GetCells(3, 3), "carl");
    Window->SortByColumn(8);  // Loaded: nothing
    EXPECT_EQ(Window->ExpTable.SortField(), TRegField::User);
    Window->SortByColumn(1);
    EXPECT_EQ(Window->ExpTable.SortField(), TRegField::FileName);
    EXPECT_EQ(Window->DBGrid->GetCells(1, 1), "Amy.mps");
}

TEST_F(ExpSetup, TextReportOfATable)
{
    OpenWindow();
    ISXDataSet* Set = MakeRunSet("Ann");
    Set->SetFileName("/data/run.mps");
    const std::string File = Dir.File("report.txt");
    ASSERT_TRUE(Window->ExportText(File, TableOf(Set)));
    const std::string Rule(83, '-');
    EXPECT_EQ(ReadFileText(File),
              "Zelmora experiment\r\nOriginal file name: /data/run.mps\r\nDate: 1/12/2006 12:30\r\n"
              "User: Ann\r\nCompoundName: Stearic acid\r\nSubstrate: \r\nSubphase: \r\nTemperature: \r\n"
              "\r\nData\r\n" +
                  Rule + "\r\n  No      A,cm2 Rotbar-P,rev\r\n" + Rule +
                  "\r\n"
                  "   1       12.3   1.23e+03\r\n   2       24.7   0.000123\r\n" +
                  Rule + "\r\n");
    // Without a table nothing is written.
    EXPECT_FALSE(Window->ExportText(Dir.File("none.txt"), nullptr));
    EXPECT_FALSE(IsExistingFile(Dir.File("none.txt")));
    UseDataSetManager.Release(Set);
}

TEST_F(ExpSetup, TableViewFollowsTheRecordAndAddedRows)
{
    OpenWindow();
    ISXDataSet* Empty = UseDataSetManager.Create();
    Empty->SetFileName(Dir.File("empty.mps").c_str());
    ISXDataSet* Set = MakeRunSet("Ann", 0);
    Set->SetFileName(Dir.File("run.mps").c_str());
    // A set without tables cannot be entered by a table: enter one with a table, then
    // look at a record without a loaded set.
    Window->AddDataSet(TableOf(Set));
    Window->Scroll(0);
    Window->SBLoadUnloadClick(nullptr);
    EXPECT_EQ(Window->SGExperimentData->GetCells(1, 1), "None");
    EXPECT_FALSE(Window->SGExperimentData->GetEnabled());
    Window->SBLoadUnloadClick(nullptr);
    ASSERT_NE(Window->CurrentTable(), nullptr);
    // No rows: one blank row, disabled; rows added later appear, still disabled.
    EXPECT_EQ(Window->SGExperimentData->GetRowCount(), 2);
    EXPECT_FALSE(Window->SGExperimentData->GetEnabled());
    TPTableData Data(Window->CurrentTable());
    Data.AddRows(2);
    Data.SetData(0, 1, 2.5f);
    Window->Perform(WM_ROWSADDED, reinterpret_cast<WPARAM>(Window->CurrentTable()), (LPARAM(0) << 32) | 1);
    EXPECT_EQ(Window->SGExperimentData->GetRowCount(), 3);
    EXPECT_EQ(Window->SGExperimentData->GetCells(1, 2), FloatToStrF(2.5, ffFixed, 12, 3));
    EXPECT_EQ(Window->SGExperimentData->GetCells(0, 2), "2");
    EXPECT_FALSE(Window->SGExperimentData->GetEnabled());
    UseDataSetManager.Release(Empty);
}

TEST_F(ExpSetup, RunningTableShowsEveryRowOfEachAnnouncedRange)
{
    OpenWindow();
    ISXDataSet* Set = MakeRunSet("Ann", 2);
    Set->SetFileName(Dir.File("run.mps").c_str());
    Window->AddDataSet(TableOf(Set));
    Window->Scroll(0);
    ASSERT_EQ(Window->CurrentTable(), TableOf(Set));
    TStringGrid* Grid = Window->SGExperimentData;
    TPTableData Data(TableOf(Set));
    // The run adds several rows between two announcements; each names all of them.
    for (int Batch = 0; Batch < 3; ++Batch) {
        const int First = Data.GetNumRows();
        for (int k = 0; k < 5; ++k) {
            const int Row = Data.GetNumRows();
            Data.AddRows(1);
            Data.SetData(0, Row, 100.f + static_cast<float>(Row));
            Data.SetData(1, Row, -0.5f * static_cast<float>(Row));
        }
        Window->Perform(
            WM_ROWSADDED, reinterpret_cast<WPARAM>(TableOf(Set)),
            MakeRowsAddedRange(static_cast<std::uint32_t>(First), static_cast<std::uint32_t>(Data.GetNumRows() - 1)));
    }
    ASSERT_EQ(Grid->GetRowCount(), 18);
    for (int r = 0; r < Data.GetNumRows(); ++r) {
        EXPECT_EQ(Grid->GetCells(0, r + 1), std::to_string(r + 1));
        for (int c = 0; c < 2; ++c)
            EXPECT_EQ(Grid->GetCells(c + 1, r + 1), FloatToStrF(Data.GetData(c, r), ffFixed, 12, 3)) << r << "," << c;
    }
    // Rows of a table not shown are no business of the view.
    ISXDataSet* Other = MakeRunSet("Bob", 2);
    TPTableData OtherData(TableOf(Other));
    OtherData.AddRows(40);
    Window->Perform(WM_ROWSADDED, reinterpret_cast<WPARAM>(TableOf(Other)), MakeRowsAddedRange(2, 41));
    EXPECT_EQ(Grid->GetRowCount(), 18);
    UseDataSetManager.Release(Other);
}

TEST_F(ExpSetup, ADayLongTableOnDiskIsShownWithoutATextPerCell)
{
    constexpr int Rows = 864000;
    OpenWindow();
    Window->Show();
    Window->PageControl->SetActivePage(Window->tsDataSheets);
    const std::string File = Dir.File("day.mps");
    {
        ISXDataSet* Set = MakeRunSet("Ann", 0);
        TPTableData Data(TableOf(Set));
        Data.SetNumRows(Rows);
        for (int r = 0; r < Rows; ++r) {
            Data.SetData(0, r, 0.1f * static_cast<float>(r));
            Data.SetData(1, r, static_cast<float>(Rows - r));
        }
        ASSERT_TRUE(SaveDataSet(File, Set));
        UseDataSetManager.Release(Set);
    }
    TDialogRecorder Dialogs;
    Dialogs.Answers.push_back(TDialogAnswer{mrOk, File, 0});
    Window->NavigatorButtons[TFExpSetup::nbInsert]->Click();
    ASSERT_NE(Window->CurrentTable(), nullptr);
    TPTableData Data(Window->CurrentTable());
    ASSERT_EQ(Data.GetNumRows(), Rows);
    TStringGrid* Grid = Window->SGExperimentData;
    auto ShowsTheWholeTable = [&] {
        EXPECT_EQ(Grid->GetRowCount(), Rows + 1);
        EXPECT_EQ(Grid->KeptCellCount(), 0u);
        EXPECT_EQ(Grid->GetCells(2, 0), "Rotbar-P, rev");
        EXPECT_EQ(Grid->GetCells(0, Rows), std::to_string(Rows));
        EXPECT_EQ(Grid->GetCells(1, Rows), FloatToStrF(Data.GetData(0, Rows - 1), ffFixed, 12, 3));
        EXPECT_EQ(Grid->GetCells(2, Rows), FloatToStrF(1.0, ffFixed, 12, 3));
    };
    ShowsTheWholeTable();
    // The operator scrolls to the end: the last row is drawn in view.
    Grid->SetTopRow(Rows);
    Grid->Repaint();
    EXPECT_GT(Grid->GetTopRow(), Rows - 20);
    const TRect Last = Grid->CellRect(2, Rows);
    EXPECT_GT(Last.Bottom, Last.Top);
    EXPECT_LE(Last.Bottom, Grid->ClientHeight());
    // Choosing the table again, and entering the set again as a stroke's start does,
    // show it the same way.
    Window->CBExperimentTablesClick(nullptr);
    ShowsTheWholeTable();
    Window->AddDataSet(Window->CurrentTable());
    EXPECT_EQ(Window->ExpTable.Count(), 1);
    ShowsTheWholeTable();
}

// A filer that counts the files it reads and writes and passes every call on.
class TCountingFiler : public ISXFiler {
public:
    explicit TCountingFiler(ISXFiler* Inner) : Inner(Inner) {}
    const char* GetLastError() override { return Inner->GetLastError(); }
    bool Save(const char* FileName, ISXDataSet* DataSet, int Flags) override
    {
        ++Saves;
        return Inner->Save(FileName, DataSet, Flags);
    }
    bool Load(const char* FileName, ISXDataSet* DataSet, int Flags, int Mode) override
    {
        ++Loads;
        return Inner->Load(FileName, DataSet, Flags, Mode);
    }
    bool LoadProperties(const char* FileName, ISXDataSet* DataSet) override
    {
        ++PropertyLoads;
        return Inner->LoadProperties(FileName, DataSet);
    }
    bool SaveProperties(const char* FileName, ISXDataSet* DataSet) override
    {
        ++PropertySaves;
        return Inner->SaveProperties(FileName, DataSet);
    }
    ISXFiler* Inner;
    int Loads = 0, Saves = 0, PropertyLoads = 0, PropertySaves = 0;
};

// Where the bytes of a set file's description property lie: its first byte and size.
std::pair<std::size_t, std::size_t> DescriptionBytes(const std::string& File)
{
    const std::string Key = std::string("\x11\0\0\0", 4) + "ZelExperimentInfo";
    const std::size_t At = File.find(Key);
    if (At == std::string::npos || At + Key.size() + 4 > File.size()) return {0, 0};
    std::uint32_t Size = 0;
    std::memcpy(&Size, File.data() + At + Key.size(), 4);
    return {At + Key.size() + 4, Size};
}

TEST_F(ExpSetup, AnUnloadedRecordsSetFileIsReadOnlyToWriteAChangedDescription)
{
    const std::string File = RegisterUnloadedRun();
    TCountingFiler Counting(Filer);
    Filer = &Counting;
    // A new table list changes no description: the set file is not read for it.
    Window->Scroll(0);
    Window->UpdateTableNames();
    EXPECT_EQ(Counting.Loads, 0);
    EXPECT_EQ(Counting.Saves, 0);
    EXPECT_EQ(Window->ExpTable.Record(0).StrTables, "");
    // A changed description is written into the file's properties, once; the tables are
    // never loaded, and their bytes stay as they were.
    const std::string Before = ReadFileText(File);
    EXPECT_TRUE(Window->EditField(TRegField::Compound, "Behenic acid"));
    EXPECT_EQ(Counting.Loads, 0);
    EXPECT_EQ(Counting.Saves, 0);
    EXPECT_EQ(Counting.PropertyLoads, 1);
    EXPECT_EQ(Counting.PropertySaves, 1);
    Filer = Counting.Inner;
    const std::string After = ReadFileText(File);
    ASSERT_EQ(After.size(), Before.size());
    const auto [Start, Size] = DescriptionBytes(Before);
    ASSERT_GT(Size, 0u);
    EXPECT_EQ(DescriptionBytes(After), std::make_pair(Start, Size));
    EXPECT_EQ(After.substr(0, Start), Before.substr(0, Start));
    EXPECT_NE(After.substr(Start, Size), Before.substr(Start, Size));
    EXPECT_EQ(After.substr(Start + Size, After.size() - 4 - Start - Size),
              Before.substr(Start + Size, Before.size() - 4 - Start - Size));
    ISXDataSet* Back = LoadDataSet(File);
    ASSERT_NE(Back, nullptr);
    TSXPropertyRef<TZelExperimentInfo> Info(Back, PropExperimentInfo, false);
    ASSERT_NE(Info.Get(), nullptr);
    EXPECT_EQ(ReadFixedText(Info.Get()->CompoundName), "Behenic acid");
    EXPECT_EQ(ReadFixedText(Info.Get()->UserName), "Ann");
    EXPECT_NE(TableOf(Back), nullptr);
    UseDataSetManager.Release(Back);
    // Without a filer no set can be had, whatever the post changes.
    Filer = nullptr;
    TDialogRecorder Dialogs;
    Window->UpdateTableNames();
    ASSERT_EQ(Dialogs.Requests.size(), 1u);
    EXPECT_EQ(Dialogs.Requests[0].Text, "Save data error!");
    Filer = Counting.Inner;
}

TEST_F(ExpSetup, ADamagedSetFileIsLeftAsItIsWhenAnUnloadedRecordsDescriptionChanges)
{
    const std::string File = RegisterUnloadedRun();
    // One byte of a table's cells is spoilt: the checksum no longer holds.
    std::string Damaged = ReadFileText(File);
    Damaged[Damaged.size() - 6] ^= 0x40;
    WriteFileText(File, Damaged);
    Window->Scroll(0);
    TDialogRecorder Dialogs;
    EXPECT_FALSE(Window->EditField(TRegField::User, "Bob"));
    ASSERT_EQ(Dialogs.Requests.size(), 1u);
    EXPECT_EQ(Dialogs.Requests[0].Text, "Save data error!");
    EXPECT_EQ(ReadFileText(File), Damaged);
    EXPECT_EQ(Window->ExpTable.Record(0).User, "Ann");
}

// The register as the operator drives it: popup items, the grid's editor, its titles,
// the navigator and the Delete key.
class ExpSetupRegister : public ExpSetup {
protected:
    // Registers three saved runs in the working folder, users bob, Amy and carl.
    void RegisterRuns()
    {
        OpenWindow("[ExpSetupForm]\nWorkDir=" + Dir.Path() + "\n");
        Window->Show();
        Window->PageControl->SetActivePage(Window->tsDataSheets);
        for (const char* User : {"bob", "Amy", "carl"}) {
            ISXDataSet* Set = MakeRunSet(User);
            Set->SetFileName(Dir.File(std::string(User) + ".mps").c_str());
            Window->AddDataSet(TableOf(Set));
        }
        Application->ProcessMessages();
    }
    int LoadedCount() const
    {
        int Loaded = 0;
        for (int i = 0; i < Window->ExpTable.Count(); ++i) Loaded += Window->ExpTable.Record(i).Loaded() ? 1 : 0;
        return Loaded;
    }
    static void Choose(TMenuItem* Item) { Item->PlatformAction()->trigger(); }
    // Types Text into the grid's cell and closes the editor with Enter.
    void EditCell(int Col, int Row, const std::string& Text)
    {
        Window->DBGrid->FocusCell(Col, Row);
        Window->DBGrid->SetEditorMode(true);
        ASSERT_TRUE(Window->DBGrid->GetEditorMode()) << Col << "," << Row;
        Window->DBGrid->InplaceEditor()->SetText(Text);
        WidgetInput::PressKey(Window->DBGrid->InplaceEditor(), Qt::Key_Return, "\r");
    }
};

TEST_F(ExpSetupRegister, PopupMenuItemsAndTheirEffects)
{
    RegisterRuns();
    TMenuItem* Root = Window->PopupMenu->Items();
    std::vector<std::string> Captions;
    for (int i = 0; i < Root->Count(); ++i) Captions.push_back(Root->Items(i)->GetCaption());
    EXPECT_EQ(Captions, (std::vector<std::string>{"Unload", "Unload All", "Remove empty file records", "Clear table",
                                                  "-", "Show experiment info", "Export ..."}));
    EXPECT_FALSE(Window->MIExport->GetVisible());
    // The right button over the grid opens it.
    WidgetInput::Click(Window->DBGrid, 40, 40, Qt::RightButton);
    EXPECT_TRUE(Window->PopupMenu->IsOpen());
    Root->PlatformMenu()->close();

    // Load / Unload follows the button, caption included.
    Window->Scroll(0);
    ASSERT_NE(Window->CurrentDataSet(), nullptr);
    EXPECT_TRUE(Window->miShowInfo->GetEnabled());
    Choose(Window->MILoadUnload);
    EXPECT_EQ(Window->CurrentDataSet(), nullptr);
    EXPECT_EQ(Window->MILoadUnload->GetCaption(), "Load");
    EXPECT_EQ(Window->SBLoadUnload->GetCaption(), "Load");
    EXPECT_FALSE(Window->miShowInfo->GetEnabled());
    EXPECT_EQ(LoadedCount(), 2);
    Choose(Window->MILoadUnload);
    EXPECT_NE(Window->CurrentDataSet(), nullptr);
    EXPECT_EQ(Window->MILoadUnload->GetCaption(), "Unload");

    // A set without its description text: the information box.
    {
        TDialogRecorder Dialogs;
        Choose(Window->miShowInfo);
        ASSERT_EQ(Dialogs.Requests.size(), 1u);
        EXPECT_EQ(Dialogs.Requests[0].Text, "No information");
    }

    Choose(Window->MIUnloadAll);
    EXPECT_EQ(LoadedCount(), 0);
    EXPECT_EQ(Window->MILoadUnload->GetCaption(), "Load");
    EXPECT_EQ(Window->ExpTable.Count(), 3);

    // Remove empty file records: only the record whose file is gone.
    std::remove(Dir.File("Amy.mps").c_str());
    Choose(Window->MIRemoveEmpty);
    ASSERT_EQ(Window->ExpTable.Count(), 2);
    for (int i = 0; i < 2; ++i) EXPECT_NE(Window->ExpTable.Record(i).User, "Amy");
    Choose(Window->MIRemoveEmpty);
    EXPECT_EQ(Window->ExpTable.Count(), 2);

    // Clear table: no record, the files stay; the register file holds none after a restart.
    Choose(Window->MIClearTable);
    EXPECT_EQ(Window->ExpTable.Count(), 0);
    EXPECT_TRUE(IsExistingFile(Dir.File("bob.mps")));
    EXPECT_TRUE(IsExistingFile(Dir.File("carl.mps")));
    Reopen();
    EXPECT_EQ(Window->ExpTable.Count(), 0);
}

TEST_F(ExpSetupRegister, GridEditsRenameTheFileAndRewriteAnUnloadedSet)
{
    RegisterRuns();
    Window->UnloadAll();
    const int Row = Window->FindByDataName("bob.mps") + 1;
    ASSERT_GT(Row, 0);
    // The computed columns never open an editor.
    for (int Col : {1, 2, 8}) {
        Window->DBGrid->FocusCell(Col, Row);
        Window->DBGrid->SetEditorMode(true);
        EXPECT_FALSE(Window->DBGrid->GetEditorMode()) << Col;
    }
    // An unloaded record's description texts go into its set file.
    struct Case {
        int Col;
        std::string Text;
    };
    const Case Cases[] = {{3, "Zoe"}, {4, "Behenic acid"}, {5, "Mica"}, {6, "Water"}, {7, "21.5"}};
    for (const Case& C : Cases) EditCell(C.Col, Row, C.Text);
    {
        ISXDataSet* Back = LoadDataSet(Dir.File("bob.mps"));
        ASSERT_NE(Back, nullptr);
        TSXPropertyRef<TZelExperimentInfo> Info(Back, PropExperimentInfo, false);
        ASSERT_NE(Info.Get(), nullptr);
        EXPECT_EQ(ReadFixedText(Info.Get()->UserName), "Zoe");
        EXPECT_EQ(ReadFixedText(Info.Get()->CompoundName), "Behenic acid");
        EXPECT_EQ(ReadFixedText(Info.Get()->Substrate), "Mica");
        EXPECT_EQ(ReadFixedText(Info.Get()->Subphase), "Water");
        EXPECT_EQ(ReadFixedText(Info.Get()->Temperature), "21.5");
        UseDataSetManager.Release(Back);
    }
    EXPECT_EQ(Window->DBGrid->GetCells(3, Row), "Zoe");
    EXPECT_EQ(LoadedCount(), 0);

    // The file-name cell renames the file into the working folder.
    EditCell(9, Row, "renamed.mps");
    const int Renamed = Window->FindByDataName("renamed.mps");
    ASSERT_GE(Renamed, 0);
    EXPECT_EQ(Window->ExpTable.Record(Renamed).FileName, Dir.File("renamed.mps"));
    EXPECT_TRUE(IsExistingFile(Dir.File("renamed.mps")));
    EXPECT_FALSE(IsExistingFile(Dir.File("bob.mps")));
    EXPECT_EQ(Window->DBGrid->GetCells(9, Renamed + 1), Dir.File("renamed.mps"));

    // A refused edit: the box, and the grid shows the record's value again.
    std::remove(Dir.File("renamed.mps").c_str());
    TDialogRecorder Dialogs;
    EditCell(3, Renamed + 1, "Max");
    ASSERT_EQ(Dialogs.Requests.size(), 1u);
    EXPECT_EQ(Dialogs.Requests[0].Text, "File " + Dir.File("renamed.mps") + " not found!");
    EXPECT_EQ(Window->DBGrid->GetCells(3, Renamed + 1), "Zoe");
}

TEST_F(ExpSetupRegister, TitleClicksNavigatorAndDeleteKey)
{
    RegisterRuns();
    const TRect User = Window->DBGrid->CellRect(3, 0);
    WidgetInput::Click(Window->DBGrid, User.Left + 3, User.Top + 3);
    EXPECT_EQ(Window->ExpTable.SortField(), TRegField::User);
    EXPECT_EQ(Window->DBGrid->GetCells(3, 1), "Amy");
    const TRect Loaded = Window->DBGrid->CellRect(8, 0);
    WidgetInput::Click(Window->DBGrid, Loaded.Left + 3, Loaded.Top + 3);
    EXPECT_EQ(Window->ExpTable.SortField(), TRegField::User);

    struct Case {
        TFExpSetup::TNavigateBtn Button;
        int RecNo;
    };
    const Case Moves[] = {{TFExpSetup::nbLast, 2},  {TFExpSetup::nbNext, 2},  {TFExpSetup::nbPrior, 1},
                          {TFExpSetup::nbFirst, 0}, {TFExpSetup::nbPrior, 0}, {TFExpSetup::nbNext, 1}};
    for (const Case& C : Moves) {
        Window->NavigatorButtons[C.Button]->Click();
        EXPECT_EQ(Window->RecNo(), C.RecNo) << C.Button;
    }
    EXPECT_TRUE(Window->NavigatorButtons[TFExpSetup::nbFirst]->Flat);

    // Insert opens a set file; Delete (button or key) asks about the file.
    TDialogRecorder Dialogs;
    Dialogs.Answers.push_back(TDialogAnswer{mrOk, Dir.File("carl.mps"), 0});
    Window->NavigatorButtons[TFExpSetup::nbInsert]->Click();
    ASSERT_EQ(Window->ExpTable.Count(), 4);
    EXPECT_EQ(Dialogs.Requests.back().Kind, TDialogKind::OpenFile);
    Dialogs.Answer(mrNo);
    Window->NavigatorButtons[TFExpSetup::nbDelete]->Click();
    EXPECT_EQ(Window->ExpTable.Count(), 3);
    EXPECT_TRUE(IsExistingFile(Dir.File("carl.mps")));
    Window->Scroll(0);
    const std::string First = Window->ExpTable.Record(0).FileName;
    Dialogs.Answer(mrYes);
    WidgetInput::PressKey(Window->DBGrid, Qt::Key_Delete);
    EXPECT_EQ(Window->ExpTable.Count(), 2);
    EXPECT_FALSE(IsExistingFile(First));
    EXPECT_EQ(Dialogs.Requests.back().Text, "Do you want delete file from hard disk?");
}

TEST_F(ExpSetup, CellCorrectionsGoIntoTheTableAndEveryGraphOfIt)
{
    ISXDataSet* Set = OpenWithRun();
    ASSERT_EQ(Window->CurrentTable(), TableOf(Set));
    TFGraph* Graph = NewGraph();
    Graph->SetData(TableOf(Set), "Area", "Rotating barrier position", nullptr);
    auto LeftY = [&](int Row) { return Graph->Chart->LineSeries()->GetItem(0)->Points().at(Row).y; };
    TStringGrid* Grid = Window->SGExperimentData;
    auto Type = [&](int Col, int Row, const std::string& Text) {
        Grid->FocusCell(Col, Row);
        Grid->SetEditorMode(true);
        ASSERT_TRUE(Grid->GetEditorMode());
        Grid->InplaceEditor()->SetText(Text);
    };

    // Enter: a comma or a point, the value goes into the table and the graph follows.
    Type(2, 2, "2,5");
    WidgetInput::PressKey(Grid->InplaceEditor(), Qt::Key_Return, "\r");
    TPTableData Data(TableOf(Set));
    EXPECT_FLOAT_EQ(Data.GetData(1, 1), 2.5f);
    EXPECT_EQ(Grid->GetCells(2, 2), FloatToStrF(2.5, ffFixed, 12, 3));
    Application->ProcessMessages();
    EXPECT_DOUBLE_EQ(LeftY(1), 2.5);

    // Moving away without Enter drops the text; a text that is no number changes nothing.
    Type(1, 1, "99");
    Grid->FocusCell(1, 2);
    EXPECT_EQ(Grid->GetCells(1, 1), FloatToStrF(Data.GetData(0, 0), ffFixed, 12, 3));
    Type(2, 1, "abc");
    WidgetInput::PressKey(Grid->InplaceEditor(), Qt::Key_Return, "\r");
    EXPECT_FLOAT_EQ(Data.GetData(1, 0), 1234.f);
    EXPECT_EQ(Grid->GetCells(2, 1), FloatToStrF(1234.0, ffFixed, 12, 3));
    EXPECT_FLOAT_EQ(Data.GetData(0, 0), 12.3456f);
    FreeForm(Graph);
}

TEST_F(ExpSetup, CreateGraphFromTheRegister)
{
    ISXDataSet* Set = OpenWithRun();
    ASSERT_NE(Window->CurrentTable(), nullptr);
    EXPECT_TRUE(Window->SBCreateGraph->GetEnabled());
    EXPECT_EQ(Window->CBGraphBottomAxis->Items().Lines(),
              (std::vector<std::string>{"Area", "Rotating barrier position"}));
    EXPECT_EQ(Window->CBGraphRightAxis->Items().Lines(),
              (std::vector<std::string>{"None", "Area", "Rotating barrier position"}));
    // No default axes in this table: no choice, and the box until the operator picks one.
    EXPECT_EQ(Window->CBGraphBottomAxis->GetItemIndex(), -1);
    const std::size_t GraphsBefore = GraphManager.Graphs().size();
    {
        TDialogRecorder Dialogs;
        Window->SBCreateGraph->Click();
        ASSERT_EQ(Dialogs.Requests.size(), 1u);
        EXPECT_EQ(Dialogs.Requests[0].Text, "Unknown bottom axis data!");
    }
    EXPECT_EQ(GraphManager.Graphs().size(), GraphsBefore);

    Window->CBGraphBottomAxis->SetItemIndex(0);
    Window->CBGraphLeftAxis->SetItemIndex(1);
    Window->CBGraphRightAxis->SetItemIndex(0);
    Window->SBCreateGraph->Click();
    ASSERT_EQ(GraphManager.Graphs().size(), GraphsBefore + 1);
    TFGraph* Graph = GraphManager.Graphs().back();
    EXPECT_EQ(Graph->GetCaption(), "Isotherm of Stearic acid");
    EXPECT_EQ(Graph->GraphProp.TitleText, "Isotherm of Stearic acid");
    EXPECT_TRUE(Graph->GetVisible());
    ASSERT_EQ(Graph->AxisLeft.Lines.size(), 1u);
    EXPECT_TRUE(Graph->AxisRight.Lines.empty());
    EXPECT_EQ(Graph->Chart->LineSeries()->GetItem(0)->Points().size(), 3u);

    // The graph's property dialog offers the register's tables after the graph's own run,
    // and a register name chosen there gives that record's table.
    Graph->MIProperties->Click();
    ASSERT_NE(Graph->PropDialog, nullptr);
    TStringList Offered;
    ASSERT_EQ(Window->ListTables(&Offered), 1);
    const std::vector<std::string> Items = Graph->PropDialog->CBExperiment->Items().Lines();
    ASSERT_FALSE(Items.empty());
    EXPECT_EQ(Items.back(), Offered[0]);
    EXPECT_EQ(Graph->PropDialog->ResolveSource(Offered[0]), TableOf(Set));
    EXPECT_EQ(Graph->PropDialog->ResolveSource("nothing.Isotherm"), nullptr);
    FreeForm(Graph);

    // A record without a loaded set: nothing to draw from.
    Window->SBLoadUnloadClick(nullptr);
    EXPECT_FALSE(Window->SBCreateGraph->GetEnabled());
}

}  // namespace

TEST_F(ExpSetup, ClickingARegisterRowMakesItTheCurrentRecordAndNamesShowWhole)
{
    OpenWindow();
    Window->Show();
    for (const char* Name : {"isotherm of stearic acid, first run", "isotherm of stearic acid, second run"}) {
        ISXDataSet* Set = MakeRunSet("U");
        Set->SetFileName(Dir.File(std::string(Name) + ".mps").c_str());
        Window->AddDataSet(TableOf(Set));
    }
    ASSERT_EQ(Window->ExpTable.Count(), 2);
    for (int Record : {0, 1, 0}) {
        const TRect Cell = Window->DBGrid->CellRect(3, Record + 1);
        OperatorClick(Window->DBGrid->Widget(), (Cell.Left + Cell.Right) / 2, (Cell.Top + Cell.Bottom) / 2);
        EXPECT_EQ(Window->RecNo(), Record);
        EXPECT_EQ(Window->DBGrid->GetRow(), Record + 1);
        EXPECT_EQ(Window->ExpTable.Record(Window->RecNo()).FileName, Window->ExpTable.Record(Record).FileName);
    }
    // Load acts on the record clicked last.
    Window->SBLoadUnload->Click();
    EXPECT_EQ(Window->RecNo(), 0);
    for (int Record = 0; Record < 2; ++Record) {
        const std::string Name = Window->DBGrid->GetCells(1, Record + 1);
        EXPECT_GE(Window->DBGrid->GetColWidths(1), Window->DBGrid->Canvas()->TextWidth(Name)) << Name;
    }
}
