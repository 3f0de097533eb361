#include "platform/ui/TabControl.h"

#include <QTabBar>

#include "platform/ui/ControlsInternal.h"

namespace {
QTabBar* Bar(const TControl* Control)
{
    return Control->Widget()->findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly);
}
}  // namespace

TTabControl::TTabControl(TComponent* Owner) : TWinControl(Owner)
{
    auto* area = new QWidget();
    area->resize(289, 193);
    auto* bar = new QTabBar(area);
    bar->setDrawBase(true);
    QObject::connect(bar, &QTabBar::currentChanged, [this](int) {
        if (FUpdating) return;
        if (OnChange) OnChange(this);
    });
    SetWidget(area);
    PlaceTabs();
}

TTabControl::~TTabControl() = default;

void TTabControl::SetTabs(const std::vector<std::string>& Captions)
{
    FUpdating = true;
    QTabBar* bar = Bar(this);
    while (bar->count() > 0) bar->removeTab(0);
    for (const std::string& caption : Captions) bar->addTab(ToQ(caption));
    bar->setCurrentIndex(Captions.empty() ? -1 : 0);
    FUpdating = false;
    PlaceTabs();
}

int TTabControl::TabCount() const { return Bar(this)->count(); }

std::string TTabControl::TabCaption(int Index) const { return FromQ(Bar(this)->tabText(Index)); }

void TTabControl::SetTabCaption(int Index, const std::string& Caption)
{
    Bar(this)->setTabText(Index, ToQ(Caption));
    PlaceTabs();
}

int TTabControl::GetTabIndex() const { return Bar(this)->currentIndex(); }

void TTabControl::SetTabIndex(int Value)
{
    if (Value < 0 || Value >= TabCount()) return;
    FUpdating = true;
    Bar(this)->setCurrentIndex(Value);
    FUpdating = false;
}

void TTabControl::ChooseTab(int Index)
{
    if (Index < 0 || Index >= TabCount()) return;
    SetTabIndex(Index);
    if (OnChange) OnChange(this);
}

void TTabControl::SetTabPosition(TTabPosition Value)
{
    FTabPosition = Value;
    static const QTabBar::Shape shapes[] = {QTabBar::RoundedNorth, QTabBar::RoundedSouth, QTabBar::RoundedWest,
                                            QTabBar::RoundedEast};
    Bar(this)->setShape(shapes[Value]);
    PlaceTabs();
    AlignControls();
}

void TTabControl::PlaceTabs()
{
    QTabBar* bar = Bar(this);
    const QSize hint = bar->sizeHint();
    const QSize size = Widget()->size();
    switch (FTabPosition) {
    case tpTop:
        bar->setGeometry(0, 0, size.width(), hint.height());
        break;
    case tpBottom:
        bar->setGeometry(0, size.height() - hint.height(), size.width(), hint.height());
        break;
    case tpLeft:
        bar->setGeometry(0, 0, hint.width(), size.height());
        break;
    case tpRight:
        bar->setGeometry(size.width() - hint.width(), 0, hint.width(), size.height());
        break;
    }
    bar->raise();
}

TRect TTabControl::AlignArea() const
{
    const QRect tabs = Bar(this)->geometry();
    const int w = ClientWidth(), h = ClientHeight();
    switch (FTabPosition) {
    case tpTop:
        return TRect{0, tabs.height(), w, h};
    case tpBottom:
        return TRect{0, 0, w, h - tabs.height()};
    case tpLeft:
        return TRect{tabs.width(), 0, w, h};
    case tpRight:
        return TRect{0, 0, w - tabs.width(), h};
    }
    return TRect{0, 0, w, h};
}

void TTabControl::Resize()
{
    PlaceTabs();
    TWinControl::Resize();
}
