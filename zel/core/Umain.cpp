#include "zel/core/Umain.h"
#include "zel/core/Mainservices.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <cstdio>
#include <ctime>

#include "kvc/KvMultiLang.h"
#include "platform/filer/SXFiler.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/base/FileDates.h"
#include "platform/base/FloatFormat.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Notices.h"
#include "zel/core/Simulation.h"
#include "zel/core/Uabout.h"
#include "zel/core/Udeviceinfo.h"
#include "zel/core/Usettings.h"
#include "zel/core/Windowroles.h"
#include "zel/core/Ustatus.h"
#include "zel/experiment/Usedatasetmanager.h"

TFMain* FMain = nullptr;

namespace {

// The dock area's width and the status panels' widths.
constexpr int DockAreaWidth = 232;
constexpr int ConnectionPanelWidth = 70, ReadingPanelWidth = 90, ProcessPanelWidth = 50;
// The status panel of the running process; the others hold the connection and the readings.
constexpr int ProcessPanel = 5;

using THandler = void (TFMain::*)(TObject*);

// The actions in the list's order: the hints of the language file are read in this order.
struct TActionSpec {
    TAction* TFMain::*Field;
    const char* Name;
    const char* Category;
    const char* Caption;
    const char* ShortCut;
    THandler Handler;
};

#define ACTION(field, category, caption, shortcut, handler)          \
    {                                                                \
        &TFMain::field, #field, category, caption, shortcut, handler \
    }
// A view of a window that may be docked; its window kind names it as its view action.
#define VIEW(field, caption)                                 \
    {                                                        \
        &TFMain::field, #field, "View", caption, "", nullptr \
    }

const TActionSpec ActionSpecs[] = {
    ACTION(AFileOpen, "File", "Open", "Ctrl+O", &TFMain::AFileOpenExecute),
    ACTION(AHelpAbout, "Help", "About", "", &TFMain::AHelpAboutExecute),
    ACTION(AFileSave, "File", "Save", "Ctrl+S", &TFMain::AFileSaveExecute),
    ACTION(AFileSettings, "File", "Settings", "", &TFMain::AFileSettingsExecute),
    ACTION(AFileExit, "File", "Exit", "", &TFMain::AFileExitExecute),
    ACTION(AViewExperimentalSetup, "View", "Experimental setup", "", &TFMain::AViewExperimentalSetupExecute),
    VIEW(AViewManualControl, "LB Manual Control"),
    ACTION(AViewCalibrate, "View", "Calibrate", "", &TFMain::AViewCalibrateExecute),
    ACTION(actViewDepositionFB, "View", "Deposition feedback", "", &TFMain::actViewDepositionFBExecute),
    VIEW(AViewIsothermCtrl, "Isotherm Control"),
    VIEW(AViewDepositionCtrl, "Deposition Control"),
    VIEW(AViewDippingCtrl, "Dipping Control"),
    ACTION(AHrdwSetup, "Device", "Device settings", "", &TFMain::AHrdwSetupExecute),
    ACTION(AShowBuffer, "Device", "AShowBuffer", "Ctrl+Alt+T", &TFMain::AShowBufferExecute),
    ACTION(AConnect, "Device", "Connect", "", &TFMain::AConnectExecute),
    ACTION(ADisconnect, "Device", "Disconnect", "", &TFMain::ADisconnectExecute),
    ACTION(AHelpDeviceInfo, "Help", "Device Info", "", &TFMain::AHelpDeviceInfoExecute),
    ACTION(AInit, "Device", "Init device", "", &TFMain::AInitExecute),
    ACTION(AViewScriptCtrl, "View", "Script Control", "", &TFMain::AViewScriptCtrlExecute),
    VIEW(actViewRollDepositionCtrl, "Roll Deposition Control"),
    VIEW(actViewTapeDepositionCtrl, "Tape Deposition Control"),
    VIEW(actViewManualControl2, "LbL Manual Control"),
    VIEW(actViewDiskDepositionCtrl, "Disk Deposition Control"),
    VIEW(actViewCylinderMembraneDepositionCtrl, "Cylinder Membrane Deposition Control"),
    VIEW(actViewTDARCtrl, "Tape Deposition and Rinse Control"),
    ACTION(actHelp, "Help", "Help", "F1", &TFMain::actHelpExecute),
    ACTION(actViewLBL, "View", "Layer-by-Layer setup", "", &TFMain::actViewLBLExecute),
    VIEW(actViewEUD, "View EUD"),
    VIEW(actViewFilmPreparation, "Film Preparation"),
    VIEW(actViewPumpControl, "Pump Control"),
};

#undef ACTION
#undef VIEW

// Menus: an item names its action, or (for a separator) has the caption "-".
struct TMenuSpec {
    const char* Name;
    const char* Action;   // null: no action
    const char* Caption;  // for items without an action
    bool Visible;
    int Tag;
};

// The window menu's commands, as the tags of its items.
enum TWindowMenuTag { wmCascade = 0, wmTileHorizontal = 1, wmTileVertical = 2, wmArrangeAll = 3 };

struct TMenuGroup {
    const char* Name;
    const char* Caption;
    std::vector<TMenuSpec> Items;
};

const std::vector<TMenuGroup>& MenuGroups()
{
    static const std::vector<TMenuGroup> groups = {
        {"MIFile",
         "File",
         {{"MIFileOpen", "AFileOpen", "", true, 0},
          {"MIFileSave", "AFileSave", "", true, 0},
          {"N1", nullptr, "-", true, 0},
          {"MIFileSettings", "AFileSettings", "", true, 0},
          {"N2", nullptr, "-", true, 0},
          {"MIFileExit", "AFileExit", "", true, 0}}},
        {"MIView",
         "View",
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
        {"MIDevice",
         "Device",
         {{"MIDeviceConnect", "AConnect", "", true, 0},
          {"MIDeviceDisconnect", "ADisconnect", "", true, 0},
          {"MIDeviceInit", "AInit", "", true, 0},
          {"N4", nullptr, "-", true, 0},
          {"MIDeviceSettings", "AHrdwSetup", "", true, 0}}},
        {"miWindow",
         "&Window",
         {{"Cascade1", nullptr, "&Cascade", true, wmCascade},
          {"Tilehorizontal1", nullptr, "Tile &horizontal", true, wmTileHorizontal},
          {"Tilevertical1", nullptr, "Tile &vertical", true, wmTileVertical},
          {"ArrangeAll1", nullptr, "&Arrange All", true, wmArrangeAll},
          {"N5", nullptr, "-", true, 0}}},
        {"MIHelp",
         "Help",
         {{"actHelp1", "actHelp", "", true, 0},
          {"N6", nullptr, "-", true, 0},
          {"MIHelpDeviceInfo", "AHelpDeviceInfo", "", true, 0},
          {"N7", nullptr, "-", true, 0},
          {"MIHelpAbout", "AHelpAbout", "", true, 0}}},
    };
    return groups;
}

// Tool bar buttons in order; null is a separator.
const char* const ToolBarActions[] = {"AFileOpen",
                                      "AFileSave",
                                      nullptr,
                                      "AViewExperimentalSetup",
                                      "AViewManualControl",
                                      "actViewManualControl2",
                                      "actViewDepositionFB",
                                      "AViewCalibrate",
                                      nullptr,
                                      "AViewIsothermCtrl",
                                      "AViewDepositionCtrl",
                                      "AViewDippingCtrl",
                                      "AViewScriptCtrl"};

std::string FilePart(const std::string& Path)
{
    const size_t slash = Path.find_last_of("/\\");
    return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

// How far right the controls of a window reach.
int ContentWidth(const TWinControl* Parent)
{
    int right = 0;
    for (int i = 0; i < Parent->ControlCount(); ++i) {
        const TControl* control = Parent->Controls(i);
        if (!control->GetVisible()) continue;
        const bool aligned = control->GetAlign() != alNone;
        int width = control->GetWidth();
        // An aligned container takes its width from the window: only its contents count.
        if (const auto* inner = dynamic_cast<const TWinControl*>(control); inner && inner->ControlCount() > 0)
            width = aligned ? ContentWidth(inner) : std::max(width, ContentWidth(inner) + 4);
        else if (aligned)
            width = 0;
        right = std::max(right, (aligned ? 0 : control->GetLeft()) + width);
    }
    return right + 8;
}

void BringForwardOrShow(TForm* Window)
{
    if (Window->GetVisible())
        Window->BringToFront();
    else
        Window->Show();
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
    ControlBar->OnAcceptDrag = [this](TForm* Client) { return ControlBarAccepts(Client); };
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
    splDock = new TSplitter(this);
    splDock->Name = "splDock";
    splDock->Control = pnlDock;
    splDock->MinSize = DockAreaWidth / 2;
    splDock->SetAlign(alRight);
    splDock->SetVisible(false);
    splDock->SetParent(this);
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
    pgcDock->OnChange = [this](TObject*) {
        UpdateDockCaption();
        FitDockToActivePage();
    };
    pgcDock->OnAcceptDrag = [this](TForm* Client) { return DockAreaAccepts(Client); };
    pgcDock->OnDockChanged = [this](TObject*) { UpdateDockPanel(); };

    MainMenu = new TMainMenu(this);
    MainMenu->Name = "MainMenu";
    BuildMenus();
    SetMenu(MainMenu);
    SetFormStyle(fsMDIForm);
    SetWindowMenu(miWindow);
    // The frame of the child windows opens over the whole screen.
    SetWindowState(wsMaximized);

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
    Simulation =
        std::make_unique<TSimulation>([this](WPARAM Code, LPARAM Payload) { return OnLinkNotify(Code, Payload); });
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
    // The link is stopped below and answers its last questions meanwhile; its reports,
    // a lost line's among them, find no windows to act on any more.
    FClosing = true;
    for (TTimer* timer : {MemCleanTimer, SimulateTimer, UpdateProcessTimer}) {
        timer->SetEnabled(false);
        delete timer;
    }
    ProcessNames.reset();
    // Unsaved data of ended runs are written while the filer is still loaded.
    UseDataSetManager.Collect();
    // The link library goes first, but only after the link object it made is gone.
    ReleaseLink();
    LinkLibrary.reset();
    FilerLibrary.reset();
    if (::MultiLang == MultiLang) ::MultiLang = nullptr;
    if (FMain == this) FMain = nullptr;
}

void TFMain::BuildActions()
{
    for (const TActionSpec& entry : ActionSpecs) {
        TAction* action =
            ActionList->AddAction(entry.Name, entry.Category, entry.Caption, TextToShortCut(entry.ShortCut));
        this->*entry.Field = action;
        if (entry.Handler) {
            const THandler handler = entry.Handler;
            action->OnExecute = [this, handler](TObject* Sender) { (this->*handler)(Sender); };
        } else {
            const TToolWindowKind kind = WindowPatternOfViewAction(entry.Name)->Kind;
            action->OnExecute = [this, kind](TObject*) { ViewDockable(kind); };
        }
    }
}

void TFMain::BuildMenus()
{
    for (const TMenuGroup& group : MenuGroups()) {
        TMenuItem* menu = NewMenuItem(this, MainMenu->Items(), group.Name, group.Caption);
        if (std::string(group.Name) == "miWindow") miWindow = menu;
        for (const TMenuSpec& entry : group.Items) {
            TAction* action = nullptr;
            if (entry.Action)
                for (int i = 0; i < ActionList->ActionCount(); ++i)
                    if (ActionList->Actions(i)->Name == entry.Action) action = ActionList->Actions(i);
            TMenuItem* item = NewMenuItem(this, menu, entry.Name, entry.Action ? "" : entry.Caption, action);
            item->Tag = entry.Tag;
            if (!entry.Visible) item->SetVisible(false);
            if (menu == miWindow && !item->IsLine())
                item->OnClick = [this](TObject* Sender) { WindowMenuClick(Sender); };
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
    const std::string name = WindowPattern(Kind).ViewAction;
    if (name.empty()) return nullptr;
    for (int i = 0; i < ActionList->ActionCount(); ++i)
        if (ActionList->Actions(i)->Name == name) return ActionList->Actions(i);
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

    // Numbers from the file are held to what the settings dialog allows; anything else
    // is the default, never a value the program cannot work with.
    const TAppSettings defaults;
    AppSettings.UpdateStatusInterval = static_cast<std::uint32_t>(IniFile->ReadIntegerInRange(
        "Settings", "UpdateStatusInterval", static_cast<int>(defaults.UpdateStatusInterval), 100, 10000));
    AppSettings.UpdateReceivedDataInterval = static_cast<std::uint32_t>(IniFile->ReadIntegerInRange(
        "Settings", "UpdateReceivedDataInterval", static_cast<int>(defaults.UpdateReceivedDataInterval), 100, 10000));
    AppSettings.ADCDataAccuracy = static_cast<std::uint8_t>(
        IniFile->ReadIntegerInRange("Settings", "ADCDataAccuracy", defaults.ADCDataAccuracy, 0, 3));
    // The watchdog's silence bound: positive and at most an hour.
    ResponseTimeout = IniFile->ReadIntegerInRange("Settings", "DeviceResponseMaxTimeInterval", 3000, 1, 3600000);
}

void TFMain::SaveSettings()
{
    if (!IniFile) return;
    IniFile->WriteString("Common", "LangFileName", MultiLang->LangFileName);
    IniFile->WriteInteger("Settings", "UpdateStatusInterval", static_cast<int>(AppSettings.UpdateStatusInterval));
    IniFile->WriteInteger("Settings", "UpdateReceivedDataInterval",
                          static_cast<int>(AppSettings.UpdateReceivedDataInterval));
    IniFile->WriteInteger("Settings", "ADCDataAccuracy", AppSettings.ADCDataAccuracy);
}

void TFMain::BindFiler()
{
    if (FilerLibrary->GetLoaded())
        if (auto get = reinterpret_cast<TGetSXFiler>(GetProcAddress(FilerLibrary->Handle, GetSXFilerExportName)))
            Filer = get();
    if (!Filer)
        Application->MessageBox(
            GetResString("Error of loading filer", "Error of loading filer") + " " + FilerLibrary->FileName,
            Application->Title, MB_OK | MB_ICONWARNING);
}

void TFMain::BindLink()
{
    if (LinkLibrary->GetLoaded())
        if (auto create =
                reinterpret_cast<TCreateHardwareLinkFunc>(GetProcAddress(LinkLibrary->Handle, CreateHardwareLinkName)))
            HlProvider.Link = create();
    IHardwareLink* link = HlProvider.Link;
    if (!link) {
        Application->MessageBox(GetResString("Error of loading hardware library", "Error of loading hardware library") +
                                    " " + LinkLibrary->FileName,
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
    if (auto destroy =
            reinterpret_cast<TDestroyHardwareLinkFunc>(GetProcAddress(LinkLibrary->Handle, DestroyHardwareLinkName))) {
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
    for (const TWindowPattern& kind : WindowPatterns())
        if (kind.TranslatesOnLanguageChange)
            if (TToolWindow* window = TToolWindow::Find(kind.Kind)) window->ApplyLanguage();
}

// ---------------------------------------------------------------------------------------
// Dock area

void TFMain::ShowDockPanel() { pnlDock->SetVisible(true); }

void TFMain::UpdateDockPanel()
{
    pnlDock->SetVisible(pgcDock->PageCount() > 0);
    splDock->SetVisible(pnlDock->GetVisible());
    if (!pnlDock->GetVisible()) return;
    UpdateDockCaption();
    FitDockToActivePage();
}

void TFMain::FitDockToActivePage()
{
    TTabSheet* page = pgcDock->GetActivePage();
    TForm* form = page ? page->DockedForm() : nullptr;
    const int needed = std::max(DockAreaWidth, form ? ContentWidth(form) + pgcDock->TabsExtent() : 0);
    if (pnlDock->GetWidth() == needed) return;
    pnlDock->SetWidth(needed);
    AlignControls();
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
    return window && window->Pattern().DragsIntoDockArea;
}

bool TFMain::ControlBarAccepts(TForm* Client) const { return !DockAreaAccepts(Client); }

// ---------------------------------------------------------------------------------------
// Actions

void TFMain::ViewDockable(TToolWindowKind Kind)
{
    TToolWindow* window = TToolWindow::Find(Kind);
    if (!window) return;
    if (window->HostDockSite() == pgcDock)
        ActivateDockPage(window->GetCaption());
    else
        BringForwardOrShow(window);
}

void TFMain::AFileOpenExecute(TObject*)
{
    if (auto* setup = FindRole<IRegisterWindow>(TToolWindowKind::ExpSetup)) setup->RunRegisterInsert();
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
    if (setup->GetVisible())
        setup->BringToFront();
    else
        setup->Show();
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
    if (FStatus) FStatus->ShowConnected(connected);
    StatusBar->Panels(0)->SetText(connected ? GetResString("Connected", "Connected")
                                            : GetResString("Disconnected", "Disconnected"));
    if (connected) UpdateResponseTick();
}

void TFMain::ADisconnectExecute(TObject*)
{
    if (IHardwareLink* link = HlProvider.Link) {
        link->Disconnect();
        if (FStatus) FStatus->ShowConnected(link->IsConnected());
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

namespace {

// A dialog that exists only while it is shown.
template <class TDialog>
void ShowModalDialog()
{
    TDialog* dialog = CreateForm<TDialog>(nullptr);
    try {
        dialog->ShowModal();
    } catch (...) {
        FreeForm(dialog);
        throw;
    }
    FreeForm(dialog);
}

}  // namespace

void TFMain::AFileSettingsExecute(TObject*) { ShowModalDialog<TFSettings>(); }
void TFMain::AHelpDeviceInfoExecute(TObject*) { ShowModalDialog<TFDeviceInfo>(); }
void TFMain::AHelpAboutExecute(TObject*) { ShowModalDialog<TFAbout>(); }

void TFMain::WindowMenuClick(TObject* Sender)
{
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item) return;
    switch (item->Tag) {
    case wmCascade:
        Cascade();
        break;
    case wmTileHorizontal:
        TileMode = tbHorizontal;
        Tile();
        break;
    case wmTileVertical:
        TileMode = tbVertical;
        Tile();
        break;
    case wmArrangeAll:
        ArrangeIcons();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Timers

void TFMain::MemCleanTimerTimer(TObject*) { UseDataSetManager.Collect(); }

void TFMain::UpdateProcessTimerTimer(TObject*)
{
    IHardwareLink* link = HlProvider.Link;
    FConnected = link && link->IsConnected();
    // One question per silence: a report clears the mark, and a question still open
    // (its box runs a nested loop in which this timer keeps ticking) is never doubled.
    if (FConnected && !FSilenceQuestioned && !FReconnectQuestionOpen &&
        static_cast<DWORD>(GetTickCount() - LastResponseTick) > static_cast<DWORD>(ResponseTimeout)) {
        FConnected = false;
        // A device that no longer reports cannot carry a run: the run ends now as on a
        // lost line, rows saved, rather than wait for the operator's answer.
        if (ProcessKind != pkNone) EndRunsOnLostLine();
        AskReconnect();
        FConnected = link->IsConnected();
    }
    if (FStatus) FStatus->ShowConnected(FConnected);
    StatusBar->Panels(0)->SetText(FConnected ? GetResString("Connected", "Connected")
                                             : GetResString("Disconnected", "Disconnected"));

    if (ProcessNamesChanged) {
        std::string text = GetResString("Process", "Process") + ": ";
        for (int i = 0; i < ProcessNames->Count();) {
            if ((*ProcessNames)[i].empty()) {
                ProcessNames->Delete(i);
                continue;
            }
            text += (*ProcessNames)[i] + "; ";
            ++i;
        }
        if (ProcessNames->Count() == 0) text += GetResString("None", "None");
        StatusBar->Panels(ProcessPanel)->SetText(text);
        if (FStatus) FStatus->SetProcessList(*ProcessNames);
        ProcessNamesChanged = false;
    }
}

void TFMain::AskReconnect()
{
    FSilenceQuestioned = true;
    FReconnectQuestionOpen = true;
    const int answer = Application->MessageBox("Device not responding! Do you want to reconnect?", Application->Title,
                                               MB_YESNO | MB_ICONWARNING);
    FReconnectQuestionOpen = false;
    if (answer != IDYES) return;
    if (IHardwareLink* link = HlProvider.Link) link->Disconnect();
    AConnect->Execute();
}

// ---------------------------------------------------------------------------------------
// Notifications of the device link

TDeviceState DeviceState{};

bool PostShowMessage(const char* StaticText, TMsgDlgType Type)
{
    if (!FMain) return false;
    return PostMessage(FMain->Handle(), WM_SHOWMESSAGE, reinterpret_cast<WPARAM>(StaticText),
                       static_cast<LPARAM>(Type));
}

TProcessKind RunningProcess() { return FMain ? FMain->ProcessKind : pkNone; }

void SetProcess(TProcessKind Kind)
{
    if (FMain) FMain->SetProcess(Kind);
}

void SetProcessText(const std::string& Text)
{
    if (FMain) FMain->SetProcessText(Text);
}

void SetProcessList(const TStringList* List)
{
    if (FMain) FMain->SetProcessList(List);
}

void HideViewAction(TToolWindowKind Kind)
{
    if (TAction* view = FMain ? FMain->ViewAction(Kind) : nullptr) view->SetVisible(false);
}

TDockSite* MainDockArea() { return FMain ? FMain->pgcDock : nullptr; }

void ShowMainDockPanel()
{
    if (FMain) FMain->ShowDockPanel();
}

void UpdateMainDockPanel()
{
    if (FMain) FMain->UpdateDockPanel();
}

void ChangeMainLanguage(const std::string& Path)
{
    if (FMain) FMain->ChangeLanguage(Path);
}

void SetScriptNoticeWindow(TForm* Window)
{
    if (FMain) FMain->ScriptWindow = Window;
}

void ReleaseScriptNoticeWindow(TForm* Window)
{
    if (FMain && FMain->ScriptWindow == Window) FMain->ScriptWindow = nullptr;
}

namespace {

bool IsDataPoint(WPARAM Code)
{
    switch (Code) {
    case hlnIsothermPoint:
    case hlnDepositionPoint:
    case hlnTapePoint:
    case hlnRollPoint:
    case hlnDiskPoint:
    case hlnCylPoint:
    case hlnTdarPoint:
    case hlnFilmPrepPoint:
        return true;
    default:
        return false;
    }
}

// The link's conversion questions: the script's value in user units to a device value.
using TConversion = double (*)(double Value);
TCalibrateParam& Clb() { return CalibrateParam; }

const struct {
    THlNotifyCode Code;
    TConversion Convert;
} Conversions[] = {
    {hlnConvFBSensetivity, [](double V) { return Clb().ballance.SPToHw(V); }},
    {hlnConvFBLimitUp, [](double V) { return Clb().barrier1.SpeedToCode(V); }},
    {hlnConvFBLimitDown, [](double V) { return Clb().barrier1.SpeedToCode(V); }},
    {hlnConvBarrierSpeed, [](double V) { return Clb().barrier1.SpeedToCode(V); }},
    {hlnConvDipperSpeed, [](double V) { return Clb().dipper.SpeedToCode(V); }},
    {hlnConvDipperDistance, [](double V) { return Clb().dipper.ShToHwDelta(V); }},
    {hlnConvBarrierPosition, [](double V) { return Clb().barrier1.ShToHw(V); }},
    {hlnConvTroughArea, [](double V) { return Clb().surface.AreaToPosition(V); }},
    {hlnConvPressure, [](double V) { return Clb().ballance.SPToHw(V); }},
    {hlnConvDipperRotatorAngle, [](double V) { return Clb().dipperRotator.ShToHwDelta(V); }},
    {hlnConvRevolverAngle, [](double V) { return Clb().revolver.ShToHwDelta(V); }},
    {hlnConvCellToRotator,
     [](double V) {
         int cellInRing = 0;
         const int ring = Clb().revolver.CellToRing(DoubleToInt32(V), &cellInRing);
         return static_cast<double>(Clb().dipperRotator.GetRingPos(ring));
     }},
    {hlnConvCellToRevolver, [](double V) { return static_cast<double>(Clb().revolver.CellAngle(DoubleToInt32(V))); }},
    {hlnConvRotationSpeed, [](double) { return 63500.0; }},
    {hlnConvDoserDistance, [](double V) { return Clb().doser.ShToHwDelta(V); }},
    {hlnConvTapeSpeed, [](double V) { return Clb().tape.SpeedToCode(V); }},
    {hlnConvDoserSpeed, [](double V) { return Clb().doser.SpeedToCode(V); }},
    {hlnConvDoserPressure, [](double V) { return Clb().doserBallance.SPToHw(V); }},
    {hlnConvRotBarrierSpeed, [](double V) { return Clb().rotatingBarrier.SpeedToCode(V); }},
    {hlnConvDiskSpeed, [](double V) { return Clb().diskDipper.SpeedToCode(V); }},
    {hlnConvCylinderSpeed, [](double V) { return Clb().cylDipper.SpeedToCode(V); }},
    {hlnConvDoser2Distance, [](double V) { return Clb().doser2.ShToHwDelta(V); }},
    {hlnConvDoser2Speed, [](double V) { return Clb().doser2.SpeedToCode(V); }},
    {hlnConvDoser2Pressure, [](double V) { return Clb().doserBallance.SPToHw(V); }},
};

bool IsConversion(WPARAM Code) { return Code >= hlnConvFBSensetivity && Code <= hlnConvPumpSpeed; }
bool IsScriptNotice(WPARAM Code) { return Code >= 100 && Code <= 199; }

}  // namespace

void TFMain::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_LINKNOTIFY:
        WMLinkNotify(Message);
        break;
    case WM_SHOWMESSAGE:
        WMShowMessage(Message);
        break;
    default:
        TForm::WndProc(Message);
        break;
    }
}

void TFMain::WMLinkNotify(TMessage& Message)
{
    if (FClosing && !IsConversion(Message.WParam)) {
        Message.Result = 0;
        return;
    }
    if (!IsScriptNotice(Message.WParam)) {
        Message.Result = OnLinkNotify(Message.WParam, Message.LParam);
        return;
    }
    // Without a registered script window the notice is dropped, so a cycle question is
    // answered 0 and the cycle ends.
    Message.Result =
        ScriptWindow ? SendMessage(ScriptWindow->Handle(), WM_LINKNOTIFY, Message.WParam, Message.LParam) : 0;
}

void TFMain::WMShowMessage(TMessage& Message)
{
    const char* text = reinterpret_cast<const char*>(Message.WParam);
    const auto type = static_cast<TMsgDlgType>(Message.LParam);
    MessageDlg(text ? text : "", type >= mtWarning && type <= mtConfirmation ? type : mtInformation, mbOK);
}

std::int32_t TFMain::OnLinkNotify(WPARAM Code, LPARAM Payload)
{
    switch (Code) {
    case hlnErrorText:
    case hlnTypeMismatch:
        ShowLinkError(Payload);
        return 1;
    case hlnDeviceState:
    case hlnDeviceStateChanged:
        if (const TDeviceState* state = NoticeRecord<TDeviceState>(Payload); state && state != &DeviceState)
            DeviceState = *state;
        UpdateStatus();
        if (Code == hlnDeviceState) NoticeDispatcher().Dispatch(Code, Payload, ProcessKind);
        UpdateResponseTick();
        return 1;
    default:
        break;
    }
    if (IsConversion(Code)) {
        const double* value = reinterpret_cast<const double*>(Payload);
        if (!value) return 0;
        for (const auto& conversion : Conversions)
            if (conversion.Code == Code) return DoubleToInt32(conversion.Convert(*value));
        return 0;
    }
    const bool routed = NoticeDispatcher().Dispatch(Code, Payload, ProcessKind);
    // The main window's own part of a notice, after the windows had theirs.
    static const struct {
        THlNotifyCode Code;
        void (TFMain::*Call)(LPARAM Payload);
    } MainWindowNotices[] = {
        {hlnDrivesStopped, &TFMain::ShowDipperOutOfRange},
        {hlnRollLimitSwitch, &TFMain::ShowRollLimitSwitch},
    };
    for (const auto& notice : MainWindowNotices)
        if (notice.Code == Code) (this->*notice.Call)(Payload);
    if (IsDataPoint(Code)) UpdateResponseTick();
    return routed ? 1 : 0;
}

void TFMain::ShowLinkError(LPARAM Payload)
{
    // The runs end before the box: its loop lets later notices through, and a script's
    // end notice must not find its run still going and call it completed.
    EndRunsOnLostLine();
    // The link's own words, shown as they come.
    const char* text = reinterpret_cast<const char*>(Payload);
    MessageDlg(text ? text : "", mtError, mbOK);
}

void TFMain::EndRunsOnLostLine()
{
    ADisconnect->Execute();
    // Without the link no run can go on: the one under way ends as failed.
    if (ProcessKind == pkNone) return;
    for (const TWindowPattern& kind : WindowPatterns())
        if (auto* window = FindRole<IProcessWindow>(kind.Kind)) window->LinkLost();
    // A process without a run of its own in a window (film preparation) ends here.
    if (ProcessKind == pkNone) return;
    SetProcess(pkNone);
    PostShowMessage(LostLineFailureText, mtError);
}

void TFMain::ShowDipperOutOfRange(LPARAM Payload)
{
    if (Payload == 1) MessageDlg("Dipper out of range", mtWarning, mbOK);
}

void TFMain::ShowRollLimitSwitch(LPARAM)
{
    Application->MessageBox("Limit switch activated. Process Roll Deposition was stoped", Application->Title,
                            MB_OK | MB_ICONINFORMATION);
}

void TFMain::UpdateResponseTick()
{
    LastResponseTick = GetTickCount();
    FSilenceQuestioned = false;
}

// ---------------------------------------------------------------------------------------
// Status bar and the reading windows

namespace {

// One reading of the status bar in its printf format (one "%...f" conversion). The
// status bar rounds as printf does, from the exact binary value (0.15 mm shows as 0.1,
// an exact 0.25 as 0.2), unlike the status window's fixed-notation texts; only the
// decimal point becomes the process decimal separator.
std::string StatusReading(const char* Format, double Value)
{
    char text[64];
    std::snprintf(text, sizeof text, Format, Value);
    std::string result = text;
    std::replace(result.begin(), result.end(), '.', GetDecimalSeparator());
    return result;
}

// The status bar's reading texts, in panel order.
std::vector<std::string> DeviceStateReadings(const TDeviceState& State)
{
    TCalibrateParam& clb = CalibrateParam;
    std::vector<std::string> texts;
    if (DeviceType != dtLbl) {
        texts.push_back("SP: " + PressureText(State.balance) + " mN/m");
        texts.push_back(StatusReading(
            "BPos: %.1f mm", clb.barrier1.HwToSh(static_cast<std::uint32_t>(State.barrier1Pos + State.barrier2Pos))));
        texts.push_back(
            StatusReading("Square: %.1f cm2", clb.surface.PositionToArea(State.barrier1Pos, State.barrier2Pos)));
    }
    texts.push_back(StatusReading("DPos: %.1f mm", clb.dipper.HwToSh(State.dipperPos)));
    if (DeviceType != dtTrough) {
        texts.push_back(StatusReading("DRot: %.0f", clb.dipperRotator.HwToSh(State.dipperRotatorPos)));
        texts.push_back(StatusReading("Rev: %.0f", clb.revolver.HwToSh(State.revolverPos)));
        const int cell = CellOfState(State);
        texts.push_back(cell < 0 ? std::string("Cell: Unk") : "Cell: " + std::to_string(cell));
    }
    return texts;
}

}  // namespace

void TFMain::UpdateStatus()
{
    const DWORD now = GetTickCount();
    if (static_cast<DWORD>(now - FLastStatusTick) < AppSettings.UpdateStatusInterval) return;
    FLastStatusTick = now;

    // Panel 5 is the process panel; the readings take the others in order.
    static const int ReadingPanels[] = {1, 2, 3, 4, 6, 7, 8};
    const std::vector<std::string> texts = DeviceStateReadings(DeviceState);
    for (size_t i = 0; i < texts.size() && i < std::size(ReadingPanels); ++i)
        if (ReadingPanels[i] < StatusBar->PanelCount()) StatusBar->Panels(ReadingPanels[i])->SetText(texts[i]);

    if (FStatus) FStatus->RefreshIndicators();
    for (const TWindowPattern& kind : WindowPatterns()) {
        if (!kind.RefreshesReadings) continue;
        TToolWindow* window = TToolWindow::Find(kind.Kind);
        if (auto* readings = dynamic_cast<IReadingsWindow*>(window); readings && window->GetVisible())
            readings->RefreshIndicators();
    }
}

// ---------------------------------------------------------------------------------------
// The running process

namespace {

// The process windows' START follows the running process as each kind declares.
void FollowProcess(const TWindowPattern& Kind, bool Idle)
{
    if (Kind.Start == TStartHandling::None) return;
    auto* window = FindRole<IProcessWindow>(Kind.Kind);
    if (!window) return;
    TControl* start = window->StartButton();
    switch (Kind.Start) {
    case TStartHandling::ShowStart:
        if (start) start->SetVisible(Idle);
        break;
    case TStartHandling::EnableStart:
        if (start) start->SetEnabled(Idle);
        break;
    case TStartHandling::ShowStartAndRunWhenIdle:
        if (start) start->SetVisible(Idle);
        if (Idle) window->EnableRun(true);
        break;
    case TStartHandling::EnableStartAndRun:
        if (start) start->SetEnabled(Idle);
        window->EnableRun(Idle);
        break;
    case TStartHandling::EnableRun:
        window->EnableRun(Idle);
        break;
    case TStartHandling::None:
        break;
    }
}

}  // namespace

void TFMain::SetProcess(TProcessKind Kind)
{
    const TProcessKind ended = ProcessKind;
    ProcessKind = Kind;
    const bool idle = Kind == pkNone;
    // With no process left the panel names none, whoever set the names last.
    if (idle) {
        ProcessNames->Clear();
        ProcessNamesChanged = true;
    }
    for (const TWindowPattern& kind : WindowPatterns()) FollowProcess(kind, idle);
    if (idle && ended != pkNone)
        for (const TWindowPattern& kind : WindowPatterns())
            if (auto* window = FindRole<IProcessWindow>(kind.Kind)) window->ProcessEnded(ended);
    const bool simulate = !idle && Simulate;
    SimulateTimer->SetEnabled(simulate);
    if (simulate) Simulation->Start(Kind);
}

void TFMain::SetProcessList(const TStringList* List)
{
    if (!List) return;
    *ProcessNames = *List;
    ProcessNamesChanged = true;
}

void TFMain::SetProcessText(const std::string& Text)
{
    ProcessNames->Clear();
    ProcessNames->Add(Text);
    ProcessNamesChanged = true;
}

// ---------------------------------------------------------------------------------------
// Simulated device reports

void TFMain::SimulateTimerTimer(TObject*) { Simulation->Tick(ProcessKind, SimulateTimer->GetInterval()); }
