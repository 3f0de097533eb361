#include "platform/ui/ComCtrls.h"

#include <QAction>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStackedWidget>
#include <QTabBar>
#include <QStyle>
#include <QStyleOption>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "platform/ui/ControlsInternal.h"
#include "platform/ui/TextSize.h"

// ---------------------------------------------------------------------------------------
// Tool bar

struct TToolButton::TImpl {
    QPointer<QAction> Action;
};

TToolBar::TToolBar(TComponent* Owner) : TWinControl(Owner)
{
    auto* bar = new QToolBar();
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->setMovable(false);
    bar->resize(400, 24);
    SetWidget(bar);
}

// The buttons go while the list they leave still exists.
TToolBar::~TToolBar() { DestroyComponents(); }

TToolButton* TToolBar::AddButton(const std::string& Name, TAction* Action)
{
    auto* button = new TToolButton(this, Action, false);
    button->Name = Name;
    FButtons.push_back(button);
    return button;
}

TToolButton* TToolBar::AddSeparator(const std::string& Name)
{
    auto* button = new TToolButton(this, nullptr, true);
    button->Name = Name;
    FButtons.push_back(button);
    return button;
}

TToolButton::TToolButton(TToolBar* Bar, TAction* Action, bool Separator)
    : TComponent(Bar), FBar(Bar), FAction(Action), FSeparator(Separator), FImpl(std::make_unique<TImpl>())
{
    auto* bar = static_cast<QToolBar*>(Bar->Widget());
    if (Separator) {
        FImpl->Action = bar->addSeparator();
        return;
    }
    FImpl->Action = bar->addAction(QString());
    QObject::connect(FImpl->Action.data(), &QAction::triggered, [this] { Click(); });
    if (FAction) {
        FreeNotification(FAction);
        FListener = FAction->AddChangeListener([this](TAction::TChange) { ActionChanged(); });
        ActionChanged();
    }
}

TToolButton::~TToolButton()
{
    if (FAction) FAction->RemoveChangeListener(FListener);
    auto& buttons = FBar->FButtons;
    buttons.erase(std::remove(buttons.begin(), buttons.end(), this), buttons.end());
    delete FImpl->Action.data();
}

void TToolButton::ActionChanged()
{
    QAction* a = FImpl->Action;
    if (!a || !FAction) return;
    a->setText(ToQ(FAction->GetCaption()));
    a->setToolTip(ToQ(FAction->GetHint()));
    a->setEnabled(FAction->GetEnabled());
    a->setVisible(FVisible && FAction->GetVisible());
}

void TToolButton::Notification(TComponent* Component, TOperation Operation)
{
    if (Operation == opRemove && Component == FAction) FAction = nullptr;
}

bool TToolButton::GetVisible() const { return FVisible && (!FAction || FAction->GetVisible()); }

void TToolButton::SetVisible(bool Value)
{
    FVisible = Value;
    if (FImpl->Action) FImpl->Action->setVisible(GetVisible());
}

std::string TToolButton::GetHint() const { return FAction ? FAction->GetHint() : std::string(); }
bool TToolButton::GetEnabled() const { return FImpl->Action && FImpl->Action->isEnabled(); }

void TToolButton::Click()
{
    if (FAction) FAction->Execute();
}

// ---------------------------------------------------------------------------------------
// Control bar and its bands

namespace {

// A window dragged from a dock site leaves it once the pointer is this far outside.
constexpr int DragOutMargin = 20;

// Area is in the coordinates of Site.
bool DraggedOut(const QWidget* Site, const QRect& Area, const QPoint& Global)
{
    const QRect near = Area.adjusted(-DragOutMargin, -DragOutMargin, DragOutMargin, DragOutMargin);
    return !near.contains(Site->mapFromGlobal(Global));
}

constexpr int GripWidth = 10;
constexpr int BandGap = 2;

// The handle at the left of a band, by which the operator drags the window out of the bar.
class TBandGrip : public QWidget {
public:
    TBandGrip(QWidget* Bar, TForm* Client) : QWidget(Bar), FClient(Client) { setCursor(Qt::SizeAllCursor); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QStyleOption option;
        option.initFrom(this);
        option.state |= QStyle::State_Horizontal;
        style()->drawPrimitive(QStyle::PE_IndicatorToolBarHandle, &option, &painter, this);
    }
    void mousePressEvent(QMouseEvent* Event) override { FPressed = Event->button() == Qt::LeftButton; }
    void mouseReleaseEvent(QMouseEvent*) override { FPressed = false; }
    void mouseMoveEvent(QMouseEvent* Event) override
    {
        // Out of the band, not of the whole bar: a bar with tall bands is mostly bands.
        const QPoint global = Event->globalPosition().toPoint();
        const QRect band = geometry().united(FClient->Widget()->geometry());
        if (!FPressed || !DraggedOut(parentWidget(), band, global)) return;
        FPressed = false;
        // The undock takes this grip away (later, not under its own event).
        if (FClient->DragKind == dkDock) FClient->DragUndock(global.x(), global.y());
    }

private:
    TForm* FClient;
    bool FPressed = false;
};

}  // namespace

