#include "zel/experiment/Uexpsetup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/kvcls/kvcls.h"
#include "platform/tabrix/SXDataSet.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlBuilder.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Cursors.h"
#include "platform/base/FloatFormat.h"
#include "platform/base/Strings.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Common.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"
#include "zel/experiment/Graphmanager.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/experiment/Ugraph.h"
#include "zel/experiment/Ushowexperimentinfo.h"
#include "zel/experiment/Usedatasetmanager.h"

TFExpSetup* FExpSetup = nullptr;

namespace {

constexpr const char* Section = "ExpSetupForm";
constexpr double Avogadro = 6.02e23;
constexpr double SquareNanometresPerSquareCentimetre = 1e14;
constexpr int MaxComponents = 20;
constexpr const char* NodeKeys[] = {"SolName", "M_ind", "m_par", "V_ind", "v_par"};
constexpr const char* SetFilter = "Multi-purpose set (*.mps)|*.mps";

// A number typed by the operator or stored in the settings: "." or ",".
bool ReadNumber(const std::string& Text, double& Value)
{
    try {
        Value = ConvertString2Float(Text);
        return true;
    } catch (const EConvertError&) {
        return false;
    }
}

std::string Format(const char* Pattern, auto... Values)
{
    const int Size = std::snprintf(nullptr, 0, Pattern, Values...);
    std::string Out(static_cast<std::size_t>(std::max(Size, 0)) + 1, '\0');
    std::snprintf(Out.data(), Out.size(), Pattern, Values...);
    Out.resize(static_cast<std::size_t>(std::max(Size, 0)));
    return Out;
}

}  // namespace

bool TNodesGrid::SelectCell(int Col, int Row) { return !OnSelectCellQuery || OnSelectCellQuery(Col, Row); }

TFExpSetup::TFExpSetup(TComponent* Owner) : TToolWindow(Owner, TToolWindowKind::ExpSetup)
{
    Name = "FExpSetup";
    SetCaption("Experimental Setup");
    SetBounds(0, 0, 720, 520);
    PageControl = MakeControl<TPageControl>(this, this, "", "", 0, 0, 720, 520);
    PageControl->DockSite = false;
    PageControl->SetAlign(alClient);
    tsDescription = new TTabSheet(this, PageControl);
    tsDescription->SetCaption("Description");
    tsDataSheets = new TTabSheet(this, PageControl);
    tsDataSheets->SetCaption("Data Sheets");

    gbDataList = MakeControl<TGroupBox>(this, tsDescription, "", "Data List", 4, 4, 330, 180);
    TLabel** Labels[] = {&LUserName, &LCompoundName, &LSubstrate, &LSubphase, &LTemperature};
    TComboBox** Combos[] = {&CBUserName, &CBCompoundName, &CBSubstrate, &CBSubphase, &CBTemperature};
    const char* LabelTexts[] = {"User name", "Compound name", "Substrate", "Subphase", "Temperature"};
    for (int i = 0; i < 5; ++i) {
        *Labels[i] = MakeControl<TLabel>(this, gbDataList, "", LabelTexts[i], 8, 22 + 30 * i, 110, 20);
        TComboBox* Combo = MakeControl<TComboBox>(this, gbDataList, "", "", 120, 20 + 30 * i, 200, 24);
        Combo->OnExit = [this, Combo](TObject*) { ComboExit(Combo); };
        *Combos[i] = Combo;
    }
    gbWorkingDir = MakeControl<TGroupBox>(this, tsDescription, "", "Working Directory", 4, 190, 330, 56);
    DEWorkingDir = MakeControl<TDirectoryEdit>(this, gbWorkingDir, "", "", 8, 22, 312, 24);

    gbSolution = MakeControl<TGroupBox>(this, tsDescription, "", "Solution Composition", 340, 4, 370, 420);
    LCompositionCount = MakeControl<TLabel>(this, gbSolution, "", "Composition count", 8, 22, 120, 20);
    EDCompositionCount = MakeControl<KVC::TKvEdit>(this, gbSolution, "", "", 130, 20, 50, 24);
    EDCompositionCount->SetTypeValue(KVC::tvDecimal);
    EDCompositionCount->Min = 1;
    EDCompositionCount->Max = MaxComponents;
    EDCompositionCount->DefaultValue = "1";
    EDCompositionCount->Increment = 1;
    EDCompositionCount->InitInt(1);
    EDCompositionCount->OnEnterValue = [this](TObject* Sender) { EDCompositionCountEnterValue(Sender); };
    btnCompCountDown = MakeControl<TButton>(this, gbSolution, "", "<", 182, 20, 22, 24);
    btnCompCountUp = MakeControl<TButton>(this, gbSolution, "", ">", 204, 20, 22, 24);
    btnCompCountDown->OnClick = [this](TObject*) {
        EDCompositionCount->SetValueInt(EDCompositionCount->GetValueInt() -
                                        static_cast<int>(EDCompositionCount->Increment));
    };
    btnCompCountUp->OnClick = [this](TObject*) {
        EDCompositionCount->SetValueInt(EDCompositionCount->GetValueInt() +
                                        static_cast<int>(EDCompositionCount->Increment));
    };
    LVolumeOfSolvent = MakeControl<TLabel>(this, gbSolution, "", "Volume of Solvent, ml", 8, 52, 150, 20);
    EDVolumeOfSolvent = MakeControl<KVC::TKvEdit>(this, gbSolution, "", "", 160, 50, 80, 24);
    LAliquot = MakeControl<TLabel>(this, gbSolution, "", "Aliquot, ml", 8, 82, 150, 20);
    EDAliquot = MakeControl<KVC::TKvEdit>(this, gbSolution, "", "", 160, 80, 80, 24);
    for (KVC::TKvEdit* Edit : {EDVolumeOfSolvent, EDAliquot}) {
        Edit->SetTypeValue(KVC::tvFloat);
        Edit->FloatDigits = 3;
        Edit->DefaultValue = "1";
        Edit->SetText("1");
    }
    EDAliquot->OnEnterValue = [this](TObject* Sender) { EDAliquotEnterValue(Sender); };
    LSurfaceArea = MakeControl<TLabel>(this, gbSolution, "", "Surface Area, nm^2", 8, 112, 150, 20);
    STSurfaceArea = MakeControl<TLabel>(this, gbSolution, "", "", 160, 112, 150, 20);
    STSurfaceArea->Font()->SetStyle(TFontStyles() << fsBold);
    SGNodes = MakeControl<TNodesGrid>(this, gbSolution, "", "", 8, 140, 354, 270);
    SGNodes->SetOptions(goEditing | goTabs);
    SGNodes->SetColCount(4);
    SGNodes->SetRowCount(2);
    SGNodes->SetColWidths(0, 20);
    SGNodes->OnSelectCellQuery = [this](int Col, int Row) {
        const bool Accept = ValidateNodeCell(FNodeCol, FNodeRow);
        if (Accept) {
            FNodeCol = Col;
            FNodeRow = Row;
            FSavedNodeText = SGNodes->GetCells(Col, Row);
        }
        return Accept;
    };
    SGNodes->OnKeyPress = [this](TObject*, char& Key) { SGNodesKeyPress(Key); };
    SGNodes->OnExit = [this](TObject*) { ValidateNodeCell(FNodeCol, FNodeRow); };

    gbExperiments = MakeControl<TGroupBox>(this, tsDataSheets, "", "Experiments", 4, 4, 600, 200);
    auto* Register = MakeControl<TNodesGrid>(this, gbExperiments, "", "", 8, 20, 584, 172);
    // The operator's choice of a row makes its record the current one (Load and Unload act on it).
    Register->OnSelectCellQuery = [this](int, int Row) {
        if (Row - 1 != FRecNo && Row - 1 < ExpTable.Count()) Scroll(Row - 1);
        return true;
    };
    DBGrid = Register;
    DBGrid->SetColCount(RegColumnCount + 1);
    DBGrid->SetRowCount(2);
    for (int c = 0; c < RegColumnCount; ++c) DBGrid->SetCells(c + 1, 0, RegColumns[c].Title);
    gbOperations = MakeControl<TGroupBox>(this, tsDataSheets, "", "Operations", 610, 4, 100, 200);
    SBLoadUnload = MakeControl<TButton>(this, gbOperations, "", "Load", 8, 20, 84, 25);
    SBLoadUnload->OnClick = [this](TObject* Sender) { SBLoadUnloadClick(Sender); };
    BuildRegisterControls();
    gbExperimentTables = MakeControl<TGroupBox>(this, tsDataSheets, "", "Experiment Tables", 4, 210, 300, 56);
    CBExperimentTables = MakeControl<TComboBox>(this, gbExperimentTables, "", "", 8, 22, 284, 24);
    CBExperimentTables->SetStyle(csDropDownList);
    CBExperimentTables->OnChange = [this](TObject* Sender) { CBExperimentTablesClick(Sender); };
    gbExperimentData = MakeControl<TGroupBox>(this, tsDataSheets, "", "Experiment Data", 4, 270, 706, 220);
    SGExperimentData = MakeControl<TStringGrid>(this, gbExperimentData, "", "", 8, 20, 690, 190);
    SGExperimentData->SetOptions(goEditing);
    BuildCreateGraphControls();
    SGExperimentData->OnKeyPress = [this](TObject*, char& Key) { SGExperimentDataKeyPress(Key); };

    // A child of the main window's area, except for the layer-by-layer device, where it
    // is a window of its own.
    if (DeviceType != dtLbl) SetFormStyle(fsMDIChild);
}

