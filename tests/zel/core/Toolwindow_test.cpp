// The window pattern with the real main window: docking at start, undocking by drag,
// the dock area, Docked and placement across a restart, the pull-back of an off-screen
// position, numbered captions, and the site checks of the dock area and the control bar.
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMdiArea>
#include <QScreen>
#include <QPixmap>
#include <QWidget>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <QCursor>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>

#include "MainWindowFixture.h"
#include "kvc/WidgetInput.h"
#include "platform/base/IniFiles.h"
#include "zel/accessories/Eudctrl.h"
#include "zel/accessories/Ucylindermembranedepositionctrl.h"
#include "zel/accessories/Udiskdepositionctrl.h"
#include "zel/accessories/Ufilmpreparation.h"
#include "zel/accessories/Urolldepositionctrl.h"
#include "zel/accessories/Utapedepositionctrl.h"
#include "zel/accessories/Utdarctrl.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Ustatus.h"
#include "zel/manual/Umanualcontrol.h"
#include "zel/manual/Umanualcontrol2.h"
#include "zel/manual/Upumpcontrol.h"
#include "zel/trough/Udepositioncontrol.h"
#include "zel/trough/Udippingcontrol.h"
#include "zel/trough/Uisothermcontrol.h"

namespace {

class TProbeWindow : public TToolWindow {
public:
    TProbeWindow(TComponent* Owner, TToolWindowKind Kind) : TToolWindow(Owner, Kind)
    {
        SetCaption(std::string("Probe ") + Pattern().SettingsSection);
        SetBounds(100, 100, 220, 180);
        for (int i = 0; i < 4; ++i) {
            Labels[i] = new TLabel(this);
            Labels[i]->SetCaption("label " + std::to_string(i + 1));
            Labels[i]->SetParent(this);
        }
    }
    TLabel* Labels[4];

protected:
    std::vector<TCaptionTarget> CaptionTargets() override
    {
        std::vector<TCaptionTarget> targets = TToolWindow::CaptionTargets();
        for (TLabel* label : Labels) targets.push_back([label](const std::string& Text) { label->SetCaption(Text); });
        return targets;
    }
};

using TWindowPatternTest = TMainWindowFixture;

void DragTabOut(TPageControl* Pages, int Index)
{
    QTabBar* bar = static_cast<QTabWidget*>(Pages->Widget())->tabBar();
    const QPoint tab = bar->tabRect(Index).center();
    QMouseEvent press(QEvent::MouseButtonPress, tab, bar->mapToGlobal(tab), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(bar, &press);
    const QPoint far = bar->mapToGlobal(tab) + QPoint(-500, 150);
    QMouseEvent move(QEvent::MouseMove, bar->mapFromGlobal(far), far, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
}

TEST_F(TWindowPatternTest, DockedAtStartUndockedByDragAndFloatingAfterRestart)
{
    Start("[Common]\n" + Libraries());
    auto* isotherm = CreateForm<TProbeWindow>(nullptr, TToolWindowKind::Isotherm);
    Main->Show();
    ASSERT_FALSE(isotherm->Floating());
    ASSERT_EQ(Main->pgcDock->PageCount(), 1);
    EXPECT_EQ(Main->pgcDock->Pages(0)->GetCaption(), "Probe IsothermControl");
    EXPECT_TRUE(Main->pnlDock->GetVisible());
    EXPECT_EQ(Main->pnlTabCaption->GetCaption(), "Probe IsothermControl");
    EXPECT_FALSE(isotherm->FormPlacement->GetActive());
    EXPECT_EQ(isotherm->GetWidth(), 220);  // at its own size

    DragTabOut(Main->pgcDock, 0);
    EXPECT_TRUE(isotherm->Floating());
    EXPECT_FALSE(Main->pnlDock->GetVisible());
    EXPECT_TRUE(isotherm->FormPlacement->GetActive());
    isotherm->SetBounds(150, 120, 220, 180);

    // Dragged back over the dock area (as the window manager moves it), the isotherm
    // window docks: the dock area's site check accepts it.
    const QPoint overDock = Main->pgcDock->Widget()->mapToGlobal(Main->pgcDock->Widget()->rect().center());
    QCursor::setPos(overDock);
    isotherm->Widget()->move(overDock - QPoint(30, 5));
    EXPECT_TRUE(Application->ProcessMessagesUntil([&] { return !isotherm->Floating(); }, ConditionWaitMs));
    EXPECT_TRUE(Main->pnlDock->GetVisible());
    EXPECT_FALSE(isotherm->FormPlacement->GetActive());
    DragTabOut(Main->pgcDock, 0);
    isotherm->SetBounds(150, 120, 220, 180);

    DestroyForms();  // the window saves before the main window ends the settings file
    TIniFile ini(Dir.File("zel.ini"));
    EXPECT_EQ(ini.ReadString("IsothermControl", "Docked", ""), "0");
    EXPECT_EQ(ini.ReadString("IsothermControl", "NormPos", ""), "150,120,370,300");

    Start("");
    auto* again = CreateForm<TProbeWindow>(nullptr, TToolWindowKind::Isotherm);
    EXPECT_TRUE(again->Floating());
    EXPECT_EQ(Main->pgcDock->PageCount(), 0);
    again->Show();
    EXPECT_EQ(again->BoundsRect(), Rect(150, 120, 370, 300));
}

TEST_F(TWindowPatternTest, DockAreaIsWideEnoughForItsWindowAndWidensByDragging)
{
    Start("[Common]\n" + Libraries());
    auto* isotherm = CreateForm<TProbeWindow>(nullptr, TToolWindowKind::Isotherm);
    auto* wide = new TLabel(isotherm);
    wide->SetParent(isotherm);
    wide->SetBounds(10, 10, 400, 16);
    Main->Show();
    ASSERT_FALSE(isotherm->Floating());
    Application->ProcessMessages();
    const int tabs = Main->pnlDock->GetWidth() - Main->pgcDock->Pages(0)->GetWidth();
    EXPECT_GE(Main->pnlDock->GetWidth(), 410 + tabs);
    EXPECT_GE(Main->pgcDock->Pages(0)->GetWidth(), 410);
    EXPECT_TRUE(Main->splDock->GetVisible());

    // The operator drags the bar beside the dock area 60 pixels to the left.
    const int before = Main->pnlDock->GetWidth();
    QWidget* bar = Main->splDock->Widget();
    const QPoint start = bar->mapToGlobal(QPoint(2, 50));
    QCursor::setPos(start);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 50), start, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &press);
    const QPoint end = start - QPoint(60, 0);
    QCursor::setPos(end);
    QMouseEvent move(QEvent::MouseMove, QPointF(bar->mapFromGlobal(end)), end, Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(bar->mapFromGlobal(end)), end, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(bar, &release);
    EXPECT_EQ(Main->pnlDock->GetWidth(), before + 60);
}

TEST_F(TWindowPatternTest, DockingAtStartFollowsTheDeviceType)
{
    struct Case {
        const char* DeviceType;
        TToolWindowKind Kind;
        bool Docks;
    };
    const Case cases[] = {
        {"LBL", TToolWindowKind::Isotherm, false}, {"LBL", TToolWindowKind::Manual, true},
        {"ZEL", TToolWindowKind::Roll, false},     {"ZEL", TToolWindowKind::Dipping, true},
        {"LBL", TToolWindowKind::Tape, false},     {"", TToolWindowKind::Tape, true},
        {"ZEL", TToolWindowKind::Eud, true},       {"LBL", TToolWindowKind::FilmPreparation, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.DeviceType) + " " + WindowPattern(c.Kind).SettingsSection);
        Start(std::string("[Common]\nDeviceType=") + c.DeviceType + "\n" + Libraries());
        auto* window = CreateForm<TProbeWindow>(nullptr, c.Kind);
        EXPECT_EQ(!window->Floating(), c.Docks);
        TearDown();
    }
    // Docked=0 keeps a window floating whatever the device type.
    Start("[Common]\n" + Libraries() + "[ManualControl]\nDocked=0\n");
    EXPECT_TRUE(CreateForm<TProbeWindow>(nullptr, TToolWindowKind::Manual)->Floating());
}

TEST_F(TWindowPatternTest, ManualWindowFillsItsPageAndTheDockAreaChecksDraggedWindows)
{
    Start("[Common]\n" + Libraries());
    auto* manual = CreateForm<TProbeWindow>(nullptr, TToolWindowKind::Manual);
    Main->Show();
    TTabSheet* page = Main->pgcDock->Pages(0);
    EXPECT_EQ(manual->GetWidth(), page->ClientWidth());
    EXPECT_EQ(manual->GetHeight(), page->ClientHeight());

    // Activating by caption: no such page changes nothing; the view action brings the page forward.
    const int active = Main->pgcDock->GetActivePageIndex();
    Main->ActivateDockPage("No such window");
    EXPECT_EQ(Main->pgcDock->GetActivePageIndex(), active);
    Main->AViewManualControl->Execute();
    EXPECT_EQ(Main->pgcDock->GetActivePage()->DockedForm(), manual);
    EXPECT_EQ(Main->pnlTabCaption->GetCaption(), manual->GetCaption());

    for (TToolWindowKind kind : {TToolWindowKind::Isotherm, TToolWindowKind::Deposition, TToolWindowKind::Dipping,
                                 TToolWindowKind::Tape, TToolWindowKind::Roll, TToolWindowKind::Manual})
        EXPECT_TRUE(Main->pgcDock->AcceptsDrag(CreateForm<TProbeWindow>(nullptr, kind)))
            << WindowPattern(kind).SettingsSection;
    for (TToolWindowKind kind :
         {TToolWindowKind::Manual2, TToolWindowKind::Pump, TToolWindowKind::Disk, TToolWindowKind::Eud})
        EXPECT_FALSE(Main->pgcDock->AcceptsDrag(CreateForm<TProbeWindow>(nullptr, kind)))
            << WindowPattern(kind).SettingsSection;
}

TEST_F(TWindowPatternTest, DockAreaRefusesADraggedWindowOutsideItsSiteCheck)
{
    Start("[Common]\n" + Libraries() + "[PumpControl]\nDocked=0\n");
    auto* pump = CreateForm<TProbeWindow>(nullptr, TToolWindowKind::Pump);
    Main->Show();
    pump->Show();
    EXPECT_FALSE(Main->pnlDock->GetVisible());
    const QPoint overDock = Main->pgcDock->Widget()->mapToGlobal(Main->pgcDock->Widget()->rect().center());
    QCursor::setPos(overDock);
    // The drop comes when the window manager's moves have settled; a busy machine delivers
    // them late, so the test waits for the drop itself.
    bool dropped = false;
    const auto endDock = pump->OnEndDock;
    pump->OnEndDock = [&](TObject* Sender, TObject* Target, int X, int Y) {
        endDock(Sender, Target, X, Y);
        dropped = true;
    };
    pump->Widget()->move(overDock - QPoint(30, 5));
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return dropped; }, ConditionWaitMs));
    EXPECT_TRUE(pump->Floating());
    EXPECT_FALSE(Main->pnlDock->GetVisible());  // shown for the drag, hidden again after it
    EXPECT_TRUE(pump->FormPlacement->GetActive());
}