// A docked window that shows, hides or changes its size moves the bands after it.
class TBandWatch : public QObject {
public:
    explicit TBandWatch(TControlBar* Bar) : FBar(Bar) {}
    bool eventFilter(QObject*, QEvent* Event) override
    {
        const QEvent::Type type = Event->type();
        if (type == QEvent::ShowToParent || type == QEvent::HideToParent || type == QEvent::Resize) FBar->LayoutBands();
        return false;
    }

private:
    TControlBar* FBar;
};

struct TControlBar::TImpl {
    struct TBand {
        TForm* Form;
        QPointer<TBandGrip> Grip;
    };
    std::vector<TBand> Bands;
    std::unique_ptr<TBandWatch> Watch;
    bool Laying = false;
};

TControlBar::TControlBar(TComponent* Owner) : TWinControl(Owner), FImpl(std::make_unique<TImpl>())
{
    auto* strip = new QWidget();
    strip->resize(400, ToolRowHeight());
    SetWidget(strip);
    FImpl->Watch = std::make_unique<TBandWatch>(this);
    RegisterDockSite(this);
}

TControlBar::~TControlBar()
{
    UnregisterDockSite(this);
    // Docked windows float again rather than go down with the bar.
    while (!FImpl->Bands.empty()) UndockClient(FImpl->Bands.back().Form);
}

int TControlBar::BandCount() const { return static_cast<int>(FImpl->Bands.size()); }

TForm* TControlBar::Bands(int Index) const { return FImpl->Bands.at(static_cast<size_t>(Index)).Form; }

QWidget* TControlBar::BandGrip(const TForm* Client) const
{
    for (const TImpl::TBand& band : FImpl->Bands)
        if (band.Form == Client) return band.Grip;
    return nullptr;
}

bool TControlBar::AcceptsDrag(TForm* Client)
{
    if (!DockSite) return false;
    return OnAcceptDrag ? OnAcceptDrag(Client) : true;
}

bool TControlBar::DockClient(TForm* Client, bool)
{
    if (!Client || !DockSite) return false;
    TakeIn(Client, ClientWidget());
    FImpl->Bands.push_back({Client, new TBandGrip(ClientWidget(), Client)});
    QWidget* form = Client->Widget();
    form->installEventFilter(FImpl->Watch.get());
    form->setVisible(Client->GetVisible());
    LayoutBands();
    if (OnDockChanged) OnDockChanged(this);
    return true;
}

void TControlBar::UndockClient(TForm* Client)
{
    auto& bands = FImpl->Bands;
    auto it = std::find_if(bands.begin(), bands.end(), [Client](const TImpl::TBand& b) { return b.Form == Client; });
    if (it == bands.end()) return;
    const QPointer<TBandGrip> grip = it->Grip;
    bands.erase(it);
    Client->Widget()->removeEventFilter(FImpl->Watch.get());
    if (grip) {
        grip->hide();
        grip->deleteLater();
    }
    LetGo(Client);
    LayoutBands();
    if (OnDockChanged) OnDockChanged(this);
}

TRect TControlBar::AlignArea() const { return TRect{0, 0, ClientWidth(), ToolRowHeight()}; }

void TControlBar::AlignRemainder(const TRect&) { LayoutBands(); }

void TControlBar::LayoutBands()
{
    if (FImpl->Laying) return;
    FImpl->Laying = true;
    int x = 0, rowTop = ToolRowHeight(), rowHeight = 0;
    for (TImpl::TBand& band : FImpl->Bands) {
        const bool shown = band.Form->GetVisible();
        band.Grip->setVisible(shown);
        if (!shown) continue;
        QWidget* form = band.Form->Widget();
        const int width = GripWidth + form->width();
        const int rows = std::max(1, (form->height() + RowSize - 1) / RowSize);
        if (x > 0 && x + width > ClientWidth()) {
            rowTop += rowHeight;
            x = 0;
            rowHeight = 0;
        }
        band.Grip->setToolTip(ToQ(band.Form->GetCaption()));
        band.Grip->setGeometry(x, rowTop, GripWidth, rows * RowSize);
        form->move(x + GripWidth, rowTop);
        x += width + BandGap;
        rowHeight = std::max(rowHeight, rows * RowSize);
    }
    FImpl->Laying = false;
    const int height = rowTop + rowHeight;
    if (GetHeight() != height) SetHeight(height);
}

