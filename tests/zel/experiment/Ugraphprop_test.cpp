// The graph defaults of section GraphProp: exact keys and values written, read back,
// and the reading rules for fonts, floats with either separator and 8-bit fields.
#include "GraphTestSupport.h"
#include "platform/base/IniFiles.h"

#include <map>

namespace {

using TGraphPropSection = TGraphSettingsFixture;

// The look of a line that the section keeps, field by field.
std::map<std::string, long long> LineLook(const TZelGraphLineProp& L)
{
    return {{"LineColor", L.LineColor},
            {"MarkerBorderColor", L.MarkerBorderColor},
            {"MarkerSize", L.MarkerSize},
            {"LineSplineOrder", L.LineSplineOrder},
            {"LineTypePoints", L.LineTypePoints},
            {"LineThikness", L.LineThikness},
            {"LineFilter", L.LineFilter},
            {"LineJoinPoints", L.LineJoinPoints},
            {"LineDeriv1stOrder", L.LineDeriv1stOrder},
            {"LineNumPointsLimitation", L.LineNumPointsLimitation},
            {"LineNumPointsLimitationType", L.LineNumPointsLimitationType},
            {"LineNumPointsMax", L.LineNumPointsMax}};
}

TEST_F(TGraphPropSection, BuiltInDefaults)
{
    StartWith("");
    const TZelGraphLineProp line;
    EXPECT_EQ(LineLook(line), (std::map<std::string, long long>{{"LineColor", 0x0000FF},
                                                                {"MarkerBorderColor", 0x0000FF},
                                                                {"MarkerSize", 7},
                                                                {"LineSplineOrder", 0},
                                                                {"LineTypePoints", 0},
                                                                {"LineThikness", 1},
                                                                {"LineFilter", 0},
                                                                {"LineJoinPoints", 1},
                                                                {"LineDeriv1stOrder", 0},
                                                                {"LineNumPointsLimitation", 1},
                                                                {"LineNumPointsLimitationType", 0},
                                                                {"LineNumPointsMax", 1000}}));
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
    const std::map<std::string, long long> written = LineLook(l);
    SaveDefaultLineProp();

    TIniFile ini(Dir.File("zel.ini"));
    EXPECT_EQ(ini.ReadSectionValues("GraphProp"), (std::vector<std::string>{"TitleText=Isotherm of stearic acid",
                                                                            "TitleFontName=Arial",
                                                                            "TitleFontSize=12",
                                                                            "TitleFontColor=1193046",
                                                                            "TitleFontBold=1",
                                                                            "TitleFontItalic=0",
                                                                            "ColorBackground=15790320",
                                                                            "ColorAxis=128",
                                                                            "GridVisible=0",
                                                                            "GridColor=4210752",
                                                                            "LegendVisible=1",
                                                                            "LegendFontName=Tahoma",
                                                                            "LegendFontSize=8",
                                                                            "LegendFontColor=0",
                                                                            "LegendFontBold=0",
                                                                            "LegendFontItalic=1",
                                                                            "HighlightAxisByLineColor=0",
                                                                            "AxisAutoScale=0",
                                                                            "AxisMin=2.5",
                                                                            "AxisMax=75",
                                                                            "LineColor=65280",
                                                                            "MarkerBorderColor=255",
                                                                            "MarkerSize=9",
                                                                            "LineSplineOrder=4",
                                                                            "LineTypePoints=2",
                                                                            "LineThikness=3",
                                                                            "LineFilter=5",
                                                                            "LineJoinPoints=0",
                                                                            "LineDeriv1stOrder=1",
                                                                            "LineNumPointsLimitation=0",
                                                                            "LineNumPointsLimitationType=1",
                                                                            "LineNumPointsMax=500"}));

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
    EXPECT_EQ(LineLook(l), written);
    EXPECT_EQ(l.Column, "");
}

TEST_F(TGraphPropSection, ReadingRules)
{
    StartWith(
        "[GraphProp]\nTitleFontBold=1\nTitleFontItalic=1\nLegendFontBold=0\nLegendFontItalic=0\n"
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

// ---------------------------------------------------------------------------------------
// The property dialog on a real graph window.

#include <algorithm>

#include "kvc/KvChart.h"
#include "platform/ui/Dialogs.h"
#include "kvc/KvColorButton.h"
#include "kvc/KvMultiLang.h"
#include "zel/experiment/Graphmanager.h"
#include "zel/experiment/Ugraph.h"

namespace {

const std::vector<TTestColumn> Columns = {
    {"Time", "T", "s"}, {"Area (A)", "A", "cm2"}, {"Surface pressure (SP)", "SP", "mN/m"}};
const std::vector<TTestColumn> DippingColumns = {{"Time", "T", "s"}, {"Position", "P", "mm"}};

class TGraphDialog : public TGraphSettingsFixture {
protected:
    void SetUp() override
    {
        StartWith("");
        MainArea();
        Set = UseDataSetManager.Create();
        Iso = MakeTable(Set, "Isotherm", Columns);
        Dip = MakeTable(Set, "Dipping", DippingColumns);
        for (int r = 0; r < 1500; ++r) AddRows(Iso, {{float(r), float(100 - r), float(r % 50)}});
        for (int r = 0; r < 10; ++r) AddRows(Dip, {{float(r), float(2 * r)}});
        Graph = NewGraph();
    }
    void TearDown() override
    {
        for (TFGraph* graph : std::vector<TFGraph*>(GraphManager.Graphs())) FreeForm(graph);
        TGraphSettingsFixture::TearDown();
    }
    TFGraphProp* Open()
    {
        Graph->MIProperties->Click();
        return Graph->PropDialog;
    }
    static void Pick(TComboBox* Combo, const std::string& Item)
    {
        Combo->SetItemIndex(Combo->Items().IndexOf(Item));
        ASSERT_GE(Combo->GetItemIndex(), 0) << Item;
        Combo->OnChange(Combo);
    }
    static std::vector<std::string> ItemsOf(const TComboBox* Combo) { return Combo->Items().Lines(); }
    ISXDataSet* Set = nullptr;
    ISXDataField* Iso = nullptr;
    ISXDataField* Dip = nullptr;
    TFGraph* Graph = nullptr;
};

TEST_F(TGraphDialog, OpensOnlyWithATableAndOnlyOnce)
{
    EXPECT_EQ(Open(), nullptr);
    Graph->SetData(Iso, "Time", "Surface pressure (SP)", nullptr);
    TFGraphProp* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetCaption(), "Graph Properties");
    EXPECT_TRUE(dialog->GetVisible());
    EXPECT_EQ(WindowFrame(dialog), "tool, titled, on top, fixed");
    Graph->Chart->OnDblClick(Graph->Chart);
    EXPECT_EQ(Graph->PropDialog, dialog);
    int dialogs = 0;
    for (int i = 0; i < Screen->FormCount(); ++i) dialogs += dynamic_cast<TFGraphProp*>(Screen->Forms(i)) != nullptr;
    EXPECT_EQ(dialogs, 1);

    // Closing the dialog frees it and clears the graph's pointer.
    dialog->Close();
    Application->ProcessMessages();
    EXPECT_EQ(Graph->PropDialog, nullptr);
    // Closing the graph while its dialog is open closes the dialog too.
    ASSERT_NE(Open(), nullptr);
    Graph->Close();
    Application->ProcessMessages();
    EXPECT_FALSE(GraphManager.IsAlive(Graph));
    for (int i = 0; i < Screen->FormCount(); ++i) EXPECT_EQ(dynamic_cast<TFGraphProp*>(Screen->Forms(i)), nullptr);
}

TEST_F(TGraphDialog, StartsOnTheBottomTabWithTheXColumn)
{
    Graph->SetData(Iso, "Time", "Surface pressure (SP)", nullptr);
    TFGraphProp* dialog = Open();
    EXPECT_EQ(dialog->TCAxis->GetTabIndex(), 0);
    EXPECT_FALSE(dialog->GBLines->GetVisible());
    EXPECT_FALSE(dialog->GBLineProp->GetVisible());
    EXPECT_TRUE(dialog->GBSource->GetEnabled());
    EXPECT_FALSE(dialog->CBExperiment->GetEnabled());
    EXPECT_EQ(ItemsOf(dialog->CBExperiment), (std::vector<std::string>{"<<Current>>.Isotherm", "<<Current>>.Dipping"}));
    EXPECT_EQ(dialog->CBExperiment->GetItemIndex(), 0);
    EXPECT_EQ(ItemsOf(dialog->CBData), (std::vector<std::string>{"Time", "Area (A)", "Surface pressure (SP)"}));
    EXPECT_EQ(dialog->CBData->GetItemIndex(), 0);
    EXPECT_EQ(dialog->SelLine, &Graph->AxisX.Lines[0]);

    // Left: the line's page; Right without lines: disabled groups.
    dialog->TCAxis->ChooseTab(1);
    EXPECT_TRUE(dialog->GBLines->GetVisible());
    EXPECT_EQ(dialog->LBLines->Items().Lines(), (std::vector<std::string>{"Line 1"}));
    EXPECT_EQ(dialog->SelLine, &Graph->AxisLeft.Lines[0]);
    EXPECT_EQ(dialog->CBData->GetItemIndex(), 2);
    EXPECT_TRUE(dialog->CBAutoscale->GetChecked());
    dialog->TCAxis->ChooseTab(2);
    EXPECT_FALSE(dialog->GBAxis->GetEnabled());
    EXPECT_FALSE(dialog->GBSource->GetEnabled());
    EXPECT_FALSE(dialog->GBLineProp->GetEnabled());
    // Showing other lines never changes the X column.
    dialog->TCAxis->ChooseTab(0);
    dialog->TCAxis->ChooseTab(1);
    EXPECT_EQ(Graph->AxisX.Lines[0].Column, "Time");
    EXPECT_EQ(Graph->AxisLeft.Lines[0].Column, "Surface pressure (SP)");
}

TEST_F(TGraphDialog, ChangingXRemovesTheLinesOfTablesWithoutThatColumn)
{
    Graph->SetData(Dip, "Time", "Position", nullptr);
    Graph->SetData(Iso, "Time", "Surface pressure (SP)", "Area (A)");
    // The creator's use, the window's table and three lines.
    EXPECT_EQ(Uses(Set), 5);
    TFGraphProp* dialog = Open();
    Pick(dialog->CBData, "Area (A)");
    EXPECT_EQ(Graph->AxisX.Lines[0].Column, "Area (A)");
    ASSERT_EQ(Graph->AxisLeft.Lines.size(), 1u);
    EXPECT_EQ(Graph->AxisLeft.Lines[0].Table, Iso);
    EXPECT_EQ(Graph->AxisLeft.Lines[0].SeriesIndex, 0);
    EXPECT_EQ(Graph->AxisRight.Lines[0].SeriesIndex, 1);
    EXPECT_EQ(Graph->Chart->LineSeries()->Count(), 2);
    EXPECT_EQ(Uses(Set), 4);
    // X of the plotted points is now the area.
    EXPECT_EQ(Graph->Chart->LineSeries()->GetItem(0)->Points()[0].x, 100);
    EXPECT_EQ(Graph->Chart->BottomAxis()->Title()->GetText(), "Area (A), cm2");
    // The same column again changes nothing.
    Pick(dialog->CBData, "Area (A)");
    EXPECT_EQ(Graph->AxisLeft.Lines.size(), 1u);
}

TEST_F(TGraphDialog, LineEditsChangeTheGraphAtOnce)
{
    Graph->SetData(Iso, "Time", "Surface pressure (SP)", nullptr);
    TFGraphProp* dialog = Open();
    dialog->TCAxis->ChooseTab(1);
    TZelGraphLineProp& line = Graph->AxisLeft.Lines[0];
    KVC::TKvLineSeries* series = Graph->Chart->LineSeries()->GetItem(0);

    Pick(dialog->CBSpline, "4th order");
    EXPECT_EQ(line.LineSplineOrder, 4);
    EXPECT_TRUE(series->GetUseSplines());
    EXPECT_EQ(series->GetSplineOrder(), 4);
    Pick(dialog->CBSpline, "None");
    EXPECT_EQ(line.LineSplineOrder, 0);
    EXPECT_FALSE(series->GetUseSplines());
    Pick(dialog->CBLinePoints, "Diamond");
    EXPECT_EQ(series->GetTypePoints(), KVC::tpDiamond);

    // The colour dialog's choice.
    TDialogRecorder dialogs;
    dialogs.Answers.push_back({mrOk, {}, 0x00FF00});
    dialog->CBColor->Click();
    EXPECT_EQ(line.LineColor, 0x00FF00);
    EXPECT_EQ(series->Pen()->GetColor(), 0x00FF00);

    // 1500 rows: 1000 by the limit; without it every row, and the limit fields disabled.
    EXPECT_EQ(series->GetCount(), 1000);
    dialog->chkNumPointsLimitation->SetChecked(false);
    EXPECT_FALSE(line.LineNumPointsLimitation);
    EXPECT_FALSE(dialog->edNumPointsMax->GetEnabled());
    EXPECT_FALSE(dialog->cbbNumPointsLimitationType->GetEnabled());
    EXPECT_EQ(series->GetCount(), 1500);

    dialog->CBDeriv1stOrder->SetChecked(true);
    EXPECT_TRUE(line.LineDeriv1stOrder);
    EXPECT_EQ(series->Points()[0].y, 0);
    EXPECT_EQ(series->Points()[1].y, 1);

    // Scale of the axis.
    dialog->SEAxisMin->SetValue(-5);
    dialog->SEAxisMax->SetValue(55);
    dialog->CBAutoscale->SetChecked(false);
    EXPECT_FALSE(Graph->AxisLeft.AutoScale);
    EXPECT_EQ(Graph->AxisLeft.Min, -5.0f);
    EXPECT_EQ(Graph->AxisLeft.Max, 55.0f);
    EXPECT_FALSE(Graph->Chart->LeftAxis()->GetAutoScale());
    EXPECT_EQ(Graph->Chart->LeftAxis()->GetMin(), -5);
    EXPECT_EQ(Graph->Chart->LeftAxis()->GetMax(), 55);
    EXPECT_TRUE(dialogs.Requests.size() == 1u);
}

TEST_F(TGraphDialog, AddAndDeleteLinesAndTheirSources)
{
    Graph->SetData(Iso, "Time", "Surface pressure (SP)", nullptr);
    TFGraphProp* dialog = Open();
    dialog->TCAxis->ChooseTab(1);
    dialog->SBAddLine->Click();
    ASSERT_EQ(Graph->AxisLeft.Lines.size(), 2u);
    EXPECT_EQ(dialog->LBLines->GetItemIndex(), 1);
    EXPECT_EQ(dialog->SelLine, &Graph->AxisLeft.Lines[1]);
    EXPECT_EQ(Graph->AxisLeft.Lines[1].LineColor, clBlue);
    EXPECT_EQ(Uses(Set), 4);

    // The new line reads the dipping table.
    Pick(dialog->CBExperiment, "<<Current>>.Dipping");
    EXPECT_EQ(Graph->AxisLeft.Lines[1].Table, Dip);
    EXPECT_EQ(ItemsOf(dialog->CBData), (std::vector<std::string>{"Time", "Position"}));
    Pick(dialog->CBData, "Position");
    EXPECT_EQ(Graph->Chart->LineSeries()->GetItem(1)->GetCount(), 10);
    EXPECT_EQ(Graph->Chart->LineSeries()->GetItem(1)->Points()[3].y, 6);

    // A source that does not resolve: the error box, the line keeps its table.
    TDialogRecorder dialogs;
    dialog->CBExperiment->AddItem("<<Current>>.Gone");
    Pick(dialog->CBExperiment, "<<Current>>.Gone");
    ASSERT_EQ(dialogs.Requests.size(), 1u);
    EXPECT_EQ(dialogs.Requests[0].Text, "Error!");
    EXPECT_EQ(dialogs.Requests[0].Type, mtError);
    EXPECT_EQ(Graph->AxisLeft.Lines[1].Table, Dip);

    // Deleting the first line moves the second to series 0.
    dialog->LBLines->SetItemIndex(0);
    dialog->SBDelLine->Click();
    ASSERT_EQ(Graph->AxisLeft.Lines.size(), 1u);
    EXPECT_EQ(Graph->AxisLeft.Lines[0].SeriesIndex, 0);
    EXPECT_EQ(Graph->Chart->LineSeries()->Count(), 1);
    EXPECT_EQ(Graph->Chart->LeftAxis()->Title()->GetText(), "Position, mm");
    EXPECT_EQ(Uses(Set), 3);
    dialog->SBDelLine->Click();
    EXPECT_TRUE(Graph->AxisLeft.Lines.empty());
    EXPECT_EQ(dialog->SelLine, nullptr);
    EXPECT_FALSE(dialog->GBLineProp->GetEnabled());
    // With no line selected a new line copies the default line.
    dialog->SBAddLine->Click();
    ASSERT_EQ(Graph->AxisLeft.Lines.size(), 1u);
    EXPECT_EQ(Graph->AxisLeft.Lines[0].Table, nullptr);
    EXPECT_EQ(Graph->AxisLeft.Lines[0].SeriesIndex, -1);
}

// The whole road: the default taken from a line of a graph whose set is gone by the time
// another graph adds a line from it.
TEST_F(TGraphDialog, DefaultLineNeverHoldsATable)
{
    ISXDataSet* gone = UseDataSetManager.Create();
    ISXDataField* table = MakeTable(gone, "Isotherm", Columns);
    AddRows(table, {{1.f, 2.f, 3.f}});
    TFGraph* first = NewGraph();
    first->SetData(table, "Time", "Area (A)", nullptr);
    first->MIProperties->Click();
    TFGraphProp* dialog = first->PropDialog;
    ASSERT_NE(dialog, nullptr);
    dialog->TCAxis->ChooseTab(1);
    dialog->LBLines->SetItemIndex(0);
    dialog->LBLines->OnClick(dialog->LBLines);
    ASSERT_EQ(dialog->SelLine, &first->AxisLeft.Lines[0]);
    dialog->BBSetAsDefault->Click();
    EXPECT_EQ(DefaultLineProp.Table, nullptr);

    FreeForm(first);
    UseDataSetManager.Release(gone);
    UseDataSetManager.Collect();
    ASSERT_FALSE(UseDataSetManager.IsKnown(gone));

    Graph->SetData(Iso, "Time", nullptr, nullptr);
    TFGraphProp* other = Open();
    ASSERT_NE(other, nullptr);
    other->TCAxis->ChooseTab(1);
    other->SBAddLine->Click();
    ASSERT_EQ(Graph->AxisLeft.Lines.size(), 1u);
    // The new line finds its table by its source's name among this graph's tables, or
    // has none; it never reaches the table that is gone.
    const TZelGraphLineProp& added = Graph->AxisLeft.Lines[0];
    EXPECT_NE(added.Table, table);
    if (added.Table)
        EXPECT_EQ(added.Table, Iso);
    else
        EXPECT_EQ(added.SeriesIndex, -1);
}

TEST_F(TGraphDialog, SetAsDefaultWritesTheAxisAndLineKeys)
{
    Graph->SetData(Iso, "Time", "Surface pressure (SP)", nullptr);
    Graph->SetData(Iso, "Time", "Area (A)", nullptr);
    Graph->AxisLeft.Lines[1].LineFilter = 3;
    Graph->AxisLeft.AutoScale = false;
    Graph->AxisLeft.Max = 42;
    TFGraphProp* dialog = Open();
    dialog->TCAxis->ChooseTab(1);
    dialog->LBLines->SetItemIndex(1);
    dialog->LBLines->OnClick(dialog->LBLines);
    dialog->BBSetAsDefault->Click();
    EXPECT_EQ(DefaultLineProp.LineFilter, 3);
    EXPECT_EQ(DefaultLineProp.Column, "Area (A)");
    EXPECT_EQ(DefaultLineProp.LineColor, clBlue);
    TIniFile ini(Dir.File("zel.ini"));
    const std::vector<std::string> keys = ini.ReadSection("GraphProp");
    EXPECT_EQ(keys,
              (std::vector<std::string>{"AxisAutoScale", "AxisMin", "AxisMax", "LineColor", "MarkerBorderColor",
                                        "MarkerSize", "LineSplineOrder", "LineTypePoints", "LineThikness", "LineFilter",
                                        "LineJoinPoints", "LineDeriv1stOrder", "LineNumPointsLimitation",
                                        "LineNumPointsLimitationType", "LineNumPointsMax"}));
    EXPECT_EQ(ini.ReadString("GraphProp", "AxisMax", ""), "42");
    EXPECT_EQ(ini.ReadString("GraphProp", "LineColor", ""), "16711680");

    // The graph page: title and colours change the window; its default button writes them.
    dialog->EDTitleText->SetText("Isotherm of behenic acid");
    EXPECT_EQ(Graph->GraphProp.TitleText, "Isotherm of behenic acid");
    EXPECT_EQ(Graph->Chart->Title()->GetText(), "Isotherm of behenic acid");
    dialog->CBLegendVisible->SetChecked(true);
    EXPECT_TRUE(Graph->Chart->Legend()->GetVisible());
    dialog->BBSetAsDefault2->Click();
    EXPECT_EQ(DefaultGraphProp.TitleText, "Isotherm of behenic acid");
    EXPECT_EQ(ini.ReadString("GraphProp", "TitleText", ""), "Isotherm of behenic acid");
    EXPECT_EQ(ini.ReadString("GraphProp", "LegendVisible", ""), "1");
    // Other windows keep their look.
    TFGraph* other = NewGraph();
    EXPECT_EQ(other->GraphProp.TitleText, "Isotherm of behenic acid");
    EXPECT_NE(Graph->GraphProp.TitleFont.get(), DefaultGraphProp.TitleFont.get());
}

TEST_F(TGraphDialog, ClosesWhenAnotherWindowIsActivatedButNeverUnderItsOwnBoxes)
{
    Graph->SetData(Iso, "Time", "Surface pressure (SP)", nullptr);
    TFGraphProp* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    int activations = 0, deactivations = 0;
    dialog->OnActivate = [&](TObject*) { ++activations; };
    const TNotifyEvent closeOnDeactivate = dialog->OnDeactivate;
    dialog->OnDeactivate = [&, closeOnDeactivate](TObject* Sender) {
        ++deactivations;
        closeOnDeactivate(Sender);
    };
    auto activateDialog = [&] {
        const int before = activations;
        dialog->BringToFront();
        ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return activations > before; }, 10000));
    };
    activateDialog();