TFExpSetup::~TFExpSetup()
{
    if (FExpSetup == this) FExpSetup = nullptr;
}

void TFExpSetup::PrepareWindow()
{
    const char* Titles[] = {"Name", "M, g", "m, g", "V, ml", "v, ml"};
    for (int c = 0; c < 5; ++c) SGNodes->SetCells(c + 1, 0, Titles[c]);
    SGNodes->SetCells(0, 1, "1");
    ExpTable.OnWriteFailed = [](const std::string& Error) {
        Application->MessageBox(Error, "Experimental Setup", MB_OK | MB_ICONERROR);
    };
    if (!ExpTable.Open(AppPath + "exp.d"))
        Application->MessageBox(ExpTable.Error(), "Experimental Setup", MB_OK | MB_ICONERROR);
}

std::vector<TCaptionTarget> TFExpSetup::CaptionTargets()
{
    std::vector<TCaptionTarget> Targets = {CaptionOf(this),
                                           CaptionOf(tsDescription),
                                           CaptionOf(gbDataList),
                                           CaptionOf(LUserName),
                                           CaptionOf(LCompoundName),
                                           CaptionOf(LSubstrate),
                                           CaptionOf(LSubphase),
                                           CaptionOf(LTemperature),
                                           CaptionOf(gbSolution),
                                           nullptr,
                                           nullptr,
                                           CaptionOf(LVolumeOfSolvent),
                                           CaptionOf(LAliquot),
                                           CaptionOf(LSurfaceArea),
                                           CaptionOf(gbWorkingDir),
                                           CaptionOf(tsDataSheets),
                                           CaptionOf(gbExperimentTables),
                                           CaptionOf(gbOperations),
                                           CaptionOf(gbExperimentData),
                                           CaptionOf(gbCreateGraph),
                                           CaptionOf(LGraphBottomAxis),
                                           CaptionOf(LGraphLeftAxis),
                                           CaptionOf(LGraphRightAxis),
                                           CaptionOf(SBCreateGraph),
                                           CaptionOf(gbExperiments)};
    for (int c = 0; c < RegColumnCount; ++c)
        Targets.push_back([this, c](const std::string& Text) { DBGrid->SetCells(c + 1, 0, Text); });
    Targets.push_back(CaptionOf(LCompositionCount));
    return Targets;
}

// ---------------------------------------------------------------------------------------
// Description and settings

std::vector<std::pair<TComboBox*, const char*>> TFExpSetup::StoredLists() const
{
    return {{CBUserName, "UserName"},
            {CBCompoundName, "CompoundName"},
            {CBSubstrate, "Substrate"},
            {CBSubphase, "Subphase"},
            {CBTemperature, "Temperature"}};
}

