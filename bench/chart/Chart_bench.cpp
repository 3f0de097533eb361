// The chart's paint against other ways of drawing the same line series, in one run and
// alternating round by round, so that a busy machine slows every contender alike:
//  - TKvChart painting its picture (axes, grid, labels, the series) at 800 x 400,
//  - QCustomPlot (as it comes) replotting the same data at the same size,
//  - a bare QPainter::drawPolyline of the points, already in pixels, into an image,
// at 100,000 and at 10,000 points; and the graph window's repaint at 100,000 rows against
// one paint of a bare chart of the same size with the same points.
// Prints the median time of each and the ratios. Not a test: run bin/chart_bench in a
// release build.
#include <QImage>
#include <QPainter>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>
#include "kvc/KvChart.h"
#include "platform/tabrix/SXDataSet.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "zel/core/Common.h"
#include "zel/experiment/Graphmanager.h"
#include "zel/experiment/Ugraph.h"
#include "zel/experiment/Usedatasetmanager.h"
#ifdef ZEL_BENCH_QCUSTOMPLOT
#include <qcustomplot.h>
#endif

using namespace KVC;

namespace {

constexpr int Width = 800, Height = 400;

struct TSeries {
    QVector<double> X, Y;
};

TSeries MakeSeries(int Count)
{
    TSeries s;
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0, 0.5);
    for (int i = 0; i < Count; ++i) {
        const double x = i * (1000.0 / Count);
        s.X.push_back(x);
        s.Y.push_back(20 * std::sin(x * 0.05) + noise(random));
    }
    return s;
}

