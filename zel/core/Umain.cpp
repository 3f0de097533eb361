#include "zel/core/Umain.h"

#include <cstdlib>
#include <ctime>

#include "kvc/KvMultiLang.h"
#include "platform/filer/SXFiler.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/FileDates.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Hlprovider.h"
#include "zel/experiment/Usedatasetmanager.h"

TFMain* FMain = nullptr;

namespace {

// The dock area's width and the status panels' widths.
constexpr int DockAreaWidth = 232;
constexpr int ConnectionPanelWidth = 70, ReadingPanelWidth = 90, ProcessPanelWidth = 50;

using THandler = void (TFMain::*)(TObject*);

// The actions in the list's order: the hints of the language file are read in this order.
struct TActionSpec {
    TAction* TFMain::*Field;
    const char* Name;
    const char* Category;
    const char* Caption;
    const char* ShortCut;
    THandler Handler;
    TToolWindowKind View;  // for dock-aware views (Handler null)
};

#define ACTION(field, category, caption, shortcut, handler) \
    {&TFMain::field, #field, category, caption, shortcut, handler, TToolWindowKind::Manual}
#define VIEW(field, caption, kind) {&TFMain::field, #field, "View", caption, "", nullptr, TToolWindowKind::kind}

const TActionSpec ActionSpecs[] = {
    ACTION(AFileOpen, "File", "Open", "Ctrl+O", &TFMain::AFileOpenExecute),
    ACTION(AHelpAbout, "Help", "About", "", nullptr),
    ACTION(AFileSave, "File", "Save", "Ctrl+S", &TFMain::AFileSaveExecute),
    ACTION(AFileSettings, "File", "Settings", "", nullptr),
    ACTION(AFileExit, "File", "Exit", "", &TFMain::AFileExitExecute),
    ACTION(AViewExperimentalSetup, "View", "Experimental setup", "", &TFMain::AViewExperimentalSetupExecute),
    VIEW(AViewManualControl, "LB Manual Control", Manual),
    ACTION(AViewCalibrate, "View", "Calibrate", "", &TFMain::AViewCalibrateExecute),
    ACTION(actViewDepositionFB, "View", "Deposition feedback", "", &TFMain::actViewDepositionFBExecute),
    VIEW(AViewIsothermCtrl, "Isotherm Control", Isotherm),
    VIEW(AViewDepositionCtrl, "Deposition Control", Deposition),
    VIEW(AViewDippingCtrl, "Dipping Control", Dipping),
    ACTION(AHrdwSetup, "Device", "Device settings", "", &TFMain::AHrdwSetupExecute),
    ACTION(AShowBuffer, "Device", "AShowBuffer", "Ctrl+Alt+T", &TFMain::AShowBufferExecute),
    ACTION(AConnect, "Device", "Connect", "", &TFMain::AConnectExecute),
    ACTION(ADisconnect, "Device", "Disconnect", "", &TFMain::ADisconnectExecute),
    ACTION(AHelpDeviceInfo, "Help", "Device Info", "", nullptr),
    ACTION(AInit, "Device", "Init device", "", &TFMain::AInitExecute),
    ACTION(AViewScriptCtrl, "View", "Script Control", "", &TFMain::AViewScriptCtrlExecute),
    VIEW(actViewRollDepositionCtrl, "Roll Deposition Control", Roll),
    VIEW(actViewTapeDepositionCtrl, "Tape Deposition Control", Tape),
    VIEW(actViewManualControl2, "LbL Manual Control", Manual2),
    VIEW(actViewDiskDepositionCtrl, "Disk Deposition Control", Disk),
    VIEW(actViewCylinderMembraneDepositionCtrl, "Cylinder Membrane Deposition Control", CylinderMembrane),
    VIEW(actViewTDARCtrl, "Tape Deposition and Rinse Control", TDAR),
    ACTION(actHelp, "Help", "Help", "F1", &TFMain::actHelpExecute),
    ACTION(actViewLBL, "View", "Layer-by-Layer setup", "", &TFMain::actViewLBLExecute),
    VIEW(actViewEUD, "View EUD", Eud),
    VIEW(actViewFilmPreparation, "Film Preparation", FilmPreparation),
    VIEW(actViewPumpControl, "Pump Control", Pump),
};

#undef ACTION
#undef VIEW

// The view action of each window kind.
const struct {
    TToolWindowKind Kind;
    TAction* TFMain::*Action;
} ViewActions[] = {
    {TToolWindowKind::Manual, &TFMain::AViewManualControl},
    {TToolWindowKind::Manual2, &TFMain::actViewManualControl2},
    {TToolWindowKind::Pump, &TFMain::actViewPumpControl},
    {TToolWindowKind::Isotherm, &TFMain::AViewIsothermCtrl},
    {TToolWindowKind::Deposition, &TFMain::AViewDepositionCtrl},
    {TToolWindowKind::Dipping, &TFMain::AViewDippingCtrl},
    {TToolWindowKind::Roll, &TFMain::actViewRollDepositionCtrl},
    {TToolWindowKind::Tape, &TFMain::actViewTapeDepositionCtrl},
    {TToolWindowKind::Disk, &TFMain::actViewDiskDepositionCtrl},
    {TToolWindowKind::CylinderMembrane, &TFMain::actViewCylinderMembraneDepositionCtrl},
    {TToolWindowKind::TDAR, &TFMain::actViewTDARCtrl},
    {TToolWindowKind::Eud, &TFMain::actViewEUD},
    {TToolWindowKind::FilmPreparation, &TFMain::actViewFilmPreparation},
    {TToolWindowKind::Calibration, &TFMain::AViewCalibrate},
    {TToolWindowKind::DepositionFB, &TFMain::actViewDepositionFB},
    {TToolWindowKind::ExpSetup, &TFMain::AViewExperimentalSetup},
    {TToolWindowKind::Script, &TFMain::AViewScriptCtrl},
    {TToolWindowKind::Lbl, &TFMain::actViewLBL},
};

// Menus: an item names its action, or (for a separator) has the caption "-".
struct TMenuSpec {
    const char* Name;
    const char* Action;   // null: no action
    const char* Caption;  // for items without an action
    bool Visible;
    int Tag;
};

struct TMenuGroup {
    const char* Name;
    const char* Caption;
    std::vector<TMenuSpec> Items;
};

const std::vector<TMenuGroup>& MenuGroups()
{
    static const std::vector<TMenuGroup> groups = {
        {"MIFile", "File",
         {{"MIFileOpen", "AFileOpen", "", true, 0},
          {"MIFileSave", "AFileSave", "", true, 0},
          {"N1", nullptr, "-", true, 0},
          {"MIFileSettings", "AFileSettings", "", true, 0},
          {"N2", nullptr, "-", true, 0},
          {"MIFileExit", "AFileExit", "", true, 0}}},
        {"MIView", "View",
         {{"MIViewExperimentalSetup", "AViewExperimentalSetup", "", true, 0},
          {"LayerbyLayersetup1", "actViewLBL", "", true, 0},
          {"MIViewManualControl", "AViewManualControl", "", true, 0},
          {"ManualControl21", "actViewManualControl2", "", false, 0},
          {"MIPumpControl", "actViewPumpControl", "", false, 0},
          {"MIViewDepositionFB", "actViewDepositionFB", "", true, 0},
          {"MIViewCalibrate", "AViewCalibrate", "", true, 0},
          {"N3", nullptr, "-", true, 0},
          {"MIViewIsothermCtrl", "AViewIsothermCtrl", "", true, 0},
          {"MIViewDeposition", "AViewDepositionCtrl", "", true, 0},
          {"MIViewDipping", "AViewDippingCtrl", "", true, 0},
          {"MIViewScriptControl", "AViewScriptCtrl", "", true, 0},
          {"TapeDepositionControl1", "actViewTapeDepositionCtrl", "", false, 0},
          {"ContinuousTapeControl1", "actViewRollDepositionCtrl", "", false, 0},
          {"DiskDepositionControl1", "actViewDiskDepositionCtrl", "", false, 0},
          {"CylindermembraneDepositionControl1", "actViewCylinderMembraneDepositionCtrl", "", false, 0},
          {"Tapedepositionandrinse1", "actViewTDARCtrl", "", false, 0},
          {"actViewEUD1", "actViewEUD", "", false, 0},
          {"MIViewFilmPreparation", "actViewFilmPreparation", "", false, 0}}},
        {"MIDevice", "Device",
         {{"MIDeviceConnect", "AConnect", "", true, 0},
          {"MIDeviceDisconnect", "ADisconnect", "", true, 0},
          {"MIDeviceInit", "AInit", "", true, 0},
          {"N4", nullptr, "-", true, 0},
          {"MIDeviceSettings", "AHrdwSetup", "", true, 0}}},
        {"miWindow", "&Window",
         {{"Cascade1", nullptr, "&Cascade", true, 0},
          {"Tilehorizontal1", nullptr, "Tile &horizontal", true, 1},
          {"Tilevertical1", nullptr, "Tile &vertical", true, 2},
          {"ArrangeAll1", nullptr, "&Arrange All", true, 3},
          {"N5", nullptr, "-", true, 0}}},
        {"MIHelp", "Help",
         {{"actHelp1", "actHelp", "", true, 0},
          {"N6", nullptr, "-", true, 0},
          {"MIHelpDeviceInfo", "AHelpDeviceInfo", "", true, 0},
          {"N7", nullptr, "-", true, 0},
          {"MIHelpAbout", "AHelpAbout", "", true, 0}}},
    };
    return groups;
}

// Tool bar buttons in order; null is a separator.
const char* const ToolBarActions[] = {"AFileOpen",         "AFileSave",       nullptr,
                                      "AViewExperimentalSetup", "AViewManualControl", "actViewManualControl2",
                                      "actViewDepositionFB", "AViewCalibrate", nullptr,
                                      "AViewIsothermCtrl", "AViewDepositionCtrl", "AViewDippingCtrl",
                                      "AViewScriptCtrl"};

// The windows the operator may drag into the dock area; the control bar refuses exactly these.
bool DragDocksIntoDockArea(TToolWindowKind Kind)
{
    switch (Kind) {
    case TToolWindowKind::Isotherm:
    case TToolWindowKind::Deposition:
    case TToolWindowKind::Dipping:
    case TToolWindowKind::Tape:
    case TToolWindowKind::Roll:
    case TToolWindowKind::Manual:
        return true;
    default:
        return false;
    }
}

std::string FilePart(const std::string& Path)
{
    const size_t slash = Path.find_last_of("/\\");
    return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

void BringForwardOrShow(TForm* Window)
{
    if (Window->GetVisible()) Window->BringToFront();
    else Window->Show();
}

}  // namespace

// ---------------------------------------------------------------------------------------

TFMain::TFMain(TComponent* Owner) : TForm(Owner)
{
    Name = "FMain";
    SetCaption("Zelmora control");
    Position = poScreenCenter;
    SetBounds(0, 0, 1024, 700);

    MultiLang = new KVC::TKvMultiLang(this);
    MultiLang->Name = "MultiLang";
    MultiLang->LangFileName = "english.lng";
    ActionList = new TActionList(this);
    ActionList->Name = "ActionList";
    BuildActions();

    ControlBar = new TControlBar(this);
    ControlBar->Name = "ControlBar";
    ControlBar->SetHeight(ControlBar->RowSize + 2);
    ControlBar->SetAlign(alTop);
    ControlBar->SetParent(this);
    ToolBar = new TToolBar(this);
    ToolBar->Name = "ToolBar";
    ToolBar->SetAlign(alClient);
    ToolBar->SetParent(ControlBar);
    BuildToolBar();

    StatusBar = new TStatusBar(this);
    StatusBar->Name = "StatusBar";
    StatusBar->SetHeight(19);
    StatusBar->SetAlign(alBottom);
    StatusBar->SetParent(this);
    StatusBar->AddPanel("Disconnected", ConnectionPanelWidth);
    for (int i = 0; i < 4; ++i) StatusBar->AddPanel("", ReadingPanelWidth);
    StatusBar->AddPanel("Process: None", ProcessPanelWidth);

    pnlDock = new TPanel(this);
    pnlDock->Name = "pnlDock";
    pnlDock->SetCaption("");
    pnlDock->SetWidth(DockAreaWidth);
    pnlDock->SetAlign(alRight);
    pnlDock->SetVisible(false);
    pnlDock->SetParent(this);
    pnlTabCaption = new TPanel(this);
    pnlTabCaption->Name = "pnlTabCaption";
    pnlTabCaption->SetHeight(20);
    pnlTabCaption->SetAlign(alTop);
    pnlTabCaption->SetBevelOuter(bvLowered);
    pnlTabCaption->Font()->SetStyle(TFontStyles() << fsBold);
    pnlTabCaption->SetParent(pnlDock);
    pgcDock = new TPageControl(this);
    pgcDock->Name = "pgcDock";
    pgcDock->SetTabPosition(tpRight);
    pgcDock->MultiLine = true;
    pgcDock->SetAlign(alClient);
    pgcDock->SetParent(pnlDock);
    pgcDock->OnChange = [this](TObject*) { UpdateDockCaption(); };
    pgcDock->OnAcceptDrag = [this](TForm* Client) { return DockAreaAccepts(Client); };
    pgcDock->OnDockChanged = [this](TObject*) { UpdateDockPanel(); };

    MainMenu = new TMainMenu(this);
    MainMenu->Name = "MainMenu";
    BuildMenus();
    SetMenu(MainMenu);
    SetFormStyle(fsMDIForm);
    SetWindowMenu(miWindow);

    MemCleanTimer = new TTimer();
    MemCleanTimer->SetInterval(5000);
    MemCleanTimer->OnTimer = [this](TObject* Sender) { MemCleanTimerTimer(Sender); };
    SimulateTimer = new TTimer();
    SimulateTimer->SetInterval(100);
    SimulateTimer->SetEnabled(false);
    SimulateTimer->OnTimer = [this](TObject* Sender) { SimulateTimerTimer(Sender); };
    UpdateProcessTimer = new TTimer();
    UpdateProcessTimer->SetInterval(1000);
    UpdateProcessTimer->OnTimer = [this](TObject* Sender) { UpdateProcessTimerTimer(Sender); };
    MemCleanTimer->SetEnabled(true);
    UpdateProcessTimer->SetEnabled(true);

    // The data members, in the window's order of set-up.
    FilerLibrary = std::make_unique<TCustomDLL>();
    LinkLibrary = std::make_unique<TCustomDLL>();
    Simulate = false;
    ProcessNames = std::make_unique<TStringList>();
    ProcessNamesChanged = false;
    if (DeviceType == dtLbl) SetCaption("Lbl control");
    LastResponseTick = GetTickCount();

    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
    OnShow = [this](TObject* Sender) { FormShow(Sender); };
    OnDestroy = [this](TObject* Sender) { FormDestroy(Sender); };
    FMain = this;
}

TFMain::~TFMain()
{
    for (TTimer* timer : {MemCleanTimer, SimulateTimer, UpdateProcessTimer}) {
        timer->SetEnabled(false);
        delete timer;
    }
    ProcessNames.reset();
    // The link library goes first, but only after the link object it made is gone.
    ReleaseLink();
    LinkLibrary.reset();
    FilerLibrary.reset();
    if (::MultiLang == MultiLang) ::MultiLang = nullptr;
    if (FMain == this) FMain = nullptr;
}

void TFMain::BuildActions()
{
    for (const TActionSpec& spec : ActionSpecs) {
        TAction* action = ActionList->AddAction(spec.Name, spec.Category, spec.Caption, TextToShortCut(spec.ShortCut));
        this->*spec.Field = action;
        if (spec.Handler) {
            const THandler handler = spec.Handler;
            action->OnExecute = [this, handler](TObject* Sender) { (this->*handler)(Sender); };
        } else if (spec.Field != &TFMain::AHelpAbout && spec.Field != &TFMain::AFileSettings &&
                   spec.Field != &TFMain::AHelpDeviceInfo) {
            const TToolWindowKind kind = spec.View;
            action->OnExecute = [this, kind](TObject*) { ViewDockable(kind); };
        }
    }
}

void TFMain::BuildMenus()
{
    for (const TMenuGroup& group : MenuGroups()) {
        TMenuItem* menu = NewMenuItem(this, MainMenu->Items(), group.Name, group.Caption);
        if (std::string(group.Name) == "miWindow") miWindow = menu;
        for (const TMenuSpec& spec : group.Items) {
            TAction* action = nullptr;
            if (spec.Action)
                for (int i = 0; i < ActionList->ActionCount(); ++i)
                    if (ActionList->Actions(i)->Name == spec.Action) action = ActionList->Actions(i);
            TMenuItem* item = NewMenuItem(this, menu, spec.Name, spec.Action ? "" : spec.Caption, action);
            item->Tag = spec.Tag;
            if (!spec.Visible) item->SetVisible(false);
            if (menu == miWindow && !item->IsLine()) item->OnClick = [this](TObject* Sender) { WindowMenuClick(Sender); };
        }
    }
}

void TFMain::BuildToolBar()
{
    int separator = 0;
    for (const char* name : ToolBarActions) {
        if (!name) {
            ToolBar->AddSeparator("ToolButton" + std::to_string(++separator));
            continue;
        }
        for (int i = 0; i < ActionList->ActionCount(); ++i)
            if (ActionList->Actions(i)->Name == name) {
                TToolButton* button = ToolBar->AddButton(std::string("btn") + name, ActionList->Actions(i));
                if (std::string(name) == "actViewManualControl2") {
                    button->Name = "btnManualCtrl2";
                    button->SetVisible(false);
                }
            }
    }
}

TAction* TFMain::ViewAction(TToolWindowKind Kind) const
{
    for (const auto& entry : ViewActions)
        if (entry.Kind == Kind) return this->*entry.Action;
    return nullptr;
}

// ---------------------------------------------------------------------------------------
// Creation and settings

void TFMain::FormCreate(TObject*)
{
    ::MultiLang = MultiLang;
    CalibrateParam.fileName = SettingsFileName;
    LoadSettings();

    const bool trough = DeviceType != dtLbl;
    for (TAction* action : {AViewExperimentalSetup, actViewDepositionFB, AViewIsothermCtrl, AViewDepositionCtrl,
                            AViewDippingCtrl, AFileOpen, AFileSave})
        action->SetEnabled(trough);
    if (DeviceType == dtCombined)
        for (int i = 0; i < 3; ++i) StatusBar->AddPanel("", ReadingPanelWidth);

    BindFiler();
    BindLink();
    // The two library boxes above come before this, so they always show their English texts.
    ApplyLanguage();
    if (Simulate) std::srand(static_cast<unsigned>(std::time(nullptr)));
}

void TFMain::LoadSettings()
{
    CalibrateParam.LoadFromFile();
    if (!IniFile) return;
    // Only the file-name part counts: the file is looked for in the program's Language folder.
    const std::string language = IniFile->ReadString("Common", "LangFileName", FilePart(MultiLang->LangFileName));
    MultiLang->LangFileName = AppPath + "Language/" + FilePart(language);
    Simulate = IniFile->ReadBool("Common", "Simulate", false);
    FilerLibrary->SetFileName(IniFile->ReadString("Common", "FilerDllFileName", ""));
    LinkLibrary->SetFileName(IniFile->ReadString("Common", "HLFileName", ""));

    AppSettings.UpdateStatusInterval =
        static_cast<std::uint32_t>(IniFile->ReadInteger("Settings", "UpdateStatusInterval", static_cast<int>(AppSettings.UpdateStatusInterval)));
    AppSettings.UpdateReceivedDataInterval = static_cast<std::uint32_t>(
        IniFile->ReadInteger("Settings", "UpdateReceivedDataInterval", static_cast<int>(AppSettings.UpdateReceivedDataInterval)));
    AppSettings.ADCDataAccuracy =
        static_cast<std::uint8_t>(IniFile->ReadInteger("Settings", "ADCDataAccuracy", AppSettings.ADCDataAccuracy) & 0xFF);
    ResponseTimeout = IniFile->ReadInteger("Settings", "DeviceResponseMaxTimeInterval", 3000);
}

void TFMain::SaveSettings()
{
    if (!IniFile) return;
    IniFile->WriteString("Common", "LangFileName", MultiLang->LangFileName);
    IniFile->WriteInteger("Settings", "UpdateStatusInterval", static_cast<int>(AppSettings.UpdateStatusInterval));
    IniFile->WriteInteger("Settings", "UpdateReceivedDataInterval", static_cast<int>(AppSettings.UpdateReceivedDataInterval));
    IniFile->WriteInteger("Settings", "ADCDataAccuracy", AppSettings.ADCDataAccuracy);
}

void TFMain::BindFiler()
{
    if (FilerLibrary->GetLoaded())
        if (auto get = reinterpret_cast<TGetSXFiler>(GetProcAddress(FilerLibrary->Handle, GetSXFilerExportName)))
            Filer = get();
    if (!Filer)
        Application->MessageBox(GetResString("Error of loading filer", "Error of loading filer") + " " + FilerLibrary->FileName,
                                Application->Title, MB_OK | MB_ICONWARNING);
}

void TFMain::BindLink()
{
    if (LinkLibrary->GetLoaded())
        if (auto create = reinterpret_cast<TCreateHardwareLinkFunc>(GetProcAddress(LinkLibrary->Handle, CreateHardwareLinkName)))
            HlProvider.Link = create();
    IHardwareLink* link = HlProvider.Link;
    if (!link) {
        Application->MessageBox(GetResString("Error of loading hardware library", "Error of loading hardware library") + " " +
                                    LinkLibrary->FileName,
                                Application->Title, MB_OK | MB_ICONERROR);
        return;
    }
    link->SetNotifyTarget(Handle(), WM_LINKNOTIFY);
    link->SetSettingsFile(0, SettingsFileName.c_str());
    link->LoadSettings();
    // A failed connection shows at the next status tick; nothing is said here.
    try {
        link->Connect();
    } catch (...) {
    }
}

void TFMain::ReleaseLink()
{
    if (!HlProvider.Link || !LinkLibrary || !LinkLibrary->GetLoaded()) return;
    if (auto destroy = reinterpret_cast<TDestroyHardwareLinkFunc>(GetProcAddress(LinkLibrary->Handle, DestroyHardwareLinkName))) {
        IHardwareLink* link = HlProvider.Link;
        HlProvider.Link = nullptr;
        destroy(link);
    } else {
        // A library that cannot take its object back stays loaded with it.
        (void)LinkLibrary.release();
    }
}

void TFMain::FormShow(TObject*) { UpdateDockPanel(); }

void TFMain::FormDestroy(TObject*)
{
    if (IHardwareLink* link = HlProvider.Link) {
        link->SaveSettings();
        link->Disconnect();
    }
    SaveSettings();
    DoneCommon();
}

// ---------------------------------------------------------------------------------------
// Language

void TFMain::ApplyLanguage()
{
    if (!IsExistingFile(MultiLang->LangFileName)) return;
    ApplyMenuLanguage(MainMenu->Items());
    for (int i = 0; i < ActionList->ActionCount(); ++i) {
        TAction* action = ActionList->Actions(i);
        std::string hint;
        MultiLang->GetLangItem("ActionHint", action->Name.c_str(), &hint);
        action->SetHint(hint);
    }
    if (ResourceStrings) MultiLang->GetLangItems("Resource", ResourceStrings);
}

void TFMain::ApplyMenuLanguage(TMenuItem* Item)
{
    for (int i = 0; i < Item->Count(); ++i) {
        TMenuItem* sub = Item->Items(i);
        std::string caption = sub->GetCaption();
        MultiLang->GetLangItem("Menu", sub->Name.c_str(), &caption);
        sub->SetCaption(caption);
        if (sub->Count() > 0) ApplyMenuLanguage(sub);
    }
}

void TFMain::ChangeLanguage(const std::string& Path)
{
    MultiLang->LangFileName = Path;
    ApplyLanguage();
    for (TToolWindowKind kind : {TToolWindowKind::Calibration, TToolWindowKind::Deposition, TToolWindowKind::Dipping,
                                 TToolWindowKind::ExpSetup, TToolWindowKind::Isotherm, TToolWindowKind::Script,
                                 TToolWindowKind::DepositionFB, TToolWindowKind::Manual, TToolWindowKind::Manual2,
                                 TToolWindowKind::Pump, TToolWindowKind::Lbl, TToolWindowKind::Tape, TToolWindowKind::Roll})
        if (TToolWindow* window = TToolWindow::Find(kind)) window->ApplyLanguage();
}

// ---------------------------------------------------------------------------------------
// Dock area

void TFMain::ShowDockPanel() { pnlDock->SetVisible(true); }

void TFMain::UpdateDockPanel()
{
    pnlDock->SetVisible(pgcDock->PageCount() > 0);
    if (pnlDock->GetVisible()) UpdateDockCaption();
}

void TFMain::UpdateDockCaption()
{
    TTabSheet* page = pgcDock->GetActivePage();
    if (!page) return;
    TForm* first = page->DockedForm();
    pnlTabCaption->SetCaption(first && !first->GetCaption().empty() ? first->GetCaption() : page->GetCaption());
}

void TFMain::ActivateDockPage(const std::string& Caption)
{
    for (int i = 0; i < pgcDock->PageCount(); ++i)
        if (pgcDock->Pages(i)->GetCaption() == Caption) pgcDock->SetActivePageIndex(i);
}

bool TFMain::DockAreaAccepts(TForm* Client) const
{
    auto* window = dynamic_cast<TToolWindow*>(Client);
    return window && DragDocksIntoDockArea(window->Kind());
}

// ---------------------------------------------------------------------------------------
// Actions

void TFMain::ViewDockable(TToolWindowKind Kind)
{
    TToolWindow* window = TToolWindow::Find(Kind);
    if (!window) return;
    if (window->Floating()) BringForwardOrShow(window);
    else ActivateDockPage(window->GetCaption());
}

void TFMain::AFileOpenExecute(TObject*)
{
    if (TToolWindow* setup = TToolWindow::Find(TToolWindowKind::ExpSetup)) setup->RunRegisterInsert();
}

void TFMain::AFileSaveExecute(TObject*)
{
    if (TForm* child = ActiveMDIChild()) SendMessage(child->Handle(), WM_SAVE, 0, 0);
}

void TFMain::AFileExitExecute(TObject*) { Close(); }

void TFMain::AViewExperimentalSetupExecute(TObject*)
{
    TToolWindow* setup = TToolWindow::Find(TToolWindowKind::ExpSetup);
    if (!setup) return;
    if (setup->GetVisible()) setup->BringToFront();
    else setup->Show();
    setup->SetWindowState(wsNormal);
}

void TFMain::AViewCalibrateExecute(TObject*)
{
    if (TToolWindow* window = TToolWindow::Find(TToolWindowKind::Calibration)) BringForwardOrShow(window);
}

void TFMain::actViewDepositionFBExecute(TObject*)
{
    TToolWindow* window = TToolWindow::Find(TToolWindowKind::DepositionFB);
    if (!window) return;
    BringForwardOrShow(window);
    window->SetWindowState(wsNormal);
}

void TFMain::AViewScriptCtrlExecute(TObject*)
{
    if (TToolWindow* window = TToolWindow::Find(TToolWindowKind::Script)) BringForwardOrShow(window);
}

void TFMain::actViewLBLExecute(TObject*)
{
    TToolWindow* window = TToolWindow::Find(TToolWindowKind::Lbl);
    if (!window) return;
    window->SetWindowState(wsNormal);
    window->Show();
    window->BringToFront();
}

void TFMain::AHrdwSetupExecute(TObject*)
{
    if (HlProvider.Link) HlProvider.Link->SendCommand("ShowSetup", nullptr, 0);
}

void TFMain::AShowBufferExecute(TObject*)
{
    if (HlProvider.Link) HlProvider.Link->SendCommand("ShowBuffer", nullptr, 0);
}

void TFMain::AConnectExecute(TObject*)
{
    IHardwareLink* link = HlProvider.Link;
    if (!link) return;
    link->Connect();
    const bool connected = link->IsConnected();
    AInitExecute(this);
    if (TToolWindow* status = TToolWindow::Find(TToolWindowKind::Status)) status->ShowConnected(connected);
    StatusBar->Panels(0)->SetText(connected ? GetResString("Connected", "Connected") : GetResString("Disconnected", "Disconnected"));
    if (connected) LastResponseTick = GetTickCount();
}

void TFMain::ADisconnectExecute(TObject*)
{
    if (IHardwareLink* link = HlProvider.Link) {
        link->Disconnect();
        if (TToolWindow* status = TToolWindow::Find(TToolWindowKind::Status)) status->ShowConnected(link->IsConnected());
    }
    StatusBar->Panels(0)->SetText(GetResString("Disconnected", "Disconnected"));
}

void TFMain::AInitExecute(TObject*)
{
    IHardwareLink* link = HlProvider.Link;
    if (!link || !link->IsConnected()) return;
    HlProvider.SetInputFlowInterval(CalibrateParam.InputFlowInterval);
    HlProvider.SetCLBCoeff(CalibrateParam.ballance.GetDeviceRecord());
}

void TFMain::actHelpExecute(TObject*) { ShowHelp(); }

void TFMain::WindowMenuClick(TObject* Sender)
{
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item) return;
    switch (item->Tag) {
    case 0:
        Cascade();
        break;
    case 1:
        TileMode = tbHorizontal;
        Tile();
        break;
    case 2:
        TileMode = tbVertical;
        Tile();
        break;
    case 3:
        ArrangeIcons();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Timers

void TFMain::MemCleanTimerTimer(TObject*) { UseDataSetManager.Collect(); }

// The status and watchdog work of this timer and the simulated reports belong to the
// notification routing of the main window, which builds on this window.
void TFMain::UpdateProcessTimerTimer(TObject*) {}
void TFMain::SimulateTimerTimer(TObject*) {}