// Moves a floating window as the window manager does while the operator drags it by its
// title bar, the pointer coming to rest over the target, and waits for the drop: a busy
// machine delivers the moves late.
bool DragWindowOnto(TForm* Window, TWinControl* Target)
{
    const QPoint over = Target->Widget()->mapToGlobal(Target->Widget()->rect().center());
    QCursor::setPos(over);
    bool dropped = false;
    const TEndDockEvent endDock = Window->OnEndDock;
    Window->OnEndDock = [&](TObject* Sender, TObject* Site, int X, int Y) {
        if (endDock) endDock(Sender, Site, X, Y);
        dropped = true;
    };
    Window->Widget()->move(over - QPoint(30, 5));
    const bool done = Application->ProcessMessagesUntil([&] { return dropped; }, ConditionWaitMs);
    Window->OnEndDock = endDock;
    return done;
}

// The main window shown at a place of its own on the screen: a maximised window reaches
// its place only later, which a drag aimed at its bar would miss.
void ShowMainWindowInPlace(TFMain* Main)
{
    Main->SetWindowState(wsNormal);
    Main->SetBounds(0, 0, 780, 720);
    Main->Show();
}

// A program window created as the start-up creates it, its global pointer set, and the
// pointer cleared again once the window is gone.
struct TRealWindow {
    std::function<TToolWindow*()> Create;
    std::function<void()> Forget;
};