void TFExpSetup::LoadValues()
{
    for (const auto& [Combo, Key] : StoredLists()) {
        Combo->ClearItems();
        for (int i = 0;; ++i) {
            const std::string Item = IniFile->ReadString(Section, Key + std::to_string(i), "");
            if (Item.empty()) break;
            Combo->AddItem(Item);
        }
        Combo->SetText(IniFile->ReadString(Section, Key, Combo->GetText()));
    }
    double Number = 0;
    if (ReadNumber(IniFile->ReadString(Section, "Aliquot", EDAliquot->GetText()), Number))
        EDAliquot->SetText(FloatToStr(Number));
    const int Count = IniFile->ReadInteger(Section, "CompositionCount", EDCompositionCount->GetValueInt());
    EDCompositionCount->InitInt(std::clamp(Count, 1, MaxComponents));
    CompositionCountChanged();
    for (int i = 0; i < EDCompositionCount->GetValueInt(); ++i) {
        SGNodes->SetCells(1, i + 1, IniFile->ReadString(Section, NodeKeys[0] + std::to_string(i), ""));
        for (int c = 1; c < 5; ++c) {
            const std::string Text = IniFile->ReadString(Section, NodeKeys[c] + std::to_string(i), "1");
            SGNodes->SetCells(c + 1, i + 1, ReadNumber(Text, Number) ? FloatToStr(Number) : std::string("1"));
        }
    }
    DEWorkingDir->SetText(IniFile->ReadString(Section, "WorkDir", DEWorkingDir->GetText()));
    // An empty working folder means the program folder.
    if (DEWorkingDir->GetText().empty()) DEWorkingDir->SetText(AppPath);
    // Set files are written here; what a crash left half written goes first.
    RemoveStaleTemporaryFiles(GetWorkDir());
    EDAliquotEnterValue(this);

    // Sets loaded in an earlier run are gone: no record starts loaded.
    for (int i = 0; i < ExpTable.Count(); ++i)
        if (ExpTable.Record(i).SXDataSet != 0) {
            TRegRecord Record = ExpTable.Record(i);
            Record.SXDataSet = 0;
            ExpTable.Update(i, Record);
        }
    Scroll(ExpTable.Count() > 0 ? 0 : -1);
}

void TFExpSetup::SaveValues()
{
    for (const auto& [Combo, Key] : StoredLists()) {
        for (int i = 0; i < Combo->Items().Count(); ++i)
            IniFile->WriteString(Section, Key + std::to_string(i), Combo->Items()[i]);
        IniFile->WriteString(Section, Key, Combo->GetText());
    }
    IniFile->WriteString(Section, "Aliquot", EDAliquot->GetText());
    IniFile->WriteInteger(Section, "CompositionCount", EDCompositionCount->GetValueInt());
    for (int i = 0; i < EDCompositionCount->GetValueInt(); ++i)
        for (int c = 0; c < 5; ++c)
            IniFile->WriteString(Section, NodeKeys[c] + std::to_string(i), SGNodes->GetCells(c + 1, i + 1));
    IniFile->WriteString(Section, "WorkDir", DEWorkingDir->GetText());
}

void TFExpSetup::ComboExit(TComboBox* Combo)
{
    const std::string Text = Combo->GetText();
    if (Text.empty()) return;
    for (const std::string& Item : Combo->Items().Lines())
        if (Item == Text) return;
    Combo->AddItem(Text);
}

std::string TFExpSetup::GetWorkDir() const
{
    std::string Folder = DEWorkingDir->GetText();
    if (!Folder.empty() && Folder.back() != '/') Folder += '/';
    return Folder;
}

void TFExpSetup::EDCompositionCountEnterValue(TObject*) { CompositionCountChanged(); }

void TFExpSetup::CompositionCountChanged()
{
    const int Count = std::clamp(EDCompositionCount->GetValueInt(), 1, MaxComponents);
    SGNodes->SetRowCount(Count + 1);
    for (int r = 1; r <= Count; ++r) SGNodes->SetCells(0, r, std::to_string(r));
    if (Count == 1) {
        EDVolumeOfSolvent->SetReadOnly(false);
        EDVolumeOfSolvent->OnEnterValue = [this](TObject* Sender) { EDAliquotEnterValue(Sender); };
        SGNodes->SetColCount(4);
    } else if (SGNodes->GetColCount() == 4) {
        SGNodes->SetColCount(6);
        SGNodes->SetCells(4, 0, "V, ml");
        SGNodes->SetCells(5, 0, "v, ml");
        EDVolumeOfSolvent->SetReadOnly(true);
        EDVolumeOfSolvent->OnEnterValue = nullptr;
    }
}

void TFExpSetup::SGNodesKeyPress(char& Key)
{
    if (SGNodes->GetCol() == 1) return;
    if (Key == '.' || Key == ',') {
        Key = GetDecimalSeparator();
        return;
    }
    const bool Taken = (Key >= '0' && Key <= '9') || Key == '\t' || Key == '\r' || Key == 27 || Key == '\b';
    if (!Taken) Key = 0;
    if (Key == '\r') ValidateNodeCell(SGNodes->GetCol(), SGNodes->GetRow());
}

bool TFExpSetup::ValidateNodeCell(int Col, int Row)
{
    if (Col == 1) return true;
    const std::string Text = SGNodes->GetCells(Col, Row);
    if (Text == FSavedNodeText) return true;
    double Value = 0;
    if (!Text.empty() && ReadNumber(Text, Value)) {
        FSavedNodeText = Text;
        EDAliquotEnterValue(this);
    } else {
        SGNodes->SetCells(Col, Row, FSavedNodeText);
    }
    // The first attempt to leave a changed cell stays on it, so the operator sees the
    // result; the next attempt succeeds.
    return false;
}

double TFExpSetup::CalcMoleculeCount()
{
    const int Count = EDCompositionCount->GetValueInt();
    double Aliquot = 0;
    if (!ReadNumber(EDAliquot->GetText(), Aliquot)) return -1;
    auto Cell = [this](int Col, int Row, double& Value) {
        const std::string Text = SGNodes->GetCells(Col, Row);
        return !Text.empty() && ReadNumber(Text, Value);
    };
    if (Count <= 1) {
        double MolarMass = 0, Mass = 0, Volume = 0;
        if (!Cell(2, 1, MolarMass) || !Cell(3, 1, Mass)) return -1;
        if (!ReadNumber(EDVolumeOfSolvent->GetText(), Volume)) return -1;
        if (Aliquot == 0 || Volume == 0) return -1;
        return (Mass / MolarMass) * (Aliquot / Volume) * Avogadro;
    }
    if (Aliquot == 0) return -1;
    double Sum = 0, Taken = 0;
    for (int r = 1; r <= Count; ++r) {
        double MolarMass = 0, Mass = 0, Volume = 0, Part = 0;
        if (!Cell(2, r, MolarMass) || !Cell(3, r, Mass) || !Cell(4, r, Volume) || !Cell(5, r, Part)) return -1;
        if (MolarMass == 0 || Mass == 0 || Volume == 0 || Part == 0) return -1;
        Sum += Mass * Part / (MolarMass * Volume);
        Taken += Part;
    }
    EDVolumeOfSolvent->SetValueFloat(Taken);
    return Aliquot / Taken * Sum * Avogadro;
}