    // Each box takes the activation as a real one would, while it is open.
    TForm boxWindow(nullptr);
    boxWindow.SetBounds(300, 300, 120, 80);
    TDialogRecorder dialogs;
    dialogs.OnShow = [&](const TDialogRequest&) {
        const int before = deactivations;
        boxWindow.Show();
        EXPECT_TRUE(Application->ProcessMessagesUntil([&] { return deactivations > before; }, 10000));
    };
    dialogs.Answer(mrCancel);
    dialog->CBColor->Click();
    activateDialog();
    dialogs.Answer(mrCancel);
    dialog->BBTitleFont->Click();
    activateDialog();
    ShowMessage("Unknown bottom axis data!");
    Application->ProcessMessages();
    ASSERT_EQ(dialogs.Requests.size(), 3u);
    EXPECT_EQ(dialogs.Requests[0].Kind, TDialogKind::Color);
    EXPECT_EQ(dialogs.Requests[1].Kind, TDialogKind::Font);
    EXPECT_EQ(dialogs.Requests[2].Kind, TDialogKind::ShowMessage);
    EXPECT_EQ(Graph->PropDialog, dialog) << "closed under its own box";

    // Another window taking the activation closes and frees the dialog.
    activateDialog();
    boxWindow.Hide();
    TForm other(nullptr);
    other.SetBounds(500, 100, 120, 80);
    other.Show();
    EXPECT_TRUE(Application->ProcessMessagesUntil([&] { return Graph->PropDialog == nullptr; }, 10000));
}

