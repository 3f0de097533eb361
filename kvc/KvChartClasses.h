// Settings of a chart's titles, ticks and value labels. Each reports its changes (and
// those of its pen or font) through OnChange, which the owner points at its image.
#pragma once
#include <memory>
#include <string>
#include "platform/ui/Graphics.h"
#include "platform/ui/Persistent.h"

namespace KVC {

// Angles are kept within 0 to 360 degrees.
int NormalizeAngle(int Angle);

class TKvChartTitle : public TPersistent {
public:
    TKvChartTitle();
    void Assign(const TPersistent* Source) override;

    const std::string& GetText() const { return FText; }
    void SetText(const std::string& Value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    int GetIndent() const { return FIndent; }
    void SetIndent(int Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont& Value) { FFont->Assign(Value); }
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TTextLayout GetLayout() const { return FLayout; }
    void SetLayout(TTextLayout Value);
    int GetAngle() const { return FAngle; }
    void SetAngle(int Value);

    TNotifyEvent OnChange;

private:
    void Changed(TObject* Sender);
    std::string FText;
    bool FVisible = true;
    int FIndent = 3;
    TColor FColor = clBlack;
    std::unique_ptr<TFont> FFont;
    TAlignment FAlignment = taCenter;
    TTextLayout FLayout = tlCenter;
    int FAngle = 0;
};

enum TKvChartTicksType { cttInner = 0, cttOuter = 1 };

class TKvChartTicks : public TPersistent {
public:
    TKvChartTicks();
    void Assign(const TPersistent* Source) override;

    TPen* Pen() const { return FPen.get(); }
    void SetPen(const TPen& Value) { FPen->Assign(Value); }
    TKvChartTicksType GetType() const { return FType; }
    void SetType(TKvChartTicksType Value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    int GetLength() const { return FLength; }
    void SetLength(int Value);
    int GetMinorTickCount() const { return FMinorTickCount; }
    void SetMinorTickCount(int Value);
    int GetMinotTickLength() const { return FMinotTickLength; }
    void SetMinotTickLength(int Value);

    TNotifyEvent OnChange;

private:
    void Changed(TObject* Sender);
    std::unique_ptr<TPen> FPen;
    TKvChartTicksType FType = cttOuter;
    bool FVisible = true;
    int FLength = 5;
    int FMinorTickCount = 4;
    int FMinotTickLength = 3;
};

class TKvChartLabels : public TPersistent {
public:
    TKvChartLabels();
    void Assign(const TPersistent* Source) override;

    bool GetRoundFirstLabel() const { return FRoundFirstLabel; }
    void SetRoundFirstLabel(bool Value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    int GetIndent() const { return FIndent; }
    void SetIndent(int Value);
    int GetAngle() const { return FAngle; }
    void SetAngle(int Value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont& Value) { FFont->Assign(Value); }
    int GetPrecision() const { return FPrecision; }
    void SetPrecision(int Value);

    TNotifyEvent OnChange;

private:
    void Changed(TObject* Sender);
    bool FRoundFirstLabel = true;
    bool FVisible = true;
    int FIndent = 2;
    int FAngle = 0;
    std::unique_ptr<TFont> FFont;
    int FPrecision = 0;
};

}  // namespace KVC