double TFExpSetup::AreaPerMolecule(double Area)
{
    const double Count = CalcMoleculeCount();
    // No molecules, or a count that is not finite, has no area per molecule.
    if (!(Count > 0) || !std::isfinite(Count)) return -1;
    return Area * SquareNanometresPerSquareCentimetre / Count;
}

void TFExpSetup::EDAliquotEnterValue(TObject*)
{
    const double Area = AreaPerMolecule(CalibrateParam.surface.GetSquareMax());
    if (Area < 0 || !std::isfinite(Area))
        STSurfaceArea->SetCaption(GetResString("Calculation error!", "Calculation error!"));
    else
        STSurfaceArea->SetCaption(FloatToStrF(Area, ffFixed, 15, 3));
}

std::string TFExpSetup::GetDescriptionText() const
{
    std::string Text =
        Format("%s: %s;\r\n%s: %s;\r\n%s: %s;\r\n%s: %s;\r\n%s: %s;\r\n", LUserName->GetCaption().c_str(),
               CBUserName->GetText().c_str(), LCompoundName->GetCaption().c_str(), CBCompoundName->GetText().c_str(),
               LSubstrate->GetCaption().c_str(), CBSubstrate->GetText().c_str(), LSubphase->GetCaption().c_str(),
               CBSubphase->GetText().c_str(), LTemperature->GetCaption().c_str(), CBTemperature->GetText().c_str());
    const int Count = EDCompositionCount->GetValueInt();
    Text += Format("\r\n%s\r\n%s: %d\r\n", gbSolution->GetCaption().c_str(), LCompositionCount->GetCaption().c_str(),
                   Count);
    auto Cell = [this](int Col, int Row) { return SGNodes->GetCells(Col, Row); };
    if (Count <= 1) {
        Text += Format("%s M=%sg m=%sg\r\n", Cell(1, 1).c_str(), Cell(2, 1).c_str(), Cell(3, 1).c_str());
    } else {
        for (int i = 0; i < Count; ++i)
            Text += Format("%d. %s M=%sg m=%sg V=%sml v=%sml\r\n", i, Cell(1, i + 1).c_str(), Cell(2, i + 1).c_str(),
                           Cell(3, i + 1).c_str(), Cell(4, i + 1).c_str(), Cell(5, i + 1).c_str());
    }
    Text += Format("%s=%s %s=%s\r\n", LVolumeOfSolvent->GetCaption().c_str(), EDVolumeOfSolvent->GetText().c_str(),
                   LAliquot->GetCaption().c_str(), EDAliquot->GetText().c_str());
    return Text;
}

std::string TFExpSetup::GetDeviceInfoText() const
{
    std::string Name, Version, Maker, Date;
    // Each query may wait its full bound for a silent instrument: the operator sees the
    // wait, and a query left unanswered spares the others, which would only wait again.
    TWaitCursor Wait;
    using TQuery = void (THlProvider::*)(std::string&);
    const std::pair<TQuery, std::string*> Queries[] = {{&THlProvider::GetDeviceName, &Name},
                                                       {&THlProvider::GetDeviceVersion, &Version},
                                                       {&THlProvider::GetManufacturer, &Maker},
                                                       {&THlProvider::GetDeviceDate, &Date}};
    for (const auto& [Query, Text] : Queries) {
        (HlProvider.*Query)(*Text);
        if (Text->empty()) break;
    }
    return Format("Device informationDevice Name: %s\r\nVersion: %s\r\nManufacturer: %s\r\nDate: %s\r\n\r\n",
                  Name.c_str(), Version.c_str(), Maker.c_str(), Date.c_str());
}

// ---------------------------------------------------------------------------------------
// New file names

std::string TFExpSetup::MakeDataFileName(const TLocalDateTime& Now)
{
    return Format("zel%02d%02d%02d%02d%02d.mps", Now.Year - 2000, Now.Month, Now.Day, Now.Hour, Now.Minute);
}

std::string TFExpSetup::NewDataFileName() const { return NewDataFileName(LocalNow()); }

std::string TFExpSetup::NewDataFileName(const TLocalDateTime& Now) const
{
    const std::string Folder = GetWorkDir().empty() ? AppPath : GetWorkDir();
    const std::string Name = MakeDataFileName(Now);
    // Two runs in one minute would share a name: a taken name gets a number, so no run
    // overwrites another's file.
    std::string Path = Folder + Name;
    const std::string Stem = Name.substr(0, Name.size() - 4);
    for (int i = 1; IsExistingFile(Path); ++i) Path = Folder + Stem + "_" + std::to_string(i) + ".mps";
    return Path;
}

// ---------------------------------------------------------------------------------------
// The register

void TFExpSetup::PostRecord(const TRegRecord& Record)
{
    if (FRecNo < 0) return;
    FRecNo = ExpTable.Update(FRecNo, Record);
    RefreshRegisterGrid();
}

void TFExpSetup::ShowLoadState()
{
    SBLoadUnload->SetCaption(FCurrentDataSet ? GetResString("Unload", "Unload") : GetResString("Load", "Load"));
    UpdateRegisterMenu();
}

void TFExpSetup::RefreshRegisterGrid()
{
    DBGrid->SetRowCount(std::max(ExpTable.Count(), 1) + 1);
    if (ExpTable.Count() == 0)
        for (int c = 1; c < DBGrid->GetColCount(); ++c) DBGrid->SetCells(c, 1, "");
    for (int i = 0; i < ExpTable.Count(); ++i) {
        const TRegRecord& R = ExpTable.Record(i);
        for (int c = 0; c < RegColumnCount; ++c) DBGrid->SetCells(c + 1, i + 1, TExpRegister::CellText(R, c));
        // Runs differ at the end of their names: the column shows them whole.
        DBGrid->SetColWidths(1, std::max(DBGrid->GetColWidths(1), DBGrid->Canvas()->TextWidth(R.DataName()) + 12));
    }
    if (FRecNo >= 0) DBGrid->SetRow(FRecNo + 1);
}