TEST_F(TGraphDialog, FontButtonsCopyEveryAttributeOfTheChosenFont)
{
    Graph->SetData(Iso, "Time", "Surface pressure (SP)", nullptr);
    TFGraphProp* dialog = Open();
    TDialogRecorder dialogs;
    const TFontDescription chosen{"DejaVu Serif", 14, 0x00FF00, true, false, true, true};
    dialogs.Answers.push_back(TDialogAnswer{mrOk, {}, 0, chosen});
    dialog->BBTitleFont->Click();
    ASSERT_EQ(dialogs.Requests.size(), 1u);
    // The dialog starts from the title font as it is.
    EXPECT_EQ(dialogs.Requests[0].Kind, TDialogKind::Font);
    EXPECT_EQ(dialogs.Requests[0].Font, (TFontDescription{"Tahoma", 8, 0xFF0000, false, false, false, false}));
    const TFont& title = *Graph->GraphProp.TitleFont;
    EXPECT_EQ(title.GetName(), "DejaVu Serif");
    EXPECT_EQ(title.GetSize(), 14);
    EXPECT_EQ(title.GetColor(), 0x00FF00);
    EXPECT_EQ(title.GetStyle(), TFontStyles() << fsBold << fsUnderline << fsStrikeOut);
    // The chart shows it at once.
    EXPECT_EQ(Graph->Chart->Title()->Font()->GetName(), "DejaVu Serif");
    EXPECT_EQ(Graph->Chart->Title()->Font()->GetSize(), 14);

    // A cancelled font dialog changes nothing; the legend button serves the legend font.
    dialogs.Answer(mrCancel);
    dialog->BBLegendFont->Click();
    EXPECT_EQ(Graph->GraphProp.LegendFont->GetName(), "Tahoma");
    dialogs.Answers.push_back(TDialogAnswer{mrOk, {}, 0, chosen});
    dialog->BBLegendFont->Click();
    EXPECT_EQ(Graph->GraphProp.LegendFont->GetName(), "DejaVu Serif");
    EXPECT_TRUE(Graph->GraphProp.LegendFont->GetStyle().Contains(fsStrikeOut));
    EXPECT_EQ(Graph->GraphProp.TitleFont->GetSize(), 14);
}

