// The graph defaults of section GraphProp: exact keys and values written, read back,
// and the reading rules for fonts, floats with either separator and 8-bit fields.
#include "GraphTestSupport.h"
#include "platform/ui/IniFiles.h"

namespace {

using TGraphPropSection = TGraphSettingsFixture;

TEST_F(TGraphPropSection, BuiltInDefaults)
{
    StartWith("");
    const TZelGraphLineProp line;
    EXPECT_EQ(line.LineColor, 0x0000FF);
    EXPECT_EQ(line.MarkerBorderColor, 0x0000FF);
    EXPECT_EQ(line.MarkerSize, 7);
    EXPECT_EQ(line.LineSplineOrder, 0);
    EXPECT_EQ(line.LineTypePoints, 0);
    EXPECT_EQ(line.LineThikness, 1);
    EXPECT_EQ(line.LineFilter, 0);
    EXPECT_TRUE(line.LineJoinPoints);
    EXPECT_FALSE(line.LineDeriv1stOrder);
    EXPECT_TRUE(line.LineNumPointsLimitation);
    EXPECT_EQ(line.LineNumPointsMax, 1000);
    EXPECT_EQ(line.LineNumPointsLimitationType, 0);
    EXPECT_EQ(line.Table, nullptr);
    const TZelGraphProp graph;
    EXPECT_EQ(graph.TitleFont->GetName(), "Tahoma");
    EXPECT_EQ(graph.TitleFont->GetSize(), 8);
    EXPECT_EQ(graph.TitleFont->GetColor(), 0xFF0000);
    EXPECT_EQ(graph.LegendFont->GetColor(), 0);
    EXPECT_EQ(graph.ColorBackground, 0xFFFFFF);
    EXPECT_EQ(graph.GridColor, 0x808080);
    EXPECT_TRUE(graph.GridVisible);
    EXPECT_FALSE(graph.LegendVisible);
    EXPECT_TRUE(graph.HighlightAxisByLineColor);
    EXPECT_EQ(SeriesPalette, (std::array<TColor, 10>{0x0000FF, 0xFF0000, 0x008000, 0x008080, 0x800080, 0x800000,
                                                      0x808000, 0x00FF00, 0xFF00FF, 0x000080}));
}

TEST_F(TGraphPropSection, CopiesKeepTheirOwnFonts)
{
    StartWith("");
    TZelGraphProp a;
    a.TitleFont->SetName("Courier");
    a.TitleFont->SetStyle(TFontStyles() << fsBold);
    TZelGraphProp b(a);
    EXPECT_NE(b.TitleFont.get(), a.TitleFont.get());
    EXPECT_EQ(b.TitleFont->GetName(), "Courier");
    EXPECT_TRUE(b.TitleFont->GetStyle().Contains(fsBold));
    a.TitleFont->SetName("Arial");
    EXPECT_EQ(b.TitleFont->GetName(), "Courier");
}

TEST_F(TGraphPropSection, WritesEveryKeyInOrderAndReadsThemBack)
{
    StartWith("");
    TZelGraphProp& g = DefaultGraphProp;
    g.TitleText = "Isotherm of stearic acid";
    g.TitleFont->SetName("Arial");
    g.TitleFont->SetSize(12);
    g.TitleFont->SetColor(0x123456);
    g.TitleFont->SetStyle(TFontStyles() << fsBold);
    g.ColorBackground = 0xF0F0F0;
    g.ColorAxis = 0x000080;
    g.GridVisible = false;
    g.GridColor = 0x404040;
    g.LegendVisible = true;
    g.LegendFont->SetStyle(TFontStyles() << fsItalic);
    g.HighlightAxisByLineColor = false;
    SaveDefaultGraphProp();

    DefaultAxisProp.AutoScale = false;
    DefaultAxisProp.Min = 2.5f;
    DefaultAxisProp.Max = 75;
    TZelGraphLineProp& l = DefaultLineProp;
    l.LineColor = 0x00FF00;
    l.MarkerBorderColor = 0x0000FF;
    l.MarkerSize = 9;
    l.LineSplineOrder = 4;
    l.LineTypePoints = 2;
    l.LineThikness = 3;
    l.LineFilter = 5;
    l.LineJoinPoints = false;
    l.LineDeriv1stOrder = true;
    l.LineNumPointsLimitation = false;
    l.LineNumPointsLimitationType = 1;
    l.LineNumPointsMax = 500;
    l.Column = "Surface pressure (SP)";  // kept in memory only
    SaveDefaultLineProp();

    TIniFile ini(Dir.File("zel.ini"));
    EXPECT_EQ(ini.ReadSectionValues("GraphProp"),
              (std::vector<std::string>{"TitleText=Isotherm of stearic acid", "TitleFontName=Arial",
                                        "TitleFontSize=12", "TitleFontColor=1193046", "TitleFontBold=1",
                                        "TitleFontItalic=0", "ColorBackground=15790320", "ColorAxis=128",
                                        "GridVisible=0", "GridColor=4210752", "LegendVisible=1",
                                        "LegendFontName=Tahoma", "LegendFontSize=8", "LegendFontColor=0",
                                        "LegendFontBold=0", "LegendFontItalic=1", "HighlightAxisByLineColor=0",
                                        "AxisAutoScale=0", "AxisMin=2.5", "AxisMax=75", "LineColor=65280",
                                        "MarkerBorderColor=255", "MarkerSize=9", "LineSplineOrder=4",
                                        "LineTypePoints=2", "LineThikness=3", "LineFilter=5", "LineJoinPoints=0",
                                        "LineDeriv1stOrder=1", "LineNumPointsLimitation=0",
                                        "LineNumPointsLimitationType=1", "LineNumPointsMax=500"}));

    // A fresh run reads the same values.
    DefaultLineProp = TZelGraphLineProp();
    DefaultAxisProp = TZelGraphAxisProp();
    DefaultGraphProp = TZelGraphProp();
    ReadDefaultGraphProp();
    ReadDefaultLineProp();
    EXPECT_EQ(g.TitleText, "Isotherm of stearic acid");
    EXPECT_EQ(g.TitleFont->GetName(), "Arial");
    EXPECT_EQ(g.TitleFont->GetSize(), 12);
    EXPECT_EQ(g.TitleFont->GetColor(), 0x123456);
    EXPECT_EQ(g.TitleFont->GetStyle(), TFontStyles() << fsBold);
    EXPECT_EQ(g.LegendFont->GetStyle(), TFontStyles() << fsItalic);
    EXPECT_EQ(g.ColorBackground, 0xF0F0F0);
    EXPECT_EQ(g.ColorAxis, 0x000080);
    EXPECT_FALSE(g.GridVisible);
    EXPECT_EQ(g.GridColor, 0x404040);
    EXPECT_TRUE(g.LegendVisible);
    EXPECT_FALSE(g.HighlightAxisByLineColor);
    EXPECT_FALSE(DefaultAxisProp.AutoScale);
    EXPECT_EQ(DefaultAxisProp.Min, 2.5f);
    EXPECT_EQ(DefaultAxisProp.Max, 75.0f);
    EXPECT_EQ(l.LineColor, 0x00FF00);
    EXPECT_EQ(l.MarkerBorderColor, 0x0000FF);
    EXPECT_EQ(l.MarkerSize, 9);
    EXPECT_EQ(l.LineSplineOrder, 4);
    EXPECT_EQ(l.LineTypePoints, 2);
    EXPECT_EQ(l.LineThikness, 3);
    EXPECT_EQ(l.LineFilter, 5);
    EXPECT_FALSE(l.LineJoinPoints);
    EXPECT_TRUE(l.LineDeriv1stOrder);
    EXPECT_FALSE(l.LineNumPointsLimitation);
    EXPECT_EQ(l.LineNumPointsLimitationType, 1);
    EXPECT_EQ(l.LineNumPointsMax, 500);
    EXPECT_EQ(l.Column, "");
}

TEST_F(TGraphPropSection, ReadingRules)
{
    StartWith("[GraphProp]\nTitleFontBold=1\nTitleFontItalic=1\nLegendFontBold=0\nLegendFontItalic=0\n"
              "AxisMin=2,5\nAxisMax=7.25\nLineSplineOrder=259\nMarkerSize=abc\nLineColor=\n");
    DefaultGraphProp.LegendFont->SetStyle(TFontStyles() << fsBold);
    ReadDefaultGraphProp();
    ReadDefaultLineProp();
    EXPECT_EQ(DefaultGraphProp.TitleFont->GetStyle(), TFontStyles() << fsBold << fsItalic);
    // Neither style key set: the font keeps the style it had.
    EXPECT_EQ(DefaultGraphProp.LegendFont->GetStyle(), TFontStyles() << fsBold);
    EXPECT_EQ(DefaultAxisProp.Min, 2.5f);
    EXPECT_EQ(DefaultAxisProp.Max, 7.25f);
    EXPECT_EQ(DefaultLineProp.LineSplineOrder, 3);
    // Unreadable or empty integers keep the value in memory.
    EXPECT_EQ(DefaultLineProp.MarkerSize, 7);
    EXPECT_EQ(DefaultLineProp.LineColor, 0x0000FF);
    EXPECT_TRUE(DefaultAxisProp.AutoScale);
    EXPECT_EQ(DefaultGraphProp.TitleFont->GetName(), "Tahoma");

    WriteFileText(Dir.File("zel.ini"), "[GraphProp]\nAxisMin=2.5\n");
    DefaultAxisProp.Min = 0;
    ReadDefaultLineProp();
    EXPECT_EQ(DefaultAxisProp.Min, 2.5f);
}

}  // namespace