void TFExpSetup::Scroll(int Index)
{
    FRecNo = (Index >= 0 && Index < ExpTable.Count()) ? Index : (ExpTable.Count() > 0 ? ExpTable.Count() - 1 : -1);
    FCurrentDataSet = nullptr;
    if (FRecNo >= 0) {
        TRegRecord Record = ExpTable.Record(FRecNo);
        FCurrentDataSet = ExpTable.RecordSet(Record);
        if (Record.SXDataSet != 0 && !UseDataSetManager.IsKnown(FCurrentDataSet)) {
            FCurrentDataSet = nullptr;
            ExpTable.SetRecordSet(Record, nullptr);
            PostRecord(Record);
        }
    }
    RefreshRegisterGrid();
    FillTableList();
    ShowLoadState();
}

// A damaged file is named with its reason; its record stays as it is.
ISXDataSet* TFExpSetup::ReadDataSet(const std::string& FileName)
{
    std::string error;
    ISXDataSet* DataSet = LoadDataSet(FileName, &error);
    if (!error.empty()) MessageDlg("The data set could not be read (" + error + ").", mtError, mbOK);
    return DataSet;
}

void TFExpSetup::SBLoadUnloadClick(TObject*)
{
    if (FRecNo < 0) return;
    TRegRecord Record = ExpTable.Record(FRecNo);
    if (FCurrentDataSet) {
        UseDataSetManager.Release(FCurrentDataSet);
        FCurrentDataSet = nullptr;
    } else if (IsExistingFile(Record.FileName)) {
        FCurrentDataSet = ReadDataSet(Record.FileName);
        ExpTable.SetRecordSet(Record, FCurrentDataSet);
        PostRecord(Record);
        UpdateTableNames();
        if (FRecNo < 0) return;
        Record = ExpTable.Record(FRecNo);
    }
    FillTableList();
    ExpTable.SetRecordSet(Record, FCurrentDataSet);
    PostRecord(Record);
    ShowLoadState();
}

void TFExpSetup::UnloadAll()
{
    const int Remembered = FRecNo;
    for (int i = 0; i < ExpTable.Count(); ++i) {
        Scroll(i);
        if (!FCurrentDataSet) continue;
        UseDataSetManager.Release(FCurrentDataSet);
        TRegRecord Record = ExpTable.Record(FRecNo);
        ExpTable.SetRecordSet(Record, nullptr);
        PostRecord(Record);
    }
    FRecNo = Remembered;
    FCurrentDataSet = nullptr;
    FillTableList();
    ShowLoadState();
}

void TFExpSetup::RemoveEmptyFileRecords()
{
    for (int i = 0; i < ExpTable.Count();) {
        if (IsExistingFile(ExpTable.Record(i).FileName)) {
            ++i;
            continue;
        }
        Scroll(i);
        if (FCurrentDataSet) UseDataSetManager.Release(FCurrentDataSet);
        ExpTable.ForgetSet(ExpTable.Record(i));
        ExpTable.Delete(i);
    }
    Scroll(0);
}

void TFExpSetup::ClearTable()
{
    UnloadAll();
    ExpTable.Clear();
    ExpTable.ForgetSets();
    Scroll(-1);
}

void TFExpSetup::RunRegisterInsert()
{
    const auto Chosen = PromptForOpenFile("", SetFilter, GetWorkDir());
    // Cancelled, or no set could be read: the empty record is dropped.
    if (!Chosen || !IsExistingFile(*Chosen)) return;
    ISXDataSet* DataSet = ReadDataSet(*Chosen);
    if (!DataSet) return;
    TRegRecord Record;
    Record.FileName = *Chosen;
    TExpRegister::FillFromSet(Record, DataSet);
    ExpTable.SetRecordSet(Record, DataSet);
    FRecNo = ExpTable.Append(Record);
    FCurrentDataSet = DataSet;
    RefreshRegisterGrid();
    ShowLoadState();
    FillTableList();
    UpdateTableNames();
}

void TFExpSetup::DeleteRecord()
{
    if (FRecNo < 0) return;
    const TRegRecord Record = ExpTable.Record(FRecNo);
    const int Answer =
        MessageDlg(GetResString("Do you want delete file from hard disk?", "Do you want delete file from hard disk?"),
                   mtConfirmation, mbYesNoCancel);
    if (Answer == mrCancel) return;
    if (Answer == mrYes) std::remove(Record.FileName.c_str());
    ISXDataSet* Held = ExpTable.RecordSet(Record);
    ExpTable.ForgetSet(Record);
    ExpTable.Delete(FRecNo);
    if (Held) UseDataSetManager.Release(Held);
    Scroll(FRecNo);
}

bool TFExpSetup::PostWithRules(const TRegRecord& Before, const TRegRecord& After)
{
    if (!IsExistingFile(After.FileName)) {
        Application->MessageBox(
            GetResString("File", "File") + " " + After.FileName + " " + GetResString("not found", "not found") + "!",
            "", MB_OK | MB_ICONERROR);
        return false;
    }
    // Only description texts that changed go into the set. A post that changes none of
    // them (a new table list, a rename) has nothing to write: an unloaded record's set file
    // is not read for it, and for a changed text only its description is rewritten, its
    // tables left as they are on the disk.
    const bool Describes = TExpRegister::DescriptionDiffers(Before, After);
    std::string Why;
    const bool Written = FCurrentDataSet ? true
                         : Describes ? TExpRegister::WriteDescriptionToFile(Filer, After.FileName, Before, After, Why)
                                     : Filer != nullptr;
    if (!Written) {
        Application->MessageBox(GetResString("Save data error!", "Save data error!"), "", MB_OK | MB_ICONERROR);
        return false;
    }
    if (FCurrentDataSet && TExpRegister::WriteDescription(FCurrentDataSet, Before, After))
        SaveDataSetAside(After.FileName, FCurrentDataSet);
    PostRecord(After);
    return true;
}

bool TFExpSetup::EditField(TRegField Field, const std::string& Text)
{
    if (FRecNo < 0 || Field == TRegField::Date) return false;
    const TRegRecord Before = ExpTable.Record(FRecNo);
    TRegRecord After = Before;
    if (Field == TRegField::FileName) {
        if (Text == Before.FileName || !IsExistingFile(Before.FileName)) return false;
        const std::string NewName = ExtractFilePath(Text).empty() ? GetWorkDir() + Text : Text;
        if (std::rename(Before.FileName.c_str(), NewName.c_str()) == 0 && FCurrentDataSet)
            FCurrentDataSet->SetFileName(NewName.c_str());
        After.FileName = NewName;
    } else {
        After.Text(Field) = Text;
    }
    return PostWithRules(Before, After);
}