template <class TWindow>
TRealWindow RealWindow(TWindow*& Global)
{
    return {[&Global]() -> TToolWindow* { return Global = CreateForm<TWindow>(nullptr); },
            [&Global] { Global = nullptr; }};
}

TEST_F(TWindowPatternTest, ControlBarTakesEveryDraggedWindowTheDockAreaRefuses)
{
    using K = TToolWindowKind;
    struct Case {
        K Kind;
        TRealWindow Window;
        bool IntoControlBar;
    };
    const Case cases[] = {
        {K::Manual2, RealWindow(FManualCtrl2), true},
        {K::Pump, RealWindow(FPumpCtrl), true},
        {K::Disk, RealWindow(FDiskDepositionCtrl), true},
        {K::CylinderMembrane, RealWindow(FCylinderMembraneDepositionCtrl), true},
        {K::TDAR, RealWindow(FTDARCtrl), true},
        {K::Eud, RealWindow(FEudCtrl), true},
        {K::FilmPreparation, RealWindow(FFilmPreparation), true},
        {K::Isotherm, RealWindow(FIsothermCtrl), false},
        {K::Deposition, RealWindow(FDepositionCtrl), false},
        {K::Dipping, RealWindow(FDippingCtrl), false},
        {K::Tape, RealWindow(FTapeDepositionCtrl), false},
        {K::Roll, RealWindow(FRollDepositionCtrl), false},
        {K::Manual, RealWindow(FManualCtrl), false},
    };
    for (const Case& c : cases) {
        const char* section = WindowPattern(c.Kind).SettingsSection;
        SCOPED_TRACE(section);
        // The combined instrument: every one of these windows serves it.
        Start("[Common]\n" + Libraries() + "[" + section + "]\nDocked=0\n");
        TToolWindow* window = c.Window.Create();
        ShowMainWindowInPlace(Main);
        window->Show();
        ASSERT_TRUE(window->Floating());
        const int barHeight = Main->ControlBar->GetHeight();
        // Each site takes exactly the windows the other refuses.
        EXPECT_EQ(Main->ControlBar->AcceptsDrag(window), c.IntoControlBar);
        EXPECT_EQ(Main->pgcDock->AcceptsDrag(window), !c.IntoControlBar);

        ASSERT_TRUE(DragWindowOnto(window, Main->ControlBar));
        EXPECT_EQ(window->Floating(), !c.IntoControlBar);
        EXPECT_EQ(Main->ControlBar->BandCount(), c.IntoControlBar ? 1 : 0);
        EXPECT_EQ(Main->pgcDock->PageCount(), 0);
        EXPECT_FALSE(Main->pnlDock->GetVisible());
        if (c.IntoControlBar) {
            EXPECT_EQ(window->HostDockSite(), Main->ControlBar);
            EXPECT_EQ(window->Widget()->parentWidget(), Main->ControlBar->Widget());
            EXPECT_TRUE(window->Widget()->isVisible());
            EXPECT_GT(Main->ControlBar->GetHeight(), barHeight);  // the bar grew a row for it
            EXPECT_FALSE(window->FormPlacement->GetActive());
        } else {
            EXPECT_EQ(Main->ControlBar->GetHeight(), barHeight);
            EXPECT_TRUE(window->Widget()->isWindow());
        }

        // Closing saves the docked state; at the next start the window docks (as every
        // docked window does, into the dock area) or stays floating.
        TearDown();
        c.Window.Forget();
        EXPECT_EQ(TIniFile(Dir.File("zel.ini")).ReadString(section, "Docked", ""), c.IntoControlBar ? "1" : "0");
        Start("");
        window = c.Window.Create();
        EXPECT_EQ(window->Floating(), !c.IntoControlBar);
        EXPECT_EQ(Main->pgcDock->PageCount(), c.IntoControlBar ? 1 : 0);
        TearDown();
        c.Window.Forget();
    }
}