// ---------------------------------------------------------------------------------------
// Status bar

TStatusBar::TStatusBar(TComponent* Owner) : TWinControl(Owner)
{
    auto* strip = new QWidget();
    strip->resize(400, 19);
    SetWidget(strip);
}

TStatusBar::~TStatusBar() = default;

TStatusPanel* TStatusBar::AddPanel(const std::string& Text, int Width)
{
    auto panel = std::make_unique<TStatusPanel>();
    auto* label = new QLabel(Widget());
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->FLabel = label;
    panel->FWidth = Width;
    // Not on the bar yet, so the text does not lay the bar out.
    panel->SetText(Text);
    panel->FBar = this;
    FPanels.push_back(std::move(panel));
    LayoutPanels();
    // Placed before it shows, so showing does not measure it a second time.
    label->show();
    return FPanels.back().get();
}

void TStatusBar::Resize()
{
    LayoutPanels();
    TWinControl::Resize();
}

void TStatusBar::LayoutPanels()
{
    int x = 0;
    const int h = GetHeight();
    for (size_t i = 0; i < FPanels.size(); ++i) {
        auto* label = static_cast<QLabel*>(FPanels[i]->FLabel);
        // The last panel takes what is left of the bar.
        // A panel is never narrower than its reading.
        const int shown = std::max(FPanels[i]->FWidth, LabelTextSize(label).width() + 4);
        const int w = i + 1 == FPanels.size() ? std::max(shown, GetWidth() - x) : shown;
        label->setGeometry(x, 0, w, h);
        x += shown;
    }
}

void TStatusPanel::SetText(const std::string& Value)
{
    if (FText == Value) return;
    FText = Value;
    if (FLabel) static_cast<QLabel*>(FLabel)->setText(" " + ToQ(Value));
    if (FBar) FBar->LayoutPanels();
}

void TStatusPanel::SetWidth(int Value)
{
    FWidth = Value;
    if (FBar) FBar->LayoutPanels();
}

// ---------------------------------------------------------------------------------------
// Pages and docking

TTabSheet::TTabSheet(TComponent* Owner, TPageControl* PageControl) : TWinControl(Owner), FPageControl(PageControl)
{
    auto* page = new QWidget();
    SetWidget(page);
    FPageControl->AddSheet(this);
}

TTabSheet::~TTabSheet()
{
    if (FForm) FPageControl->ReleaseForm(this);
    FPageControl->RemoveSheet(this);
}

int TTabSheet::PageIndex() const
{
    const auto& pages = FPageControl->FPages;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::ApplyCaption()
{
    auto* tabs = static_cast<QTabWidget*>(FPageControl->Widget());
    const int index = tabs->indexOf(Widget());
    if (index >= 0) tabs->setTabText(index, ToQ(GetCaption()));
}

void TTabSheet::Resize()
{
    if (FForm && FFill) FForm->SetBounds(0, 0, ClientWidth(), ClientHeight());
    TWinControl::Resize();
}

// Dragging a tab out of the page control floats the window on it.
class TTabDragFilter : public QObject {
public:
    explicit TTabDragFilter(TPageControl* Control) : FControl(Control) {}
    bool eventFilter(QObject*, QEvent* Event) override
    {
        auto* tabs = static_cast<QTabWidget*>(FControl->Widget());
        QTabBar* bar = tabs->tabBar();
        switch (Event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(Event);
            FIndex = e->button() == Qt::LeftButton ? bar->tabAt(e->position().toPoint()) : -1;
            return false;
        }
        case QEvent::MouseMove: {
            if (FIndex < 0) return false;
            auto* e = static_cast<QMouseEvent*>(Event);
            const QPoint global = e->globalPosition().toPoint();
            if (!DraggedOut(tabs, tabs->rect(), global)) return false;
            const int index = FIndex;
            FIndex = -1;
            if (index < FControl->PageCount())
                if (TForm* form = FControl->Pages(index)->DockedForm()) {
                    if (form->DragKind == dkDock) form->DragUndock(global.x(), global.y());
                }
            return true;
        }
        case QEvent::MouseButtonRelease:
            FIndex = -1;
            return false;
        default:
            return false;
        }
    }

private:
    TPageControl* FControl;
    int FIndex = -1;
};

struct TPageControl::TImpl {
    std::unique_ptr<TTabDragFilter> DragFilter;
};