double Milliseconds(const std::function<void()>& Work)
{
    const auto start = std::chrono::steady_clock::now();
    Work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

// Runs the contenders one after the other, Rounds times, after one round to warm up;
// returns each one's median.
std::vector<double> Alternate(const std::vector<std::function<void()>>& Contenders, int Rounds)
{
    for (const auto& c : Contenders) c();
    std::vector<std::vector<double>> times(Contenders.size());
    for (int r = 0; r < Rounds; ++r)
        for (size_t i = 0; i < Contenders.size(); ++i) times[i].push_back(Milliseconds(Contenders[i]));
    std::vector<double> medians;
    for (const auto& t : times) medians.push_back(Median(t));
    return medians;
}

// A chart with the graph window's look: left and bottom axes scaled to the data, their
// grid dotted, labels at least 30 pixels apart, ten along the bottom.
void SetUpChart(TKvChart& Chart, int ChartWidth, int ChartHeight)
{
    Chart.SetBounds(0, 0, ChartWidth, ChartHeight);
    Chart.SetColor(clWhite);
    Chart.SetBackgroundColor(clWhite);
    Chart.SetBevelOuter(KVC::bvNone);
    Chart.SetBevelInner(KVC::bvNone);
    for (TKvChartAxis* axis : {Chart.BottomAxis(), Chart.LeftAxis()}) {
        axis->SetVisible(true);
        axis->SetAutoScale(true);
        axis->AxisPen()->SetWidth(2);
        axis->Ticks()->Pen()->SetColor(clGray);
        axis->GridPen()->SetColor(clGray);
        axis->GridPen()->SetStyle(psDot);
        axis->Labels()->SetRoundFirstLabel(true);
        axis->SetCountPixelsBetweenLabels(30);
        axis->MaxPrecision = 5;
    }
    Chart.BottomAxis()->SetCountLabels(10);
    Chart.EndLoading();
}

int PixelsOf(const TBitmap& Picture, TColor Color)
{
    int count = 0;
    for (int y = 0; y < Picture.GetHeight(); ++y)
        for (int x = 0; x < Picture.GetWidth(); ++x) count += Picture.Canvas()->GetPixel(x, y) == Color;
    return count;
}

void CompareLineDrawing(int Count, int Rounds)
{
    const TSeries data = MakeSeries(Count);

    TKvChart chart(nullptr);
    SetUpChart(chart, Width, Height);
    TKvLineSeries* series = chart.LineSeries()->Add();
    series->SetAutoUpdate(false);
    for (int i = 0; i < Count; ++i) series->AddXY(data.X[i], data.Y[i]);
    auto chartPaint = [&] { chart.Display(); };

    // The polyline gets the points in pixels of the same graph area.
    chart.Display();
    const TRect g = chart.GraphRect();
    QPolygonF pixels;
    pixels.reserve(Count);
    for (int i = 0; i < Count; ++i)
        pixels << QPointF(g.Left + data.X[i] * g.Width() / 1000.0, g.Top + (25 - data.Y[i]) * g.Height() / 50.0);
    QImage image(Width, Height, QImage::Format_RGB32);
    auto polyline = [&] {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setPen(QPen(Qt::red, 0));
        painter.drawPolyline(pixels);
    };

    std::vector<std::function<void()>> contenders{chartPaint, polyline};
#ifdef ZEL_BENCH_QCUSTOMPLOT
    QCustomPlot plot;
    plot.resize(Width, Height);
    QCPGraph* graph = plot.addGraph();
    graph->setPen(QPen(Qt::red));
    graph->setData(data.X, data.Y, true);
    plot.rescaleAxes();
    contenders.push_back([&] { plot.replot(QCustomPlot::rpRefreshHint); });
    QImage plotImage(Width, Height, QImage::Format_RGB32);
    contenders.push_back([&] {
        QCPPainter painter(&plotImage);
        plot.toPainter(&painter, Width, Height);
    });
#endif
    const std::vector<double> t = Alternate(contenders, Rounds);
    if (PixelsOf(chart.Buffer(), clRed) == 0) std::printf("!! the chart drew no line\n");
    std::printf("%d points at %dx%d, median of %d rounds:\n", Count, Width, Height, Rounds);
    std::printf("  TKvChart paint            %8.3f ms\n", t[0]);
    std::printf("  QPainter::drawPolyline    %8.3f ms\n", t[1]);
#ifdef ZEL_BENCH_QCUSTOMPLOT
    std::printf("  QCustomPlot replot        %8.3f ms\n", t[2]);
    std::printf("  QCustomPlot toPainter     %8.3f ms\n", t[3]);
    std::printf("  TKvChart / QCustomPlot (faster of its two)  %.3f\n", t[0] / std::min(t[2], t[3]));
#else
    std::printf("  (QCustomPlot for Qt 6 not found at configure time: no comparison with it)\n");
#endif
    std::printf("  TKvChart / drawPolyline                     %.3f\n", t[0] / t[1]);
}

// The graph window bound to a table of Rows rows against a bare chart of the same size
// holding the same points.
void CompareGraphWindow(int Rows, int Rounds)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("chart_bench." + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / "zel.ini").close();
    Application->SetExeName((folder / "zel").string());
    InitCommon();

    TForm* main = CreateForm<TForm>(nullptr);
    main->SetFormStyle(fsMDIForm);
    main->SetBounds(0, 0, 1000, 700);
    main->Show();

    ISXDataSet* set = UseDataSetManager.Create();
    ISXDataField* table = TPTableData::CreateSXTableData(set, "ZelTable", "Isotherm", 3, 100);
    TPTableData data(table);
    const char* names[] = {"Time", "Area (A)", "Surface pressure (SP)"};
    for (int c = 0; c < 3; ++c) {
        TSXColumnInfo* info = data.GetColumnInfo(c);
        info->Flags = 0;
        WriteFixedText(info->Name, names[c]);
    }
    for (int r = 0; r < Rows; ++r) {
        data.AddRows(1);
        data.SetData(0, r, static_cast<float>(r));
        data.SetData(1, r, static_cast<float>(r % 977));
        data.SetData(2, r, static_cast<float>(20 * std::sin(r * 0.0005) + (r % 7) * 0.1));
    }
    TFGraph* window = NewGraph();
    window->SetBounds(0, 0, Width + 36, Height + 26);
    window->SetData(table, "Time", "Surface pressure (SP)", "Area (A)");
    window->AxisLeft.Lines[0].LineNumPointsLimitation = false;
    window->LoadSeries(window->AxisLeft.Lines[0], true);
    Application->ProcessMessages();
    TKvChart& shown = *window->Chart;
    auto repaint = [&] {
        window->Dirty = true;
        window->TimerTimer(nullptr);
    };

    TKvChart bare(nullptr);
    SetUpChart(bare, shown.GetWidth(), shown.GetHeight());
    bare.SetLeftAxis(*shown.LeftAxis());
    bare.SetBottomAxis(*shown.BottomAxis());
    bare.SetRightAxis(*shown.RightAxis());
    bare.SetTopAxis(*shown.TopAxis());
    bare.SetTitle(*shown.Title());
    bare.Legend()->SetVisible(shown.Legend()->GetVisible());
    for (int s = 0; s < shown.LineSeries()->Count(); ++s) {
        TKvLineSeries* from = shown.LineSeries()->GetItem(s);
        TKvLineSeries* to = bare.LineSeries()->Add();
        to->SetAutoUpdate(false);
        to->Assign(from);
        to->UseRightAxis = from->UseRightAxis;
        for (const TDPoint& p : from->Points()) to->AddXY(p.x, p.y);
    }
    auto barePaint = [&] { bare.Display(); };

    const std::vector<double> t = Alternate({repaint, barePaint}, Rounds);
    std::printf("graph window at %d rows (%dx%d chart, %d + %d points), median of %d rounds:\n", Rows, shown.GetWidth(),
                shown.GetHeight(), shown.LineSeries()->GetItem(0)->GetCount(),
                shown.LineSeries()->Count() > 1 ? shown.LineSeries()->GetItem(1)->GetCount() : 0, Rounds);
    std::printf("  graph window repaint      %8.3f ms\n", t[0]);
    std::printf("  bare chart paint          %8.3f ms\n", t[1]);
    std::printf("  graph repaint / bare paint                  %.3f\n", t[0] / t[1]);

    FreeForm(window);
    FreeForm(main);
    DoneCommon();
    fs::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    CompareLineDrawing(100000, 40);
    CompareLineDrawing(10000, 100);
    CompareGraphWindow(100000, 40);
    return 0;
}