TEST_F(TWindowPatternTest, WindowDockedInTheControlBarByDragLeavesItByItsGrip)
{
    Start("[Common]\n" + Libraries() + "[ManualControl2]\nDocked=0\n");
    FManualCtrl2 = CreateForm<TFManualCtrl2>(nullptr);
    TToolWindow* window = FManualCtrl2;
    ShowMainWindowInPlace(Main);
    window->Show();
    const QSize size = window->Widget()->size();
    QWidget* childArea = Main->pgcDock->Widget()->window()->findChild<QMdiArea*>();
    ASSERT_NE(childArea, nullptr);
    const int childAreaTop = childArea->geometry().top();

    ASSERT_TRUE(DragWindowOnto(window, Main->ControlBar));
    ASSERT_EQ(window->HostDockSite(), Main->ControlBar);
    // The window keeps its size; the child-window area gives way to the grown bar.
    EXPECT_EQ(window->Widget()->size(), size);
    EXPECT_EQ(childArea->geometry().top(),
              childAreaTop + Main->ControlBar->GetHeight() - (Main->ControlBar->RowSize + 2));
    EXPECT_GT(childArea->geometry().top(), childAreaTop);
    // Its view action leaves it where it is and shows it.
    window->Hide();
    Main->actViewManualControl2->Execute();
    EXPECT_EQ(window->HostDockSite(), Main->ControlBar);
    EXPECT_TRUE(window->Widget()->isVisible());

    // Dragged out by its grip, the window floats at its own size inside the work area,
    // remembering its position again; the bar and the child area return.
    QWidget* grip = Main->ControlBar->BandGrip(window);
    ASSERT_NE(grip, nullptr);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    WidgetInput::PressAndDragTo(grip, area.bottomRight() + QPoint(400, 400));
    EXPECT_TRUE(window->Floating());
    EXPECT_TRUE(window->Widget()->isWindow());
    EXPECT_TRUE(window->Widget()->isVisible());
    EXPECT_EQ(window->Widget()->size(), size);
    EXPECT_TRUE(area.contains(window->Widget()->frameGeometry()));
    EXPECT_TRUE(window->FormPlacement->GetActive());
    EXPECT_EQ(Main->ControlBar->BandCount(), 0);
    EXPECT_EQ(Main->ControlBar->GetHeight(), Main->ControlBar->RowSize + 2);
    EXPECT_EQ(childArea->geometry().top(), childAreaTop);

    DestroyForms();
    FManualCtrl2 = nullptr;
    EXPECT_EQ(TIniFile(Dir.File("zel.ini")).ReadString("ManualControl2", "Docked", ""), "0");
}