TPageControl::TPageControl(TComponent* Owner) : TWinControl(Owner), FImpl(std::make_unique<TImpl>())
{
    auto* tabs = new QTabWidget();
    tabs->resize(200, 200);
    QObject::connect(tabs, &QTabWidget::currentChanged, [this](int) {
        if (OnChange) OnChange(this);
    });
    SetWidget(tabs);
    FImpl->DragFilter = std::make_unique<TTabDragFilter>(this);
    tabs->tabBar()->installEventFilter(FImpl->DragFilter.get());
    RegisterDockSite(this);
}

TPageControl::~TPageControl()
{
    UnregisterDockSite(this);
    if (Widget()) static_cast<QTabWidget*>(Widget())->tabBar()->removeEventFilter(FImpl->DragFilter.get());
    // Docked windows float again rather than go down with their pages.
    for (TTabSheet* page : std::vector<TTabSheet*>(FPages))
        if (page->FForm) UndockClient(page->FForm);
    DestroyComponents();
}

QWidget* TPageControl::ClientWidget() const { return Widget(); }

void TPageControl::AddSheet(TTabSheet* Sheet)
{
    FPages.push_back(Sheet);
    static_cast<QTabWidget*>(Widget())->addTab(Sheet->Widget(), ToQ(Sheet->GetCaption()));
}

void TPageControl::RemoveSheet(TTabSheet* Sheet)
{
    auto it = std::find(FPages.begin(), FPages.end(), Sheet);
    if (it == FPages.end()) return;
    FPages.erase(it);
    auto* tabs = static_cast<QTabWidget*>(Widget());
    if (tabs && Sheet->Widget()) {
        const int index = tabs->indexOf(Sheet->Widget());
        if (index >= 0) tabs->removeTab(index);
    }
}

TTabSheet* TPageControl::GetActivePage() const
{
    const int index = GetActivePageIndex();
    return index >= 0 && index < PageCount() ? FPages[static_cast<size_t>(index)] : nullptr;
}

void TPageControl::SetActivePage(TTabSheet* Page)
{
    if (Page) SetActivePageIndex(Page->PageIndex());
}

int TPageControl::GetActivePageIndex() const
{
    auto* tabs = static_cast<QTabWidget*>(Widget());
    QWidget* current = tabs->currentWidget();
    for (size_t i = 0; i < FPages.size(); ++i)
        if (FPages[i]->Widget() == current) return static_cast<int>(i);
    return -1;
}

void TPageControl::SetActivePageIndex(int Index)
{
    if (Index < 0 || Index >= PageCount()) return;
    static_cast<QTabWidget*>(Widget())->setCurrentWidget(FPages[static_cast<size_t>(Index)]->Widget());
}

void TPageControl::SetTabPosition(TTabPosition Value)
{
    FTabPosition = Value;
    static const QTabWidget::TabPosition positions[] = {QTabWidget::North, QTabWidget::South, QTabWidget::West,
                                                        QTabWidget::East};
    static_cast<QTabWidget*>(Widget())->setTabPosition(positions[Value]);
}

int TPageControl::TabsExtent() const
{
    const auto* tabs = static_cast<const QTabWidget*>(Widget());
    const QTabWidget::TabPosition side = tabs->tabPosition();
    const QSize bar = tabs->tabBar()->sizeHint();
    const int frame = 2 * tabs->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
    return (side == QTabWidget::East || side == QTabWidget::West ? bar.width() : 0) + frame;
}

bool TPageControl::AcceptsDrag(TForm* Client)
{
    if (!DockSite) return false;
    return OnAcceptDrag ? OnAcceptDrag(Client) : true;
}

bool TPageControl::DockClient(TForm* Client, bool FillPage)
{
    if (!Client || !DockSite) return false;
    auto* sheet = new TTabSheet(this, this);
    sheet->SetCaption(Client->GetCaption());
    sheet->FForm = Client;
    sheet->FFill = FillPage;
    sheet->EndLoading();
    QWidget* form = Client->Widget();
    const QSize size = form->size();
    TakeIn(Client, sheet->Widget());
    if (FillPage)
        form->setGeometry(0, 0, sheet->ClientWidth(), sheet->ClientHeight());
    else
        form->setGeometry(0, 0, size.width(), size.height());
    form->setVisible(Client->GetVisible());
    SetActivePage(sheet);
    if (OnDockChanged) OnDockChanged(this);
    return true;
}

void TPageControl::ClientResized(TForm*)
{
    if (OnDockChanged) OnDockChanged(this);
}

void TPageControl::ReleaseForm(TTabSheet* Sheet)
{
    TForm* client = Sheet->FForm;
    Sheet->FForm = nullptr;
    LetGo(client);
}

void TPageControl::UndockClient(TForm* Client)
{
    for (TTabSheet* sheet : FPages) {
        if (sheet->FForm != Client) continue;
        ReleaseForm(sheet);
        delete sheet;
        if (OnDockChanged) OnDockChanged(this);
        return;
    }
}