void TFExpSetup::SortByColumn(int GridColumn)
{
    if (GridColumn < 1 || GridColumn > RegColumnCount) return;
    const TRegColumn& Column = RegColumns[GridColumn - 1];
    if (!Column.Sorts) return;
    const TRegRecord Current = FRecNo >= 0 ? ExpTable.Record(FRecNo) : TRegRecord{};
    ExpTable.SortBy(Column.Field);
    for (int i = 0; i < ExpTable.Count(); ++i)
        if (ExpTable.Record(i) == Current) FRecNo = i;
    RefreshRegisterGrid();
}

void TFExpSetup::BuildRegisterControls()
{
    DBGrid->SetOptions(goEditing | goTabs);
    DBGrid->OnCanEdit = [this](int Col, int Row) { return RegisterCellEditable(Col, Row); };
    DBGrid->OnSetEditText = [this](int Col, int Row, const std::string& Text) { RegisterCellEdited(Col, Row, Text); };
    DBGrid->OnTitleClick = [this](int Col) { SortByColumn(Col); };
    // Releasing Delete over the grid (not over its editor) is the navigator's delete.
    DBGrid->OnKeyUp = [this](TObject*, WORD& Key, TShiftState) {
        if (Key == VK_DELETE && !DBGrid->GetEditorMode()) NavigatorClick(nbDelete);
    };

    DBNavigator = MakeControl<TPanel>(this, gbOperations, "", "", 8, 52, 84, 44);
    DBNavigator->SetBevelOuter(bvNone);
    const char* Glyphs[] = {"|<", "<", ">", ">|", "+", "-"};
    for (int b = nbFirst; b <= nbDelete; ++b) {
        TSpeedButton* Button =
            MakeControl<TSpeedButton>(this, DBNavigator, "", Glyphs[b], (b % 3) * 28, (b / 3) * 22, 28, 22);
        Button->Flat = true;
        Button->OnClick = [this, b](TObject*) { NavigatorClick(static_cast<TNavigateBtn>(b)); };
        NavigatorButtons[b] = Button;
    }

    PopupMenu = new TPopupMenu(this);
    PopupMenu->Name = "PopupMenu";
    TMenuItem* Root = PopupMenu->Items();
    MILoadUnload = NewMenuItem(this, Root, "MILoadUnload", "Load");
    MILoadUnload->OnClick = [this](TObject*) { SBLoadUnload->Click(); };
    MIUnloadAll = NewMenuItem(this, Root, "MIUnloadAll", "Unload All");
    MIUnloadAll->OnClick = [this](TObject*) { UnloadAll(); };
    MIRemoveEmpty = NewMenuItem(this, Root, "MIRemoveEmpty", "Remove empty file records");
    MIRemoveEmpty->OnClick = [this](TObject*) { RemoveEmptyFileRecords(); };
    MIClearTable = NewMenuItem(this, Root, "MIClearTable", "Clear table");
    MIClearTable->OnClick = [this](TObject*) { ClearTable(); };
    NewMenuItem(this, Root, "N1", "-");
    miShowInfo = NewMenuItem(this, Root, "miShowInfo", "Show experiment info");
    miShowInfo->OnClick = [this](TObject*) { ShowExperimentInfo(); };
    MIExport = NewMenuItem(this, Root, "MIExport", "Export ...");
    MIExport->SetVisible(false);
    PopupMenu->AttachTo(DBGrid);
    UpdateRegisterMenu();
}

void TFExpSetup::UpdateRegisterMenu()
{
    MILoadUnload->SetCaption(SBLoadUnload->GetCaption());
    miShowInfo->SetEnabled(FCurrentDataSet != nullptr);
}

void TFExpSetup::NavigatorClick(TNavigateBtn Button)
{
    switch (Button) {
    case nbFirst:
        Scroll(0);
        break;
    case nbPrior:
        Scroll(std::max(FRecNo - 1, 0));
        break;
    case nbNext:
        Scroll(FRecNo + 1 < ExpTable.Count() ? FRecNo + 1 : FRecNo);
        break;
    case nbLast:
        Scroll(ExpTable.Count() - 1);
        break;
    case nbInsert:
        RunRegisterInsert();
        break;
    case nbDelete:
        DeleteRecord();
        break;
    }
}

bool TFExpSetup::RegisterCellEditable(int Col, int Row) const
{
    return Row >= 1 && Row <= ExpTable.Count() && Col >= 1 && Col <= RegColumnCount && RegColumns[Col - 1].Editable;
}

void TFExpSetup::RegisterCellEdited(int Col, int Row, const std::string& Text)
{
    if (!RegisterCellEditable(Col, Row)) return;
    if (FRecNo != Row - 1) Scroll(Row - 1);
    EditField(RegColumns[Col - 1].Field, Text);
    // A refused edit shows the record's value again.
    RefreshRegisterGrid();
}

void TFExpSetup::UpdateTableNames()
{
    if (FRecNo < 0) return;
    const TRegRecord Before = ExpTable.Record(FRecNo);
    TRegRecord After = Before;
    After.StrTables = TExpRegister::TableList(Before, ExpTable.RecordSet(Before));
    PostWithRules(Before, After);
}

ISXDataField* TFExpSetup::GetTableByName(const std::string& Name)
{
    const std::size_t Point = Name.find('.');
    if (Point == std::string::npos) return nullptr;
    const int Index = FindByDataName(Name.substr(0, Point) + ".mps");
    if (Index < 0) return nullptr;
    const int Remembered = FRecNo;
    Scroll(Index);
    if (!FCurrentDataSet) SBLoadUnloadClick(this);
    ISXDataField* Table =
        FCurrentDataSet ? FCurrentDataSet->FindField(ZelTableCategory, Name.substr(Point + 1).c_str()) : nullptr;
    Scroll(Remembered);
    return Table;
}

bool TFExpSetup::LocateDataSet(ISXDataField* Table)
{
    const int Index = ExpTable.FindBySet(Table ? Table->GetDataSet() : nullptr);
    if (Index < 0) return false;
    Scroll(Index);
    return true;
}