TEST_F(TGraphDialog, LinePointsListShowsAPictureOfEachShape)
{
    Graph->SetData(Iso, "Time", "Surface pressure (SP)", nullptr);
    TFGraphProp* dialog = Open();
    std::vector<std::vector<TColor>> pictures;
    for (int item = 0; item < 9; ++item) {
        TBitmap picture;
        ASSERT_TRUE(dialog->CBLinePoints->GetItemPicture(item, picture)) << item;
        std::vector<TColor> pixels;
        for (int y = 0; y < picture.GetHeight(); ++y)
            for (int x = 0; x < picture.GetWidth(); ++x) pixels.push_back(picture.Canvas()->GetPixel(x, y));
        const bool drawn = std::any_of(pixels.begin(), pixels.end(), [](TColor c) { return c == clBlack; });
        // "None" shows an empty picture, every shape something of its own.
        EXPECT_EQ(drawn, item != 0) << item;
        for (const std::vector<TColor>& earlier : pictures) EXPECT_NE(earlier, pixels) << item;
        pictures.push_back(pixels);
    }
}

TEST_F(TGraphDialog, CaptionsFromTheLanguageSection)
{
    WriteFileText(Dir.File("german.lng"),
                  "[GraphProp]\n0=Grafik-Eigenschaften\n1=Achse\n2=Unten\n3=\n4=Rechts\n"
                  "5=Achse\n6=Automatisch\n13=Linie\n38=Punktbegrenzung\n"
                  "40=Begrenzungsart\n");
    KVC::TKvMultiLang language(nullptr);
    language.LangFileName = Dir.File("german.lng");
    KVC::TKvMultiLang* previous = MultiLang;
    MultiLang = &language;
    Graph->SetData(Iso, "Time", "Surface pressure (SP)", nullptr);
    TFGraphProp* dialog = Open();
    MultiLang = previous;
    EXPECT_EQ(dialog->GetCaption(), "Grafik-Eigenschaften");
    EXPECT_EQ(dialog->TSAxis->GetCaption(), "Achse");
    EXPECT_EQ(dialog->TCAxis->TabCaption(0), "Unten");
    EXPECT_EQ(dialog->TCAxis->TabCaption(1), "Left");  // empty item: the design text stays
    EXPECT_EQ(dialog->TCAxis->TabCaption(2), "Rechts");
    EXPECT_EQ(dialog->CBAutoscale->GetCaption(), "Automatisch");
    // Item 7 is missing: the reading stops there, so items 13, 38 and 40 are not taken.
    EXPECT_EQ(dialog->LAxisMin->GetCaption(), "Min");
    EXPECT_EQ(dialog->GBLineProp->GetCaption(), "Line Properties");
    EXPECT_EQ(dialog->chkNumPointsLimitation->GetCaption(), "Num points limitation");
    EXPECT_EQ(dialog->LNumPointsLimitationType->GetCaption(), "Limitation Type");

    // Every item present: each names its own control.
    std::string all = "[GraphProp]\n";
    for (int i = 0; i <= 40; ++i) all += std::to_string(i) + "=T" + std::to_string(i) + "\n";
    WriteFileText(Dir.File("german.lng"), all);
    FreeForm(dialog);
    MultiLang = &language;
    dialog = Open();
    MultiLang = previous;
    const std::pair<TControl*, const char*> expected[] = {
        {dialog->GBSource, "T10"},        {dialog->LData, "T12"},
        {dialog->LFilter, "T18"},         {dialog->CBJoinPoints, "T21"},
        {dialog->BBSetAsDefault, "T23"},  {dialog->TSGraph, "T24"},
        {dialog->LTitleText, "T26"},      {dialog->LBackground, "T29"},
        {dialog->CBGridVisible, "T32"},   {dialog->LLegendFont, "T36"},
        {dialog->BBSetAsDefault2, "T37"}, {dialog->chkNumPointsLimitation, "T38"},
        {dialog->LNumPointsMax, "T39"},   {dialog->LNumPointsLimitationType, "T40"}};
    for (const auto& [control, text] : expected) EXPECT_EQ(control->GetCaption(), text) << control->Name;
    EXPECT_EQ(dialog->TCAxis->TabCaption(1), "T3");
    // Item lists and the highlight caption stay in English.
    EXPECT_EQ(dialog->CBSpline->Items()[1], "3d order");
    EXPECT_EQ(dialog->chkHighlightAxisByLineColor->GetCaption(), "Highlight axis by line color");
}

}  // namespace
