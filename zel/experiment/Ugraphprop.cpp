#include "zel/experiment/Ugraphprop.h"

#include "platform/kvcls/kvcls.h"
#include "platform/ui/FloatFormat.h"
#include "zel/core/Common.h"

TZelGraphLineProp DefaultLineProp;
TZelGraphAxisProp DefaultAxisProp;
TZelGraphProp DefaultGraphProp;
bool GraphDefaultsLoaded = false;

const std::array<TColor, 10> SeriesPalette = {clRed,    clBlue,  clGreen, clOlive,    clPurple,
                                              clNavy,   clTeal,  clLime,  clFuchsia,  clMaroon};

namespace {

std::unique_ptr<TFont> MakeFont(TColor Color)
{
    auto font = std::make_unique<TFont>();
    font->SetName("Tahoma");
    font->SetSize(8);
    font->SetColor(Color);
    font->SetStyle(TFontStyles());
    return font;
}

// Settings keys of one font: name, size, colour, bold, italic.
struct TFontKeys {
    const char* Name;
    const char* Size;
    const char* Color;
    const char* Bold;
    const char* Italic;
};
constexpr TFontKeys TitleFontKeys{"TitleFontName", "TitleFontSize", "TitleFontColor", "TitleFontBold", "TitleFontItalic"};
constexpr TFontKeys LegendFontKeys{"LegendFontName", "LegendFontSize", "LegendFontColor", "LegendFontBold",
                                   "LegendFontItalic"};

void ReadFont(TFont& Font, const TFontKeys& Keys)
{
    Font.SetName(IniFile->ReadString(GraphPropSection, Keys.Name, Font.GetName()));
    Font.SetSize(IniFile->ReadInteger(GraphPropSection, Keys.Size, Font.GetSize()));
    Font.SetColor(IniFile->ReadInteger(GraphPropSection, Keys.Color, Font.GetColor()));
    const bool bold = IniFile->ReadBool(GraphPropSection, Keys.Bold, false);
    const bool italic = IniFile->ReadBool(GraphPropSection, Keys.Italic, false);
    TFontStyles style;
    if (bold) style << fsBold;
    if (italic) style << fsItalic;
    // With neither key set the font keeps the style it has.
    if (bold || italic) Font.SetStyle(style);
}

void WriteFont(const TFont& Font, const TFontKeys& Keys)
{
    IniFile->WriteString(GraphPropSection, Keys.Name, Font.GetName());
    IniFile->WriteInteger(GraphPropSection, Keys.Size, Font.GetSize());
    IniFile->WriteInteger(GraphPropSection, Keys.Color, Font.GetColor());
    IniFile->WriteBool(GraphPropSection, Keys.Bold, Font.GetStyle().Contains(fsBold));
    IniFile->WriteBool(GraphPropSection, Keys.Italic, Font.GetStyle().Contains(fsItalic));
}

// An 8-bit field keeps the low 8 bits of what the settings file holds.
std::uint8_t ReadByte(const char* Key, std::uint8_t Current)
{
    return static_cast<std::uint8_t>(IniFile->ReadInteger(GraphPropSection, Key, Current));
}

float ReadFloatText(const char* Key, float Current)
{
    const std::string text = IniFile->ReadString(GraphPropSection, Key, FloatToStr(Current));
    return static_cast<float>(ConvertString2Float(text));
}

}  // namespace

TZelGraphProp::TZelGraphProp() : TitleFont(MakeFont(clBlue)), LegendFont(MakeFont(clBlack)) {}

TZelGraphProp::TZelGraphProp(const TZelGraphProp& Other) : TZelGraphProp() { *this = Other; }

TZelGraphProp& TZelGraphProp::operator=(const TZelGraphProp& Other)
{
    if (this == &Other) return *this;
    TitleText = Other.TitleText;
    TitleFont->Assign(*Other.TitleFont);
    ColorBackground = Other.ColorBackground;
    ColorAxis = Other.ColorAxis;
    GridColor = Other.GridColor;
    LegendFont->Assign(*Other.LegendFont);
    GridVisible = Other.GridVisible;
    LegendVisible = Other.LegendVisible;
    HighlightAxisByLineColor = Other.HighlightAxisByLineColor;
    return *this;
}

TZelGraphProp::~TZelGraphProp() = default;

void ReadDefaultGraphProp()
{
    TZelGraphProp& p = DefaultGraphProp;
    p.TitleText = IniFile->ReadString(GraphPropSection, "TitleText", p.TitleText);
    ReadFont(*p.TitleFont, TitleFontKeys);
    p.ColorBackground = IniFile->ReadInteger(GraphPropSection, "ColorBackground", p.ColorBackground);
    p.ColorAxis = IniFile->ReadInteger(GraphPropSection, "ColorAxis", p.ColorAxis);
    p.GridVisible = IniFile->ReadBool(GraphPropSection, "GridVisible", p.GridVisible);
    p.GridColor = IniFile->ReadInteger(GraphPropSection, "GridColor", p.GridColor);
    p.LegendVisible = IniFile->ReadBool(GraphPropSection, "LegendVisible", p.LegendVisible);
    ReadFont(*p.LegendFont, LegendFontKeys);
    p.HighlightAxisByLineColor = IniFile->ReadBool(GraphPropSection, "HighlightAxisByLineColor", p.HighlightAxisByLineColor);
}