void TFExpSetup::AddDataSet(ISXDataField* Table)
{
    ISXDataSet* DataSet = Table ? Table->GetDataSet() : nullptr;
    // A table of a set being entered, met while its first file is written: the entry
    // lists every table once it is done.
    if (!DataSet || DataSet == FEnteringSet) return;
    if (!LocateDataSet(Table)) {
        std::string FileName = DataSet->GetFileName();
        if (FileName.empty()) {
            FileName = NewDataFileName();
            DataSet->SetFileName(FileName.c_str());
        }
        TRegRecord Record;
        Record.FileName = FileName;
        ExpTable.SetRecordSet(Record, DataSet);
        UseDataSetManager.AddRef(DataSet);
        TExpRegister::FillFromSet(Record, DataSet);
        // The file exists before its record does; the window goes on meanwhile.
        FEnteringSet = DataSet;
        SaveDataSetAside(FileName, DataSet);
        FEnteringSet = nullptr;
        FRecNo = ExpTable.Append(Record);
        // The new record holds the set: its button unloads it and its tables are listed.
        FCurrentDataSet = DataSet;
        RefreshRegisterGrid();
        ShowLoadState();
        FillTableList();
    }
    // A record that already held the set was selected by the search, which showed its
    // tables: showing them again would only repeat that.
    UpdateTableNames();
}

void TFExpSetup::ShowExperimentInfo()
{
    if (!FCurrentDataSet) return;
    if (!FCurrentDataSet->HasProperty(PropExperimentInfoStr)) {
        Application->MessageBox(GetResString("No information", "No information"), "", MB_OK | MB_ICONINFORMATION);
        return;
    }
    TSXPropertyStr Text(FCurrentDataSet, PropExperimentInfoStr);
    auto* Viewer = CreateForm<TFShowExperimentInfo>(nullptr);
    Viewer->SetInfoText(Text.AsString());
    Viewer->ShowModal();
    FreeForm(Viewer);
}

void TFExpSetup::WMSave()
{
    if (!FCurrentDataSet) return;
    const auto Chosen = PromptForSaveFile("", "Multi-purpose set (*.mps)|*.mps|Text file (*.txt)|*.txt", GetWorkDir());
    if (!Chosen) return;
    // The chosen file's ending tells which of the two kinds the operator picked.
    const std::string Lower = LowerCase(*Chosen);
    if (Lower.size() >= 4 && Lower.compare(Lower.size() - 4, 4, ".txt") == 0)
        ExportText(*Chosen, FCurrentTable);
    else {
        const std::string Kept = FCurrentDataSet->GetFileName();
        SaveDataSet(*Chosen, FCurrentDataSet);
        FCurrentDataSet->SetFileName(Kept.c_str());
    }
}

void TFExpSetup::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ROWSADDED: {
        const auto Rows = static_cast<std::uint64_t>(Message.LParam);
        WMRowsAdded(reinterpret_cast<ISXDataField*>(Message.WParam), static_cast<int>(Rows >> 32),
                    static_cast<int>(Rows & 0xFFFFFFFFu));
        return;
    }
    case WM_SAVE:
        WMSave();
        return;
    default:
        TToolWindow::WndProc(Message);
    }
}

// ---------------------------------------------------------------------------------------
// Table view and text export

void TFExpSetup::FillTableList()
{
    FCurrentTable = nullptr;
    CBExperimentTables->ClearItems();
    TStringList Names;
    if (FCurrentDataSet) FCurrentDataSet->GetFieldNames(ZelTableCategory, &Names);
    for (const std::string& Name : Names.Lines()) CBExperimentTables->AddItem(Name);
    const bool Any = Names.Count() > 0;
    SGExperimentData->SetEnabled(Any);
    EnableCreateGraph(Any);
    if (Any) {
        CBExperimentTables->SetItemIndex(0);
        CBExperimentTablesClick(this);
        return;
    }
    SGExperimentData->SetSource(nullptr);
    FTableSource.SetTable(nullptr);
    SGExperimentData->SetColCount(2);
    SGExperimentData->SetRowCount(2);
    SGExperimentData->SetCells(1, 0, "");
    SGExperimentData->SetCells(0, 1, "");
    SGExperimentData->SetCells(1, 1, GetResString("None", "None"));
}

void TFExpSetup::CBExperimentTablesClick(TObject*)
{
    if (!FCurrentDataSet) return;
    FCurrentTable = FCurrentDataSet->FindField(ZelTableCategory, CBExperimentTables->GetText().c_str());
    if (!FCurrentTable) return;
    TPTableData Data(FCurrentTable);
    if (!Data.Valid) return;
    FillAxisLists();
    // The grid reads its cells from the table as it draws them: a table of any length is
    // shown at the same cost.
    FTableSource.SetTable(FCurrentTable);
    SGExperimentData->SetSource(&FTableSource);
    SGExperimentData->SetEnabled(Data.GetNumRows() > 0);
}

void TFExpSetup::WMRowsAdded(ISXDataField* Table, int First, int Last)
{
    if (!Table || Table != FCurrentTable || FTableSource.Table() != Table) return;
    // Every row is read from the table when it is drawn, so the whole announced range
    // shows at once: only the grid's row count has to follow the table.
    if (First <= Last && FTableSource.TableRows() > 0) SGExperimentData->SourceChanged();
}

void TFExpSetup::SGExperimentDataKeyPress(char& Key)
{
    if (Key != '\r' || !FCurrentTable) return;
    TPTableData Data(FCurrentTable);
    const int Col = SGExperimentData->GetCol() - 1, Row = SGExperimentData->GetRow() - 1;
    if (!Data.Valid || Col < 0 || Col >= Data.GetNumColumns() || Row < 0 || Row >= Data.GetNumRows()) return;
    TInplaceEdit* Editor = SGExperimentData->InplaceEditor();
    const std::string Text =
        SGExperimentData->GetEditorMode() && Editor ? Editor->GetText() : SGExperimentData->GetCells(Col + 1, Row + 1);
    double Value = 0;
    // A text that is no number leaves the table alone: the cell shows the table's value,
    // as does a cell left without Enter.
    if (!ReadNumber(Text, Value)) return;
    Data.SetData(Col, Row, static_cast<float>(Value));
    const auto Changed = static_cast<std::uint32_t>(Row);
    GraphManager.PostToAll(WM_ROWSADDED, reinterpret_cast<WPARAM>(FCurrentTable), MakeRowsAddedRange(Changed, Changed));
}

