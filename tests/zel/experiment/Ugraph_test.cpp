// Graph windows on real widgets: binding tables, the plotted points (limit, difference,
// smoothing), rows added, the registry of open windows, the text export, the bitmap and
// data-set saves, and the updates of a long table.
#include "GraphTestSupport.h"

#include <cmath>
#include <filesystem>
#include "kvc/KvChart.h"
#include "platform/filer/FilerTestSets.h"
#include "platform/ui/Messages.h"
#include "platform/ui/PopupMenu.h"
#include "zel/experiment/Ugraphprop.h"
#include <QAction>
#include <QMenu>
#include "zel/core/Instrument.h"
#include "zel/experiment/Graphmanager.h"
#include "zel/experiment/Ugraph.h"

using namespace KVC;

namespace {

const std::vector<TTestColumn> IsothermColumns = {
    {"Time", "T", "s"}, {"Area (A)", "A", "cm2"}, {"Surface pressure (SP)", "SP", "mN/m"}, {"Note", "N", ""}};

class TGraphWindow : public TGraphSettingsFixture {
protected:
    void SetUp() override
    {
        StartWith("");
        MainArea();
    }
    void TearDown() override
    {
        for (TFGraph* graph : std::vector<TFGraph*>(GraphManager.Graphs())) FreeForm(graph);
        TGraphSettingsFixture::TearDown();
    }
    // A new set holding one table of the isotherm columns with Rows rows:
    // time r, area 100 - r, pressure r * r.
    ISXDataField* NewTable(int Rows, const char* Name = "Isotherm")
    {
        ISXDataSet* set = UseDataSetManager.Create();
        ISXDataField* table = MakeTable(set, Name, IsothermColumns);
        TPTableData data(table);
        for (int r = 0; r < Rows; ++r) {
            data.AddRows(1);
            data.SetData(0, r, static_cast<float>(r));
            data.SetData(1, r, static_cast<float>(100 - r));
            data.SetData(2, r, static_cast<float>(r * r));
        }
        return table;
    }
    static std::vector<TDPoint> PointsOf(TFGraph* Graph, int Series)
    {
        return Graph->Chart->LineSeries()->GetItem(Series)->Points();
    }
    static std::vector<double> Xs(const std::vector<TDPoint>& Points)
    {
        std::vector<double> xs;
        for (const TDPoint& p : Points) xs.push_back(p.x);
        return xs;
    }
    static std::vector<double> Ys(const std::vector<TDPoint>& Points)
    {
        std::vector<double> ys;
        for (const TDPoint& p : Points) ys.push_back(p.y);
        return ys;
    }
    // A graph with one left line of the table whose preparation Setup changes.
    TFGraph* GraphOf(ISXDataField* Table, const std::function<void(TZelGraphLineProp&)>& Setup = {})
    {
        TFGraph* graph = NewGraph();
        graph->SetData(Table, "Time", "Surface pressure (SP)", nullptr);
        if (Setup) {
            Setup(graph->AxisLeft.Lines[0]);
            graph->LoadSeries(graph->AxisLeft.Lines[0], false);
        }
        return graph;
    }
    static void PostRows(TFGraph* Graph, ISXDataField* Table, std::uint32_t First, std::uint32_t Last)
    {
        ASSERT_TRUE(PostMessage(Graph->Handle(), WM_ROWSADDED, reinterpret_cast<WPARAM>(Table),
                                MakeRowsAddedRange(First, Last)));
        Application->ProcessMessages();
    }
};

TEST(RowsAddedRange, FirstAndLastTravelAsTwo32BitHalves)
{
    const LPARAM range = MakeRowsAddedRange(70000, 4000000000u);
    EXPECT_EQ(RowsAddedFirst(range), 70000u);
    EXPECT_EQ(RowsAddedLast(range), 4000000000u);
    EXPECT_EQ(WM_ROWSADDED, 3024u);
}

TEST_F(TGraphWindow, NewGraphIsAVisibleChildWithTheDefaultLook)
{
    TFGraph* graph = NewGraph();
    EXPECT_TRUE(GraphManager.IsAlive(graph));
    EXPECT_TRUE(graph->GetVisible());
    EXPECT_EQ(graph->GetFormStyle(), fsMDIChild);
    EXPECT_EQ(graph->GetCaption(), "Graph");
    EXPECT_TRUE(GraphDefaultsLoaded);
    EXPECT_EQ(graph->Table, nullptr);
    TKvChart* chart = graph->Chart;
    EXPECT_EQ(chart->Title()->Font()->GetColor(), clBlue);
    EXPECT_EQ(chart->Title()->Font()->GetName(), "Tahoma");
    EXPECT_EQ(chart->Title()->Font()->GetSize(), 8);
    EXPECT_EQ(chart->GetColor(), clWhite);
    EXPECT_EQ(chart->BorderPen()->GetColor(), clBlack);
    EXPECT_TRUE(chart->BottomAxis()->GetGridVisible());
    EXPECT_TRUE(chart->LeftAxis()->GetGridVisible());
    EXPECT_FALSE(chart->RightAxis()->GetGridVisible());
    EXPECT_EQ(chart->LeftAxis()->GridPen()->GetColor(), clGray);
    EXPECT_FALSE(chart->Legend()->GetVisible());
    for (TKvChartAxis* axis : {chart->BottomAxis(), chart->LeftAxis(), chart->RightAxis()})
        EXPECT_TRUE(axis->GetAutoScale());
    EXPECT_FALSE(chart->TopAxis()->GetVisible());

    // The first line: red, 1 pixel, joined, no markers (size 7 kept), no smoothing.
    graph->SetData(NewTable(5), "Time", "Surface pressure (SP)", nullptr);
    TKvLineSeries* series = chart->LineSeries()->GetItem(0);
    EXPECT_EQ(series->Pen()->GetColor(), clRed);
    EXPECT_EQ(series->Pen()->GetWidth(), 1);
    EXPECT_TRUE(series->GetJoinPoints());
    EXPECT_EQ(series->GetTypePoints(), tpNone);
    EXPECT_EQ(series->GetShapeSize(), 7);
    EXPECT_FALSE(series->GetUseSplines());
    EXPECT_EQ(series->GetTypeDependence(), tdPoints);
    EXPECT_FALSE(series->GetAutoUpdate());
}

TEST_F(TGraphWindow, RightButtonOverTheChartOpensThePropertiesMenu)
{
    TFGraph* graph = NewGraph();
    graph->SetData(NewTable(5), "Time", "Surface pressure (SP)", nullptr);
    EXPECT_FALSE(graph->PopupMenu->IsOpen());
    graph->Chart->Perform(WM_RBUTTONUP, 0, MakeLParam(20, 30));
    EXPECT_TRUE(graph->PopupMenu->IsOpen());
    ASSERT_EQ(graph->PopupMenu->Items()->Count(), 1);
    EXPECT_EQ(graph->PopupMenu->Items()->Items(0)->GetCaption(), "Properties");
    graph->MIProperties->PlatformAction()->trigger();
    graph->PopupMenu->Items()->PlatformMenu()->close();
    EXPECT_NE(graph->PropDialog, nullptr);
}

TEST_F(TGraphWindow, DefaultsAreReadOncePerRun)
{
    WriteFileText(Dir.File("zel.ini"), "[GraphProp]\nColorBackground=255\nAxisAutoScale=0\nAxisMin=1\nAxisMax=9\n");
    TFGraph* first = NewGraph();
    EXPECT_EQ(first->GraphProp.ColorBackground, 255);
    EXPECT_EQ(first->Chart->GetColor(), 255);
    EXPECT_FALSE(first->Chart->LeftAxis()->GetAutoScale());
    EXPECT_EQ(first->Chart->LeftAxis()->GetMin(), 1);
    EXPECT_EQ(first->Chart->LeftAxis()->GetMax(), 9);
    WriteFileText(Dir.File("zel.ini"), "[GraphProp]\nColorBackground=0\n");
    TFGraph* second = NewGraph();
    EXPECT_EQ(second->GraphProp.ColorBackground, 255);
    // A window's own look is a copy.
    second->GraphProp.ColorBackground = 1;
    EXPECT_EQ(DefaultGraphProp.ColorBackground, 255);
}

TEST_F(TGraphWindow, SetDataWithXOnlyBindsTheXLine)
{
    TFGraph* graph = NewGraph();
    ISXDataField* table = NewTable(3);
    graph->SetData(table, "Time", nullptr, nullptr);
    EXPECT_EQ(graph->Chart->LineSeries()->Count(), 0);
    ASSERT_EQ(graph->AxisX.Lines.size(), 1u);
    EXPECT_EQ(graph->AxisX.Lines[0].Table, table);
    EXPECT_EQ(graph->AxisX.Lines[0].Column, "Time");
    EXPECT_EQ(graph->AxisX.Lines[0].Source, "<<Current>>.Isotherm");
    EXPECT_EQ(graph->AxisX.Lines[0].Axis, 0);
    EXPECT_EQ(graph->Chart->BottomAxis()->Title()->GetText(), "Time, s");
    EXPECT_FALSE(graph->Chart->LeftAxis()->GetVisible());
    EXPECT_FALSE(graph->Chart->RightAxis()->GetVisible());
    EXPECT_EQ(Uses(table->GetDataSet()), 2);
}

TEST_F(TGraphWindow, SetDataWithoutXKeepsTheTableOnly)
{
    TFGraph* graph = NewGraph();
    ISXDataField* table = NewTable(3);
    graph->SetData(table, nullptr, "Surface pressure (SP)", nullptr);
    EXPECT_EQ(graph->Table, table);
    EXPECT_EQ(Uses(table->GetDataSet()), 2);
    EXPECT_TRUE(graph->AxisX.Lines.empty());
    EXPECT_TRUE(graph->AxisLeft.Lines.empty());
    EXPECT_EQ(graph->Chart->LineSeries()->Count(), 0);
}

TEST_F(TGraphWindow, ThreeBindingsGiveThreeLinesInPaletteColoursAndTheirUses)
{
    TFGraph* graph = NewGraph();
    ISXDataField* tables[3] = {NewTable(4, "Isotherm 1"), NewTable(4, "Isotherm 2"), NewTable(4, "Isotherm 3")};
    for (ISXDataField* table : tables) graph->SetData(table, "Time", "Surface pressure (SP)", nullptr);
    ASSERT_EQ(graph->AxisLeft.Lines.size(), 3u);
    const TColor colours[3] = {clRed, clBlue, clGreen};
    for (int i = 0; i < 3; ++i) {
        const TZelGraphLineProp& line = graph->AxisLeft.Lines[static_cast<size_t>(i)];
        EXPECT_EQ(line.SeriesIndex, i);
        EXPECT_EQ(line.LineColor, colours[i]);
        EXPECT_EQ(line.MarkerBorderColor, colours[i]);
        EXPECT_EQ(line.Table, tables[i]);
        EXPECT_EQ(graph->Chart->LineSeries()->GetItem(i)->Pen()->GetColor(), colours[i]);
        EXPECT_EQ(graph->Chart->LineSeries()->GetItem(i)->GetName(), "SP-");
        EXPECT_EQ(PointsOf(graph, i).size(), 4u);
    }
    EXPECT_EQ(graph->AxisX.Lines[0].Table, tables[2]);
    EXPECT_EQ(graph->Table, tables[2]);
    EXPECT_EQ(Uses(tables[0]->GetDataSet()), 2);
    EXPECT_EQ(Uses(tables[1]->GetDataSet()), 2);
    EXPECT_EQ(Uses(tables[2]->GetDataSet()), 3);
    EXPECT_EQ(graph->Chart->LeftAxis()->Title()->GetText(), "Surface pressure (SP), mN/m");
    EXPECT_TRUE(graph->Chart->LeftAxis()->GetVisible());
    EXPECT_FALSE(graph->Chart->RightAxis()->GetVisible());
    // Highlighting paints the left axis line in the first line's colour.
    EXPECT_TRUE(graph->Chart->LeftAxis()->GetAxisVisible());
    EXPECT_EQ(graph->Chart->LeftAxis()->AxisPen()->GetColor(), clRed);

    // Rows added to the first table reload its line, which paints the axis in its colour
    // only while it is the last reloaded; the look applied again restores the first line's.
    graph->AxisLeft.Lines[1].LineColor = clPurple;
    PostRows(graph, tables[1], 3, 3);
    EXPECT_EQ(graph->Chart->LeftAxis()->AxisPen()->GetColor(), clPurple);
    graph->ApplyGraphProp();
    EXPECT_EQ(graph->Chart->LeftAxis()->AxisPen()->GetColor(), clRed);

    // The eleventh series is red again.
    for (int i = 3; i < 11; ++i) graph->SetData(tables[0], "Time", nullptr, "Area (A)");
    EXPECT_EQ(graph->AxisRight.Lines.back().SeriesIndex, 10);
    EXPECT_EQ(graph->AxisRight.Lines.back().LineColor, clRed);
    EXPECT_EQ(graph->AxisRight.Lines[0].LineColor, 0x008080);
    EXPECT_TRUE(graph->Chart->LineSeries()->GetItem(3)->UseRightAxis);
    EXPECT_EQ(graph->Chart->RightAxis()->Title()->GetText(), "Area (A), cm2");
}

TEST_F(TGraphWindow, PointLimitSelectsRowsByDecimationOrThePastRows)
{
    ISXDataField* table = NewTable(2500);
    TFGraph* graph = GraphOf(table);
    std::vector<double> xs = Xs(PointsOf(graph, 0));
    ASSERT_EQ(xs.size(), 1000u);
    EXPECT_EQ(std::vector<double>(xs.begin(), xs.begin() + 6), (std::vector<double>{0, 2, 5, 7, 10, 12}));
    EXPECT_EQ(xs.back(), 2497);

    TZelGraphLineProp& line = graph->AxisLeft.Lines[0];
    line.LineNumPointsLimitationType = 1;
    graph->LoadSeries(line, false);
    xs = Xs(PointsOf(graph, 0));
    ASSERT_EQ(xs.size(), 1000u);
    EXPECT_EQ(xs.front(), 1500);
    EXPECT_EQ(xs.back(), 2499);

    // Without the limit every row; a table exactly as long as the limit gives every row too.
    line.LineNumPointsLimitation = false;
    graph->LoadSeries(line, false);
    EXPECT_EQ(PointsOf(graph, 0).size(), 2500u);
    TFGraph* exact = GraphOf(NewTable(1000));
    xs = Xs(PointsOf(exact, 0));
    ASSERT_EQ(xs.size(), 1000u);
    EXPECT_EQ(xs[999], 999);
}

TEST_F(TGraphWindow, FirstDifferenceAndSmoothing)
{
    ISXDataField* table = MakeTable(UseDataSetManager.Create(), "Dipping", IsothermColumns);
    AddRows(table, {{0, 0, 1}, {1, 0, 3}, {2, 0, 6}, {3, 0, 10}});
    TFGraph* graph = GraphOf(table, [](TZelGraphLineProp& L) { L.LineDeriv1stOrder = true; });
    EXPECT_EQ(Ys(PointsOf(graph, 0)), (std::vector<double>{0, 2, 3, 4}));

    // Filter 2 leaves out two points at each end.
    ISXDataField* six = NewTable(6);
    graph = GraphOf(six, [](TZelGraphLineProp& L) { L.LineFilter = 2; });
    EXPECT_EQ(Xs(PointsOf(graph, 0)), (std::vector<double>{2, 3}));
    graph = GraphOf(NewTable(5), [](TZelGraphLineProp& L) { L.LineFilter = 2; });
    EXPECT_TRUE(PointsOf(graph, 0).empty());

    // The weights are not rescaled: a constant 1 comes out near 1.43 with filter 1.
    ISXDataField* constant = MakeTable(UseDataSetManager.Create(), "C", IsothermColumns);
    AddRows(constant, {{0, 0, 1}, {1, 0, 1}, {2, 0, 1}, {3, 0, 1}});
    graph = GraphOf(constant, [](TZelGraphLineProp& L) { L.LineFilter = 1; });
    const double sigma = 0.28;
    const double expected = (1 + 2 * std::exp(-1 / (2 * sigma * sigma))) / (sigma * std::sqrt(2 * M_PI));
    const std::vector<double> ys = Ys(PointsOf(graph, 0));
    ASSERT_EQ(ys.size(), 2u);
    EXPECT_NEAR(ys[0], expected, 1e-9);
    EXPECT_NEAR(ys[0], 1.43, 0.01);

    // A column the table lacks, or no X column, plots nothing.
    graph = GraphOf(NewTable(5), [](TZelGraphLineProp& L) { L.Column = "Missing"; });
    EXPECT_TRUE(PointsOf(graph, 0).empty());
}

TEST_F(TGraphWindow, RowsAddedAppendTheNewRowsAsAWholeReloadWould)
{
    struct Case {
        const char* what;
        int filter;
        bool difference;
    };
    const Case cases[] = {{"plain", 0, false}, {"difference", 0, true}, {"smoothed", 2, false}, {"both", 3, true}};
    for (const Case& c : cases) {
        ISXDataField* table = NewTable(3);
        TFGraph* graph = GraphOf(table, [&](TZelGraphLineProp& L) {
            L.LineNumPointsLimitation = false;
            L.LineFilter = static_cast<std::uint8_t>(c.filter);
            L.LineDeriv1stOrder = c.difference;
        });
        for (int step = 0; step < 6; ++step) {
            TPTableData data(table);
            const int first = data.GetNumRows();
            for (int k = 0; k < 3; ++k) {
                data.AddRows(1);
                const int r = data.GetNumRows() - 1;
                data.SetData(0, r, static_cast<float>(r));
                data.SetData(2, r, static_cast<float>(std::sin(r) * 10));
            }
            // The process windows name the newest row only; the register names the rows.
            if (step % 2)
                PostRows(graph, table, static_cast<std::uint32_t>(data.GetNumRows() - 1),
                         static_cast<std::uint32_t>(data.GetNumRows() - 1));
            else
                PostRows(graph, table, static_cast<std::uint32_t>(first),
                         static_cast<std::uint32_t>(data.GetNumRows() - 1));
            const std::vector<TDPoint> appended = PointsOf(graph, 0);
            graph->LoadSeries(graph->AxisLeft.Lines[0], false);
            const std::vector<TDPoint> whole = PointsOf(graph, 0);
            ASSERT_EQ(appended.size(), whole.size()) << c.what << " step " << step;
            EXPECT_EQ(appended.size(), static_cast<size_t>(std::max(0, data.GetNumRows() - 2 * c.filter)));
            for (size_t i = 0; i < whole.size(); ++i) {
                EXPECT_EQ(appended[i].x, whole[i].x) << c.what << " " << i;
                EXPECT_EQ(appended[i].y, whole[i].y) << c.what << " " << i;
            }
        }
        // A row changed in place (the register's grid) is plotted anew from that row on.
        TPTableData data(table);
        data.SetData(2, 4, 1000);
        PostRows(graph, table, 4, 4);
        const std::vector<TDPoint> edited = PointsOf(graph, 0);
        graph->LoadSeries(graph->AxisLeft.Lines[0], false);
        EXPECT_EQ(Ys(edited), Ys(PointsOf(graph, 0))) << c.what;
        // Cut rows reload the line whole.
        data.SetNumRows(10);
        PostRows(graph, table, 9, 9);
        EXPECT_EQ(PointsOf(graph, 0).size(), static_cast<size_t>(10 - 2 * c.filter)) << c.what;
    }
}

TEST_F(TGraphWindow, RowsAddedTouchOnlyTheLinesOfThatTable)
{
    ISXDataField* a = NewTable(5, "A");
    ISXDataField* b = NewTable(5, "B");
    TFGraph* graph = NewGraph();
    graph->SetData(a, "Time", "Surface pressure (SP)", nullptr);
    graph->SetData(b, "Time", "Surface pressure (SP)", nullptr);
    AddRows(a, {{5, 0, 25}, {6, 0, 36}});
    AddRows(b, {{5, 0, 25}});
    graph->Perform(WM_ROWSADDED, reinterpret_cast<WPARAM>(a), MakeRowsAddedRange(5, 6));
    EXPECT_TRUE(graph->Dirty);
    EXPECT_EQ(PointsOf(graph, 0).size(), 7u);
    EXPECT_EQ(PointsOf(graph, 1).size(), 5u);
    // A null table changes nothing.
    graph->Dirty = false;
    PostRows(graph, nullptr, 0, 0);
    EXPECT_FALSE(graph->Dirty);
    EXPECT_EQ(PointsOf(graph, 1).size(), 5u);
    // The timer redraws once after a burst.
    graph->Dirty = true;
    graph->TimerTimer(nullptr);
    EXPECT_FALSE(graph->Dirty);

    // PostToAll reaches every open window.
    TFGraph* other = GraphOf(b);
    GraphManager.PostToAll(WM_ROWSADDED, reinterpret_cast<WPARAM>(b), MakeRowsAddedRange(5, 5));
    Application->ProcessMessages();
    EXPECT_EQ(PointsOf(graph, 1).size(), 6u);
    EXPECT_EQ(PointsOf(other, 0).size(), 6u);
}

TEST_F(TGraphWindow, LinesWithoutTableOrRemovedKeepTheOtherSeriesApart)
{
    ISXDataField* table = NewTable(5);
    TFGraph* graph = NewGraph();
    graph->SetData(table, "Time", "Surface pressure (SP)", nullptr);
    graph->SetData(table, "Time", "Area (A)", nullptr);
    graph->SetData(table, "Time", "Time", nullptr);
    EXPECT_EQ(Uses(table->GetDataSet()), 5);

    TZelGraphLineProp orphan;
    orphan.Axis = 1;
    orphan.Column = "Area (A)";
    EXPECT_EQ(graph->AddLine(orphan), -1);
    EXPECT_EQ(orphan.SeriesIndex, -1);
    graph->LoadSeries(orphan, true);
    graph->ApplyLineStyle(orphan, true);
    EXPECT_EQ(PointsOf(graph, 0).size(), 5u);
    EXPECT_EQ(graph->Chart->LineSeries()->GetItem(0)->Pen()->GetColor(), clRed);

    graph->RemoveLine(graph->AxisLeft.Lines[1], true);
    graph->AxisLeft.Lines.erase(graph->AxisLeft.Lines.begin() + 1);
    EXPECT_EQ(graph->Chart->LineSeries()->Count(), 2);
    EXPECT_EQ(graph->AxisLeft.Lines[1].SeriesIndex, 1);
    EXPECT_EQ(Uses(table->GetDataSet()), 4);
    // The moved line still reloads its own series.
    PostRows(graph, table, 4, 4);
    EXPECT_EQ(Xs(PointsOf(graph, 1)), Ys(PointsOf(graph, 1)));
}

TEST_F(TGraphWindow, ClosedWindowLeavesTheRegistryAndGivesBackItsUses)
{
    ISXDataField* a = NewTable(5, "A");
    ISXDataField* b = NewTable(5, "B");
    TFGraph* graph = NewGraph();
    TFGraph* other = NewGraph();
    graph->SetData(a, "Time", "Surface pressure (SP)", nullptr);
    graph->SetData(b, "Time", nullptr, "Area (A)");
    EXPECT_EQ(Uses(a->GetDataSet()), 2);
    EXPECT_EQ(Uses(b->GetDataSet()), 3);
    EXPECT_EQ(GraphManager.Graphs(), (TFGraphVector{graph, other}));
    graph->Close();
    EXPECT_TRUE(GraphManager.IsAlive(graph));
    Application->ProcessMessages();
    EXPECT_FALSE(GraphManager.IsAlive(graph));
    EXPECT_TRUE(GraphManager.IsAlive(other));
    EXPECT_FALSE(GraphManager.IsAlive(nullptr));
    EXPECT_EQ(Uses(a->GetDataSet()), 1);
    EXPECT_EQ(Uses(b->GetDataSet()), 1);
    // Removing a window that is not registered changes nothing.
    GraphManager.Remove(graph);
    EXPECT_EQ(GraphManager.Graphs(), (TFGraphVector{other}));
}

TEST_F(TGraphWindow, TextExportOfOneLine)
{
    ISXDataField* table = MakeTable(UseDataSetManager.Create(), "Isotherm", IsothermColumns);
    AddRows(table, {{0, 90.5f, 1.25f}, {0.5f, 80, 2}, {1, 70.125f, -3}});
    TFGraph* graph = GraphOf(table);
    TDialogRecorder dialogs;
    dialogs.Answers.push_back({mrOk, Dir.File("report.txt"), 0});
    graph->Perform(WM_SAVE, 0, 0);
    ASSERT_EQ(dialogs.Requests.size(), 1u);
    EXPECT_EQ(dialogs.Requests[0].Kind, TDialogKind::SaveFile);
    EXPECT_EQ(dialogs.Requests[0].Filter,
              "Multi-purpose set (*.mps)|*.mps|Text file (*.txt)|*.txt|Bitmap file (*.bmp)|*.bmp");
    EXPECT_EQ(graph->SaveDialog.FilterIndex, 2);
    EXPECT_EQ(graph->SaveDialog.DefaultExt, "txt");
    const std::string rule(80, '*');
    EXPECT_EQ(ReadFileText(Dir.File("report.txt")), "\n" + rule + "\n  Time, s          Surface pressure (SP), mN/m\n" +
                                                        rule +
                                                        "\n  0.000            1.250          "
                                                        "\n  0.500            2.000          "
                                                        "\n  1.000            -3.000         \n" +
                                                        rule);
    // Without lines: one line break and one rule.
    TFGraph* empty = NewGraph();
    ASSERT_TRUE(empty->ExportText(Dir.File("empty.txt")));
    EXPECT_EQ(ReadFileText(Dir.File("empty.txt")), "\n" + rule);
    // A file that cannot be written is reported.
    dialogs.Answers.push_back({mrOk, Dir.File("missing/report.txt"), 0});
    graph->Perform(WM_SAVE, 0, 0);
    ASSERT_EQ(dialogs.Requests.size(), 3u);
    EXPECT_EQ(dialogs.Requests[2].Kind, TDialogKind::MessageDlg);
    EXPECT_EQ(dialogs.Requests[2].Type, mtError);
}

TEST_F(TGraphWindow, SaveWritesTheBitmapAndTheDataSet)
{
    ISXFiler* module = LoadFilerModule();
    ASSERT_NE(module, nullptr);
    ISXFiler* previous = Filer;
    Filer = module;
    ISXDataField* table = NewTable(50);
    table->GetDataSet()->SetFileName(Dir.File("run.mps").c_str());
    TFGraph* graph = GraphOf(table);
    graph->SetBounds(0, 0, 436, 326);
    TDialogRecorder dialogs;
    dialogs.Default = {mrCancel, {}, 0};
    graph->Perform(WM_SAVE, 0, 0);  // cancelled: nothing written
    dialogs.Answers.push_back({mrOk, Dir.File("picture.bmp"), 0});
    graph->Perform(WM_SAVE, 0, 0);
    ASSERT_TRUE(FileExists(Dir.File("picture.bmp")));
    TBitmap picture;
    picture.LoadFromFile(Dir.File("picture.bmp"));
    const TBitmap& shown = graph->Chart->Buffer();
    ASSERT_EQ(picture.GetWidth(), shown.GetWidth());
    ASSERT_EQ(picture.GetHeight(), shown.GetHeight());
    int red = 0;
    for (int y = 0; y < shown.GetHeight(); ++y)
        for (int x = 0; x < shown.GetWidth(); ++x) {
            ASSERT_EQ(picture.Canvas()->GetPixel(x, y), shown.Canvas()->GetPixel(x, y));
            red += shown.Canvas()->GetPixel(x, y) == clRed;
        }
    EXPECT_GT(red, 20);
    EXPECT_EQ(graph->SaveDialog.FilterIndex, 3);

    // A name without extension takes the filter's extension.
    dialogs.Answers.push_back({mrOk, Dir.File("copy.mps"), 0});
    graph->Perform(WM_SAVE, 0, 0);
    ASSERT_TRUE(FileExists(Dir.File("copy.mps")));
    TSXDataSet loaded;
    ASSERT_TRUE(module->Load(Dir.File("copy.mps").c_str(), &loaded, 0, 1));
    TPTableData copy(loaded.FindField("ZelTable", "Isotherm"));
    ASSERT_TRUE(copy.Valid);
    EXPECT_EQ(copy.GetNumRows(), 50);
    EXPECT_EQ(copy.GetData(2, 7), 49.0f);
    EXPECT_EQ(dialogs.Requests.size(), 3u);
    EXPECT_EQ(graph->SaveDialog.FilterIndex, 1);

    // A graph without a table saves nothing and asks nothing.
    TFGraph* unbound = NewGraph();
    unbound->Perform(WM_SAVE, 0, 0);
    EXPECT_EQ(dialogs.Requests.size(), 3u);
    Filer = previous;
}

TEST_F(TGraphWindow, UpdatesUpToOneHundredThousandRowsPlotEveryAnnouncedRow)
{
    ISXDataField* table = NewTable(0);
    TFGraph* graph = NewGraph();
    graph->SetBounds(0, 0, 436, 326);
    graph->SetData(table, "Time", "Surface pressure (SP)", "Area (A)");
    // Every row on the left, the default limit of 1000 points on the right.
    graph->AxisLeft.Lines[0].LineNumPointsLimitation = false;
    TPTableData data(table);
    for (int row = 0; row < 100000;) {
        const int first = row;
        for (int k = 0; k < 2500; ++k, ++row) {
            data.AddRows(1);
            data.SetData(0, row, static_cast<float>(row));
            data.SetData(1, row, static_cast<float>(row % 977));
            data.SetData(2, row, static_cast<float>(row % 113));
        }
        graph->Perform(WM_ROWSADDED, reinterpret_cast<WPARAM>(table), MakeRowsAddedRange(first, row - 1));
        ASSERT_TRUE(graph->Dirty);
        graph->TimerTimer(nullptr);
        EXPECT_FALSE(graph->Dirty);
    }
    EXPECT_EQ(PointsOf(graph, 0).size(), 100000u);
    EXPECT_EQ(PointsOf(graph, 0).back().y, 99999 % 113);
    EXPECT_EQ(PointsOf(graph, 1).size(), 1000u);

    // Rows before the announced ones are not read again: a row changed without notice
    // keeps its plotted value while the new row arrives.
    data.SetData(2, 10, 12345);
    data.AddRows(1);
    data.SetData(0, 100000, 100000);
    data.SetData(2, 100000, 7);
    graph->Perform(WM_ROWSADDED, reinterpret_cast<WPARAM>(table), MakeRowsAddedRange(100000, 100000));
    ASSERT_EQ(PointsOf(graph, 0).size(), 100001u);
    EXPECT_EQ(PointsOf(graph, 0)[10].y, 10);
    EXPECT_EQ(PointsOf(graph, 0).back().y, 7);
}

}  // namespace