TEST_F(TWindowPatternTest, MainWindowPictureHasItsRealSizeAndADrawnDockPage)
{
    Start("[Common]\n" + Libraries());
    auto* isotherm = CreateForm<TProbeWindow>(nullptr, TToolWindowKind::Isotherm);
    Main->SetWindowState(wsNormal);
    Main->SetBounds(10, 10, 900, 600);
    Main->Show();
    Application->ProcessMessages();
    const QImage picture = Main->Widget()->grab().toImage();
    if (const char* folder = std::getenv("ZEL_SCREENSHOT_DIR")) picture.save(QString(folder) + "/main-window.png");
    ASSERT_EQ(picture.width(), Main->Widget()->width() * picture.devicePixelRatio());
    EXPECT_EQ(picture.width(), 900);
    EXPECT_EQ(picture.height(), 600);
    // The dock page shows the window's labels: its area is not one flat colour, and the
    // whole picture holds the menu, tool bar, status bar and child area in several colours.
    const QRect page = Main->pgcDock->Pages(0)->Widget()->geometry().translated(
        Main->pgcDock->Pages(0)->Widget()->parentWidget()->mapTo(Main->Widget(), QPoint(0, 0)));
    ASSERT_FALSE(page.isEmpty());
    std::set<QRgb> pageColours, allColours;
    for (int y = page.top(); y <= page.bottom(); y += 2)
        for (int x = page.left(); x <= page.right(); x += 2) pageColours.insert(picture.pixel(x, y));
    for (int y = 0; y < picture.height(); y += 3)
        for (int x = 0; x < picture.width(); x += 3) allColours.insert(picture.pixel(x, y));
    EXPECT_GT(pageColours.size(), 2u);
    EXPECT_GT(allColours.size(), 4u);
    EXPECT_FALSE(isotherm->Floating());
}