void TFExpSetup::BuildCreateGraphControls()
{
    gbCreateGraph = MakeControl<TGroupBox>(this, tsDataSheets, "", "Create graph", 310, 210, 400, 56);
    const char* Titles[] = {"Bottom Axis", "Left Axis", "Right Axis"};
    TLabel** Labels[] = {&LGraphBottomAxis, &LGraphLeftAxis, &LGraphRightAxis};
    TComboBox** Lists[] = {&CBGraphBottomAxis, &CBGraphLeftAxis, &CBGraphRightAxis};
    for (int i = 0; i < 3; ++i) {
        *Labels[i] = MakeControl<TLabel>(this, gbCreateGraph, "", Titles[i], 8 + 98 * i, 14, 94, 14);
        *Lists[i] = MakeControl<TComboBox>(this, gbCreateGraph, "", "", 8 + 98 * i, 28, 94, 22);
        (*Lists[i])->SetStyle(csDropDownList);
    }
    SBCreateGraph = MakeControl<TButton>(this, gbCreateGraph, "", "Create Graph", 302, 26, 92, 24);
    SBCreateGraph->OnClick = [this](TObject* Sender) { SBCreateGraphClick(Sender); };
    EnableCreateGraph(false);
}

void TFExpSetup::EnableCreateGraph(bool Enabled)
{
    gbCreateGraph->SetEnabled(Enabled);
    SBCreateGraph->SetEnabled(Enabled);
}

void TFExpSetup::FillAxisLists()
{
    for (TComboBox* List : {CBGraphBottomAxis, CBGraphLeftAxis, CBGraphRightAxis}) List->ClearItems();
    TPTableData Data(FCurrentTable);
    if (!Data.Valid) return;
    TStringList Names;
    for (int c = 0; c < Data.GetNumColumns(); ++c)
        if (const TSXColumnInfo* Info = Data.GetColumnInfo(c)) Names.Add(ReadFixedText(Info->Name));
    TStringList Right;
    Right.Add(GetResString("None", "None"));
    for (const std::string& Name : Names.Lines()) Right.Add(Name);
    CBGraphBottomAxis->SetItems(Names);
    CBGraphLeftAxis->SetItems(Names);
    CBGraphRightAxis->SetItems(Right);
    // An unset default leaves its list without a choice.
    const int Bottom = Data.GetDefAxisIdx(0), Left = Data.GetDefAxisIdx(1), RightIdx = Data.GetDefAxisIdx(2);
    if (Bottom != -1) CBGraphBottomAxis->SetItemIndex(Bottom);
    if (Left != -1) CBGraphLeftAxis->SetItemIndex(Left);
    if (RightIdx != -1) CBGraphRightAxis->SetItemIndex(RightIdx + 1);
}

void TFExpSetup::SBCreateGraphClick(TObject*)
{
    if (!FCurrentTable) return;
    if (CBGraphBottomAxis->GetItemIndex() < 0) {
        Application->MessageBox(GetResString("Unknown bottom axis data!", "Unknown bottom axis data!"), "",
                                MB_OK | MB_ICONERROR);
        return;
    }
    const std::string X = CBGraphBottomAxis->GetText();
    const std::string Left = CBGraphLeftAxis->GetItemIndex() >= 0 ? CBGraphLeftAxis->GetText() : std::string();
    const std::string Right = CBGraphRightAxis->GetItemIndex() > 0 ? CBGraphRightAxis->GetText() : std::string();
    TPTableData Data(FCurrentTable);
    TFGraph* Graph = NewGraph();
    if (!Data.Valid || !Graph) return;
    Graph->SetData(FCurrentTable, X.c_str(), Left.empty() ? nullptr : Left.c_str(),
                   Right.empty() ? nullptr : Right.c_str());
    const char* Name = Data.GetTableName();
    const std::string TableName = Name ? Name : "";
    const std::string Compound = FRecNo >= 0 ? ExpTable.Record(FRecNo).Compound : std::string();
    const std::string Title = GetResString(TableName, TableName) + " of " + Compound;
    Graph->GraphProp.TitleText = Title;
    Graph->SetCaption(Title);
    Graph->ApplyGraphProp();
    Graph->Show();
}

bool TFExpSetup::ExportText(const std::string& FileName, ISXDataField* Table)
{
    ISXDataSet* DataSet = Table ? Table->GetDataSet() : nullptr;
    if (!DataSet) return false;
    std::string Out = "Zelmora experiment\r\n";
    Out += std::string("Original file name: ") + DataSet->GetFileName() + "\r\n";
    {
        TSXPropertyRef<TSXDateTime> Date(DataSet, PropDateTime, false);
        if (const TSXDateTime* D = Date.Get()) Out += "Date: " + DateTimeText(*D) + "\r\n";
        TSXPropertyRef<TZelExperimentInfo> Info(DataSet, PropExperimentInfo, false);
        if (const TZelExperimentInfo* I = Info.Get()) {
            Out += "User: " + ReadFixedText(I->UserName) + "\r\n";
            Out += "CompoundName: " + ReadFixedText(I->CompoundName) + "\r\n";
            Out += "Substrate: " + ReadFixedText(I->Substrate) + "\r\n";
            Out += "Subphase: " + ReadFixedText(I->Subphase) + "\r\n";
            Out += "Temperature: " + ReadFixedText(I->Temperature) + "\r\n";
        }
    }
    TPTableData Data(Table);
    if (Data.Valid) {
        const std::string Rule = std::string(83, '-') + "\r\n";
        Out += "\r\nData\r\n" + Rule + "  No";
        for (int c = 0; c < Data.GetNumColumns(); ++c) {
            const TSXColumnInfo* Info = Data.GetColumnInfo(c);
            Out += Format(" %10s", Info ? TableColumnHeading(*Info, ",").c_str() : "");
        }
        Out += "\r\n" + Rule;
        for (int r = 0; r < Data.GetNumRows(); ++r) {
            Out += Format("%4d", r + 1);
            for (int c = 0; c < Data.GetNumColumns(); ++c)
                Out += Format(" %10.3g", static_cast<double>(Data.GetData(c, r)));
            Out += "\r\n";
        }
        Out += Rule;
    }
    return WriteFileAtomically(FileName, Out);
}
