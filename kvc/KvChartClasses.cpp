#include "kvc/KvChartClasses.h"
#include "kvc/KvStore.h"

namespace KVC {

int NormalizeAngle(int Angle)
{
    while (Angle < 0) Angle += 360;
    while (Angle > 360) Angle -= 360;
    return Angle;
}

// ---- Title ------------------------------------------------------------------------------
TKvChartTitle::TKvChartTitle() : FFont(std::make_unique<TFont>())
{
    FFont->SetName("Tahoma");
    FFont->OnChange = [this](TObject* Sender) { Changed(Sender); };
}

void TKvChartTitle::Changed(TObject* Sender)
{
    if (OnChange) OnChange(Sender);
}

void TKvChartTitle::Assign(const TPersistent* Source)
{
    if (Source == this) return;
    const auto* title = dynamic_cast<const TKvChartTitle*>(Source);
    if (!title) AssignError("TKvChartTitle");
    FVisible = title->FVisible;
    FText = title->FText;
    FColor = title->FColor;
    FAlignment = title->FAlignment;
    FAngle = title->FAngle;
    FFont->Assign(*title->FFont);
    Changed(this);
}

void TKvChartTitle::SetText(const std::string& Value)
{
    if (Store(FText, Value)) Changed(this);
}
void TKvChartTitle::SetVisible(bool Value)
{
    if (Store(FVisible, Value)) Changed(this);
}
void TKvChartTitle::SetIndent(int Value)
{
    if (Store(FIndent, Value)) Changed(this);
}
void TKvChartTitle::SetColor(TColor Value)
{
    if (Store(FColor, Value)) Changed(this);
}
void TKvChartTitle::SetAlignment(TAlignment Value)
{
    if (Store(FAlignment, Value)) Changed(this);
}
void TKvChartTitle::SetLayout(TTextLayout Value)
{
    if (Store(FLayout, Value)) Changed(this);
}
void TKvChartTitle::SetAngle(int Value)
{
    if (Value == FAngle) return;
    FAngle = NormalizeAngle(Value);
    Changed(this);
}

// ---- Ticks ------------------------------------------------------------------------------
TKvChartTicks::TKvChartTicks() : FPen(std::make_unique<TPen>())
{
    FPen->OnChange = [this](TObject* Sender) { Changed(Sender); };
}

void TKvChartTicks::Changed(TObject* Sender)
{
    if (OnChange) OnChange(Sender);
}

void TKvChartTicks::Assign(const TPersistent* Source)
{
    if (Source == this) return;
    const auto* ticks = dynamic_cast<const TKvChartTicks*>(Source);
    if (!ticks) AssignError("TKvChartTicks");
    FType = ticks->FType;
    FVisible = ticks->FVisible;
    FLength = ticks->FLength;
    FMinorTickCount = ticks->FMinorTickCount;
    FMinotTickLength = ticks->FMinotTickLength;
    FPen->Assign(*ticks->FPen);
    Changed(this);
}

void TKvChartTicks::SetType(TKvChartTicksType Value)
{
    if (Store(FType, Value)) Changed(this);
}
void TKvChartTicks::SetVisible(bool Value)
{
    if (Store(FVisible, Value)) Changed(this);
}
void TKvChartTicks::SetLength(int Value)
{
    if (Store(FLength, Value)) Changed(this);
}
void TKvChartTicks::SetMinorTickCount(int Value)
{
    if (Store(FMinorTickCount, Value)) Changed(this);
}
void TKvChartTicks::SetMinotTickLength(int Value)
{
    if (Store(FMinotTickLength, Value)) Changed(this);
}

// ---- Labels -----------------------------------------------------------------------------
TKvChartLabels::TKvChartLabels() : FFont(std::make_unique<TFont>())
{
    FFont->SetName("Tahoma");
    FFont->SetSize(7);
    FFont->OnChange = [this](TObject* Sender) { Changed(Sender); };
}

void TKvChartLabels::Changed(TObject* Sender)
{
    if (OnChange) OnChange(Sender);
}

void TKvChartLabels::Assign(const TPersistent* Source)
{
    if (Source == this) return;
    const auto* labels = dynamic_cast<const TKvChartLabels*>(Source);
    if (!labels) AssignError("TKvChartLabels");
    FRoundFirstLabel = labels->FRoundFirstLabel;
    FVisible = labels->FVisible;
    FAngle = labels->FAngle;
    FIndent = labels->FIndent;
    FPrecision = labels->FPrecision;
    FFont->Assign(*labels->FFont);
    Changed(this);
}

void TKvChartLabels::SetRoundFirstLabel(bool Value)
{
    if (Store(FRoundFirstLabel, Value)) Changed(this);
}
void TKvChartLabels::SetVisible(bool Value)
{
    if (Store(FVisible, Value)) Changed(this);
}
void TKvChartLabels::SetIndent(int Value)
{
    if (Store(FIndent, Value)) Changed(this);
}
void TKvChartLabels::SetAngle(int Value)
{
    if (Value == FAngle) return;
    FAngle = NormalizeAngle(Value);
    Changed(this);
}
void TKvChartLabels::SetPrecision(int Value)
{
    if (Store(FPrecision, Value)) Changed(this);
}

}  // namespace KVC