TEST_F(TWindowPatternTest, OffScreenPositionIsPulledBack)
{
    const int width = Screen->Width(), height = Screen->Height();
    Start("[Common]\n" + Libraries() + "[DippingControl]\nDocked=0\nNormPos=5000,7000,5220,7180\n");
    auto* dipping = CreateForm<TProbeWindow>(nullptr, TToolWindowKind::Dipping);
    dipping->Show();
    // Pulled back far enough that the whole window is on the screen, at its own size.
    EXPECT_LE(dipping->GetLeft() + dipping->GetWidth(), width);
    EXPECT_LE(dipping->GetTop() + dipping->GetHeight(), height);
    EXPECT_GT(dipping->GetLeft(), width / 2);
    EXPECT_EQ(dipping->GetWidth(), 220);
}

TEST_F(TWindowPatternTest, DockAreaFitsTheWindowOnItsActivePage)
{
    Start("[Common]\n" + Libraries());
    auto* tapeAndRinse = CreateForm<TFTDARCtrl>(nullptr);
    auto* filmPreparation = CreateForm<TFFilmPreparation>(nullptr);
    Main->Show();
    Application->ProcessMessages();
    ASSERT_EQ(Main->pgcDock->PageCount(), 2);
    std::map<TForm*, int> dockWidths;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < Main->pgcDock->PageCount(); ++i) {
            Main->pgcDock->SetActivePageIndex(i);
            Application->ProcessMessages();
            TTabSheet* page = Main->pgcDock->Pages(i);
            TForm* shown = page->DockedForm();
            ASSERT_NE(shown, nullptr);
            // Nothing of the shown window is cut off by the page it lies on.
            QWidget* pageWidget = page->Widget();
            for (QWidget* child : shown->Widget()->findChildren<QWidget*>()) {
                if (!child->isVisibleTo(pageWidget)) continue;
                const QRect at(child->mapTo(pageWidget, QPoint(0, 0)), child->size());
                EXPECT_LE(at.right(), pageWidget->width() - 1)
                    << shown->GetCaption() << " " << child->objectName().toStdString();
            }
            dockWidths[shown] = Main->pnlDock->GetWidth();
        }
    // The wide tape-and-rinse window widens the dock area only while it is shown: the
    // main window's child area keeps the rest.
    EXPECT_LT(dockWidths[filmPreparation], dockWidths[tapeAndRinse]);
}