void ReadDefaultLineProp()
{
    TZelGraphAxisProp& a = DefaultAxisProp;
    a.AutoScale = IniFile->ReadBool(GraphPropSection, "AxisAutoScale", a.AutoScale);
    a.Min = ReadFloatText("AxisMin", a.Min);
    a.Max = ReadFloatText("AxisMax", a.Max);
    TZelGraphLineProp& l = DefaultLineProp;
    l.LineColor = IniFile->ReadInteger(GraphPropSection, "LineColor", l.LineColor);
    l.MarkerBorderColor = IniFile->ReadInteger(GraphPropSection, "MarkerBorderColor", l.MarkerBorderColor);
    l.MarkerSize = ReadByte("MarkerSize", l.MarkerSize);
    l.LineSplineOrder = ReadByte("LineSplineOrder", l.LineSplineOrder);
    l.LineTypePoints = ReadByte("LineTypePoints", l.LineTypePoints);
    l.LineThikness = ReadByte("LineThikness", l.LineThikness);
    l.LineFilter = ReadByte("LineFilter", l.LineFilter);
    l.LineJoinPoints = IniFile->ReadBool(GraphPropSection, "LineJoinPoints", l.LineJoinPoints);
    l.LineDeriv1stOrder = IniFile->ReadBool(GraphPropSection, "LineDeriv1stOrder", l.LineDeriv1stOrder);
    l.LineNumPointsLimitation = IniFile->ReadBool(GraphPropSection, "LineNumPointsLimitation", l.LineNumPointsLimitation);
    l.LineNumPointsLimitationType = ReadByte("LineNumPointsLimitationType", l.LineNumPointsLimitationType);
    l.LineNumPointsMax = IniFile->ReadInteger(GraphPropSection, "LineNumPointsMax", l.LineNumPointsMax);
}

void SaveDefaultGraphProp()
{
    const TZelGraphProp& p = DefaultGraphProp;
    IniFile->WriteString(GraphPropSection, "TitleText", p.TitleText);
    WriteFont(*p.TitleFont, TitleFontKeys);
    IniFile->WriteInteger(GraphPropSection, "ColorBackground", p.ColorBackground);
    IniFile->WriteInteger(GraphPropSection, "ColorAxis", p.ColorAxis);
    IniFile->WriteBool(GraphPropSection, "GridVisible", p.GridVisible);
    IniFile->WriteInteger(GraphPropSection, "GridColor", p.GridColor);
    IniFile->WriteBool(GraphPropSection, "LegendVisible", p.LegendVisible);
    WriteFont(*p.LegendFont, LegendFontKeys);
    IniFile->WriteBool(GraphPropSection, "HighlightAxisByLineColor", p.HighlightAxisByLineColor);
}

void SaveDefaultLineProp()
{
    const TZelGraphAxisProp& a = DefaultAxisProp;
    IniFile->WriteBool(GraphPropSection, "AxisAutoScale", a.AutoScale);
    IniFile->WriteFloat(GraphPropSection, "AxisMin", a.Min);
    IniFile->WriteFloat(GraphPropSection, "AxisMax", a.Max);
    const TZelGraphLineProp& l = DefaultLineProp;
    IniFile->WriteInteger(GraphPropSection, "LineColor", l.LineColor);
    IniFile->WriteInteger(GraphPropSection, "MarkerBorderColor", l.MarkerBorderColor);
    IniFile->WriteInteger(GraphPropSection, "MarkerSize", l.MarkerSize);
    IniFile->WriteInteger(GraphPropSection, "LineSplineOrder", l.LineSplineOrder);
    IniFile->WriteInteger(GraphPropSection, "LineTypePoints", l.LineTypePoints);
    IniFile->WriteInteger(GraphPropSection, "LineThikness", l.LineThikness);
    IniFile->WriteInteger(GraphPropSection, "LineFilter", l.LineFilter);
    IniFile->WriteBool(GraphPropSection, "LineJoinPoints", l.LineJoinPoints);
    IniFile->WriteBool(GraphPropSection, "LineDeriv1stOrder", l.LineDeriv1stOrder);
    IniFile->WriteBool(GraphPropSection, "LineNumPointsLimitation", l.LineNumPointsLimitation);
    IniFile->WriteInteger(GraphPropSection, "LineNumPointsLimitationType", l.LineNumPointsLimitationType);
    IniFile->WriteInteger(GraphPropSection, "LineNumPointsMax", l.LineNumPointsMax);
}
