#include "kvc/KvChartAxis.h"
#include "kvc/KvStore.h"

namespace KVC {

TKvChartAxis::TKvChartAxis()
    : FTitle(std::make_unique<TKvChartTitle>()),
      FTicks(std::make_unique<TKvChartTicks>()),
      FLabels(std::make_unique<TKvChartLabels>()),
      FGridPen(std::make_unique<TPen>()),
      FAxisPen(std::make_unique<TPen>())
{
    FTitle->OnChange = [this](TObject*) { Changed(); };
    FTicks->OnChange = [this](TObject*) { Changed(); };
    FLabels->OnChange = [this](TObject*) { Changed(); };
    FGridPen->OnChange = [this](TObject*) { Changed(); };
    FAxisPen->OnChange = [this](TObject*) { Changed(); };
}

void TKvChartAxis::Changed()
{
    if (OnChange) OnChange(this);
}

void TKvChartAxis::Assign(const TPersistent* Source)
{
    if (Source == this) return;
    const auto* axis = dynamic_cast<const TKvChartAxis*>(Source);
    if (!axis) AssignError("TKvChartAxis");
    FMin = axis->FMin;
    FMax = axis->FMax;
    FUserMin = axis->FUserMin;
    FUserMax = axis->FUserMax;
    FFrequency = axis->FFrequency;
    FCountLabels = axis->FCountLabels;
    FVisible = axis->FVisible;
    FGridVisible = axis->FGridVisible;
    FAxisVisible = axis->FAxisVisible;
    FAutoScale = axis->FAutoScale;
    FTicks->Assign(axis->FTicks.get());
    FLabels->Assign(axis->FLabels.get());
    FGridPen->Assign(*axis->FGridPen);
    FAxisPen->Assign(*axis->FAxisPen);
    FTitle->Assign(axis->FTitle.get());
    Changed();
}

void TKvChartAxis::SetVisible(bool Value)
{
    if (Store(FVisible, Value)) Changed();
}

void TKvChartAxis::SetMin(double Value)
{
    if (Value == FMin) return;
    FMin = FUserMin = Value;
    Changed();
}

void TKvChartAxis::SetMax(double Value)
{
    if (Value == FMax) return;
    FMax = FUserMax = Value;
    Changed();
}

void TKvChartAxis::SetFrequency(double Value)
{
    if (Store(FFrequency, Value)) Changed();
}

void TKvChartAxis::SetTitle(const TKvChartTitle& Value) { FTitle->Assign(&Value); }
void TKvChartAxis::SetTicks(const TKvChartTicks& Value) { FTicks->Assign(&Value); }
void TKvChartAxis::SetLabels(const TKvChartLabels& Value) { FLabels->Assign(&Value); }

void TKvChartAxis::SetGridVisible(bool Value)
{
    if (Store(FGridVisible, Value)) Changed();
}

void TKvChartAxis::SetAxisVisible(bool Value)
{
    if (Store(FAxisVisible, Value)) Changed();
}

void TKvChartAxis::SetAutoScale(bool Value)
{
    if (Store(FAutoScale, Value) && Value) Changed();
}

void TKvChartAxis::SetCountLabels(int Value)
{
    if (Store(FCountLabels, Value)) Changed();
}

void TKvChartAxis::SetCountPixelsBetweenLabels(int Value)
{
    if (Store(FCountPixelsBetweenLabels, Value)) Changed();
}

void TKvChartAxis::SetCountPixelsCanBeMore(bool Value)
{
    if (Store(FCountPixelsCanBeMore, Value)) Changed();
}

}  // namespace KVC