TEST_F(TWindowPatternTest, WindowsOpenBesideEachOtherAndNeverUnderTheStatusWindow)
{
    Start("[Common]\n" + Libraries());
    Main->Show();
    Application->ProcessMessages();
    auto* status = CreateForm<TFStatus>(nullptr);  // it shows itself
    ASSERT_TRUE(status->GetVisible());
    const QMdiArea* childArea = Main->Widget()->findChild<QMdiArea*>();
    ASSERT_NE(childArea, nullptr);
    const QRect area(childArea->mapToGlobal(QPoint(0, 0)), childArea->size());
    const QRect kept = status->Widget()->frameGeometry();
    // In the child area's bottom left corner, its frame's title bar aside.
    EXPECT_EQ(kept.left(), area.left());
    EXPECT_LE(kept.bottom(), area.bottom());
    EXPECT_LT(area.bottom() - kept.bottom(), 40);

    // Windows opened without a stored place, one of them tall and one a child window of
    // the main window: each in a spot of its own, none under the status window, and the
    // child window clear of the windows of their own (there is room for it).
    struct Case {
        TToolWindowKind Kind;
        int Height;
        bool ChildWindow;
    };
    const Case cases[] = {{TToolWindowKind::Calibration, 180, false},
                          {TToolWindowKind::Script, 420, false},
                          {TToolWindowKind::DepositionFB, 180, true},
                          {TToolWindowKind::DepPosInfo, 180, false}};
    std::vector<QRect> opened;
    for (const Case& c : cases) {
        auto* window = CreateForm<TProbeWindow>(nullptr, c.Kind);
        window->SetBounds(window->GetLeft(), window->GetTop(), window->GetWidth(), c.Height);
        if (c.ChildWindow) window->SetFormStyle(fsMDIChild);
        window->Show();
        Application->ProcessMessages();
        QWidget* frame = c.ChildWindow ? window->Widget()->parentWidget() : window->Widget();
        const QRect at(frame->mapToGlobal(QPoint(0, 0)), frame->size());
        SCOPED_TRACE(WindowPattern(c.Kind).PlacementSection);
        EXPECT_FALSE(at.intersects(kept));
        EXPECT_TRUE(area.contains(at.topLeft()));
        for (const QRect& before : opened) {
            EXPECT_NE(at.topLeft(), before.topLeft());
            if (c.ChildWindow) {
                EXPECT_FALSE(at.intersects(before));
            }
        }
        opened.push_back(at);
    }
}

TEST_F(TWindowPatternTest, NumberedCaptionsStopAtAGapAndKeepEmptyItems)
{
    ForceLanguage();  // [IsothermCtrl] 0=Isotherme, 1= (empty), 2=Zyklen, 4=Nie
    Start("[Common]\n" + Libraries() + "[IsothermControl]\nDocked=0\n");
    auto* isotherm = CreateForm<TProbeWindow>(nullptr, TToolWindowKind::Isotherm);
    EXPECT_EQ(isotherm->GetCaption(), "Isotherme");
    EXPECT_EQ(isotherm->Labels[0]->GetCaption(), "label 1");  // empty item: unchanged
    EXPECT_EQ(isotherm->Labels[1]->GetCaption(), "Zyklen");
    EXPECT_EQ(isotherm->Labels[3]->GetCaption(), "label 4");  // after the gap at 3: unchanged

    // A language change re-translates the listed windows.
    WriteFileText(Dir.File("Language/other.lng"), "[IsothermCtrl]\n0=Isotherm B\n");
    Main->ChangeLanguage(Dir.File("Language/other.lng"));
    EXPECT_EQ(isotherm->GetCaption(), "Isotherm B");
}

}  // namespace
