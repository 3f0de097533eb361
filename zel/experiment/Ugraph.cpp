#include "zel/experiment/Ugraph.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include "platform/tabrix/SXDataSet.h"
#include "zel/core/Common.h"
#include "zel/core/Instrument.h"
#include "zel/experiment/Graphmanager.h"
#include "zel/experiment/Usedatasetmanager.h"

using namespace KVC;

namespace {

constexpr const char* CurrentSource = "<<Current>>";
const std::string Rule(80, '*');

// Standard deviations of the smoothing by its half-width 1..10.
constexpr double FilterSigma[10] = {0.28, 0.57, 0.86, 1.14, 1.43, 1.72, 2.01, 2.29, 2.58, 2.87};

void SetFont(TFont* Font, const char* Name, int Height, TColor Color)
{
    Font->SetName(Name);
    Font->SetHeight(Height);
    Font->SetColor(Color);
}

std::string FileNameWithoutFolder(const std::string& Path)
{
    const size_t slash = Path.find_last_of("/\\");
    return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

// "Name, Unit" of a column; the name alone, with an empty unit, when the table lacks it.
std::string ColumnHeading(TPTableData& Data, int Column, const std::string& Name)
{
    const TSXColumnInfo* info = Column >= 0 ? Data.GetColumnInfo(Column) : nullptr;
    if (!info) return Name + ", ";
    return ReadFixedText(info->Name) + ", " + ReadFixedText(info->Unit);
}

}  // namespace

void SetUpChartAxis(TKvChartAxis* Axis)
{
    Axis->SetAutoScale(true);
    Axis->AxisPen()->SetWidth(2);
    Axis->Ticks()->Pen()->SetColor(clGray);
    Axis->GridPen()->SetColor(clGray);
    Axis->GridPen()->SetStyle(psDot);
    SetFont(Axis->Labels()->Font(), "Tahoma", -9, clBlack);
    Axis->Labels()->SetRoundFirstLabel(true);
    SetFont(Axis->Title()->Font(), "Tahoma", -11, clBlack);
    Axis->Title()->SetAlignment(taCenter);
    Axis->SetCountPixelsBetweenLabels(30);
    Axis->MaxPrecision = 5;
}

TFGraph::TFGraph(TComponent* Owner) : TForm(Owner)
{
    Name = "FGraph";
    SetCaption("Graph");
    Position = poDefault;
    SetBounds(0, 0, 436, 326);

    Chart = new TKvChart(this);
    Chart->Name = "Chart";
    Chart->SetParent(this);
    Chart->SetAlign(alClient);
    Chart->SetColor(clWhite);
    Chart->SetBackgroundColor(clWhite);
    Chart->SetBackDrawMode(bdmTiled);
    Chart->SetBevelOuter(KVC::bvNone);
    Chart->SetBevelInner(KVC::bvNone);
    for (TKvChartAxis* axis : {Chart->BottomAxis(), Chart->LeftAxis(), Chart->RightAxis(), Chart->TopAxis()}) {
        axis->SetVisible(axis != Chart->TopAxis());
        SetUpChartAxis(axis);
    }
    Chart->LeftAxis()->Title()->SetAngle(90);
    Chart->RightAxis()->Title()->SetAngle(270);
    Chart->BottomAxis()->SetCountLabels(10);
    SetFont(Chart->Title()->Font(), "Tahoma", -11, clBlue);
    SetFont(Chart->Legend()->Font(), "MS Sans Serif", -11, clBlack);
    Chart->Legend()->SetLineBoxWidth(1, 10);
    Chart->OnDblClick = [this](TObject* Sender) { MIPropertiesClick(Sender); };

    PopupMenu = new TPopupMenu(this);
    PopupMenu->Name = "PopupMenu";
    MIProperties = NewMenuItem(this, PopupMenu->Items(), "MIProperties", "Properties");
    MIProperties->OnClick = [this](TObject* Sender) { MIPropertiesClick(Sender); };
    PopupMenu->AttachTo(Chart);

    SaveDialog.DefaultExt = "mps";
    SaveDialog.Filter = "Multi-purpose set (*.mps)|*.mps|Text file (*.txt)|*.txt|Bitmap file (*.bmp)|*.bmp";
    SaveDialog.OnTypeChange = [this](TObject* Sender) { SaveDialogTypeChange(Sender); };

    Timer = std::make_unique<TTimer>();
    Timer->SetInterval(200);
    Timer->OnTimer = [this](TObject* Sender) { TimerTimer(Sender); };
    Timer->SetEnabled(true);

    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
    OnClose = [this](TObject* Sender, TCloseAction& Action) { FormClose(Sender, Action); };
    OnDestroy = [this](TObject* Sender) { FormDestroy(Sender); };

    if (!GraphDefaultsLoaded && IniFile) {
        LoadDefaultGraphProp();
        LoadDefaultLineProp();
        GraphDefaultsLoaded = true;
    }
    AxisX = DefaultAxisProp;
    AxisLeft = DefaultAxisProp;
    AxisRight = DefaultAxisProp;
    GraphProp = DefaultGraphProp;
    for (int axis = 0; axis < 3; ++axis) ApplyAxisScale(axis, false);
    ApplyGraphProp();

    SetFormStyle(fsMDIChild);
    SetVisible(true);
}

TFGraph::~TFGraph() = default;

void TFGraph::LoadDefaultGraphProp() { ReadDefaultGraphProp(); }

void TFGraph::LoadDefaultLineProp() { ReadDefaultLineProp(); }

void TFGraph::FormCreate(TObject*)
{
    SetCaption(GetResString("Graph", "Graph"));
    GraphManager.Add(this);
}

void TFGraph::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TFGraph::FormDestroy(TObject*)
{
    if (PropDialog) {
        TFGraphProp* dialog = PropDialog;
        PropDialog = nullptr;
        dialog->Graph = nullptr;
        FreeForm(dialog);
    }
    for (TZelGraphAxisProp* axis : {&AxisLeft, &AxisRight})
        for (TZelGraphLineProp& line : axis->Lines)
            if (line.Table) UseDataSetManager.Release(line.Table);
    if (Table) UseDataSetManager.Release(Table);
    Table = nullptr;
    GraphManager.Remove(this);
}

void TFGraph::MIPropertiesClick(TObject*)
{
    if (PropDialog || !Table) return;
    PropDialog = CreateForm<TFGraphProp>(nullptr, this);
}

void TFGraph::SaveDialogTypeChange(TObject*)
{
    static const char* const extensions[] = {"mps", "txt", "bmp"};
    if (SaveDialog.FilterIndex >= 1 && SaveDialog.FilterIndex <= 3)
        SaveDialog.DefaultExt = extensions[SaveDialog.FilterIndex - 1];
}

void TFGraph::TimerTimer(TObject*)
{
    if (!Dirty) return;
    Dirty = false;
    Chart->Display();
}

void TFGraph::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ROWSADDED:
        WMRowsAdded(Message);
        break;
    case WM_SAVE:
        WMSave(Message);
        break;
    default:
        TForm::WndProc(Message);
        break;
    }
}

void TFGraph::SetData(ISXDataField* NewTable, const char* X, const char* Left, const char* Right)
{
    if (Table) UseDataSetManager.Release(Table);
    Table = NewTable;
    if (!NewTable) return;
    UseDataSetManager.AddRef(NewTable);
    if (!X) return;
    const std::string source = std::string(CurrentSource) + "." + NewTable->GetName();
    if (AxisX.Lines.empty()) AxisX.Lines.push_back(DefaultLineProp);
    TZelGraphLineProp& xLine = AxisX.Lines[0];
    xLine.Table = NewTable;
    xLine.Column = X;
    xLine.Source = source;
    xLine.Axis = 0;
    const auto addLine = [&](TZelGraphAxisProp& Axis, const char* Column, int AxisIndex) {
        TZelGraphLineProp line = DefaultLineProp;
        line.Table = NewTable;
        line.Column = Column;
        line.Source = source;
        line.Axis = AxisIndex;
        Axis.Lines.push_back(line);
        AddLine(Axis.Lines.back());
    };
    if (Left) addLine(AxisLeft, Left, 1);
    if (Right) addLine(AxisRight, Right, 2);
    ApplyGraphProp();
    UpdateAxisTitles();
}

TZelGraphAxisProp* TFGraph::GetAxisProp(int Index)
{
    switch (std::clamp(Index, 0, 2)) {
    case 0:
        return &AxisX;
    case 1:
        return &AxisLeft;
    default:
        return &AxisRight;
    }
}

KVC::TKvLineSeries* TFGraph::SeriesOf(const TZelGraphLineProp& Line) const
{
    if (Line.Axis == 0 || Line.SeriesIndex < 0 || Line.SeriesIndex >= Chart->LineSeries()->Count()) return nullptr;
    return Chart->LineSeries()->GetItem(Line.SeriesIndex);
}

int TFGraph::AddLine(TZelGraphLineProp& Line)
{
    if (!Line.Table) {
        // Without a series of its own the line must never reach another line's series.
        Line.SeriesIndex = -1;
        return -1;
    }
    UseDataSetManager.AddRef(Line.Table);
    Line.SeriesIndex = Chart->LineSeries()->Count();
    Line.LineColor = Line.MarkerBorderColor =
        SeriesPalette[static_cast<size_t>(Line.SeriesIndex) % SeriesPalette.size()];
    TKvLineSeries* series = Chart->LineSeries()->Add();
    series->SetAutoUpdate(false);
    series->UseRightAxis = Line.Axis == 2;
    series->SetTypeDependence(tdPoints);
    FSeriesRows.resize(static_cast<size_t>(Chart->LineSeries()->Count()), 0);
    LoadSeries(Line, true);
    return Line.SeriesIndex;
}

void TFGraph::RemoveLine(TZelGraphLineProp& Line, bool Redraw)
{
    const int index = Line.SeriesIndex;
    if (index >= 0 && index < Chart->LineSeries()->Count()) {
        Chart->LineSeries()->Delete(index);
        FSeriesRows.erase(FSeriesRows.begin() + index);
        for (TZelGraphAxisProp* axis : {&AxisLeft, &AxisRight})
            for (TZelGraphLineProp& other : axis->Lines)
                if (other.SeriesIndex > index) --other.SeriesIndex;
    }
    if (Line.Table) UseDataSetManager.Release(Line.Table);
    if (Redraw) Chart->Display();
}

void TFGraph::ApplyLineStyle(TZelGraphLineProp& Line, bool Redraw)
{
    TKvLineSeries* series = SeriesOf(Line);
    if (!series) return;
    series->Pen()->SetColor(Line.LineColor);
    series->ShapeBrush()->SetColor(Line.LineColor);
    series->ShapePen()->SetColor(Line.MarkerBorderColor);
    series->SetShapeSize(Line.MarkerSize);
    series->SetSplineOrder(Line.LineSplineOrder);
    series->SetUseSplines(Line.LineSplineOrder != 0);
    series->SetTypePoints(static_cast<TKvTypePoints>(Line.LineTypePoints));
    series->Pen()->SetWidth(Line.LineThikness);
    series->SetJoinPoints(Line.LineJoinPoints);
    if (Line.Table) {
        TPTableData data(Line.Table);
        const int column = data.Valid ? FindColumn(data, Line.Column) : -1;
        if (column >= 0) {
            ISXDataSet* set = Line.Table->GetDataSet();
            const std::string file = set ? FileNameWithoutFolder(set->GetFileName()) : std::string();
            series->SetName(ReadFixedText(data.GetColumnInfo(column)->ShortName) + "-" + file);
        }
    }
    if (Line.Axis == 1 && Chart->LeftAxis()->GetAxisVisible()) Chart->LeftAxis()->AxisPen()->SetColor(Line.LineColor);
    if (Line.Axis == 2 && Chart->RightAxis()->GetAxisVisible()) Chart->RightAxis()->AxisPen()->SetColor(Line.LineColor);
    if (Redraw) Chart->Display();
}

bool TFGraph::FillSeries(TZelGraphLineProp& Line, int FirstPoint)
{
    TKvLineSeries* series = SeriesOf(Line);
    if (!series || !Line.Table) return false;
    TPTableData data(Line.Table);
    if (!data.Valid) return false;
    const int n = Line.LineFilter;
    const int xi = GetXColumn(data);
    const int yi = FindColumn(data, Line.Column);
    const int rows = data.GetNumRows();
    const bool limited = Line.LineNumPointsLimitation && Line.LineNumPointsMax < rows;
    const int count = limited ? Line.LineNumPointsMax : rows;
    if (count - 2 * n < 2 || xi < 0 || yi < 0) return false;
    FSeriesRows[static_cast<size_t>(Line.SeriesIndex)] = limited ? -1 : rows;

    const double step = static_cast<double>(rows) / count;
    const auto rowOf = [&](int j) {
        if (!limited) return j;
        if (Line.LineNumPointsLimitationType == 0) return static_cast<int>(j * step);
        return j + rows - count;
    };
    // One selected point before the first output is needed for its difference.
    const int from = std::max(0, FirstPoint - 1);
    std::vector<float> x(static_cast<size_t>(count - from)), y(x.size());
    if (!limited || Line.LineNumPointsLimitationType != 0) {
        // The rows shown follow one another: copied a stretch at a time.
        data.CopyColumn(xi, rowOf(from), count - from, x.data());
        data.CopyColumn(yi, rowOf(from), count - from, y.data());
    } else {
        for (int j = from; j < count; ++j) {
            const int r = rowOf(j);
            x[static_cast<size_t>(j - from)] = data.GetData(xi, r);
            y[static_cast<size_t>(j - from)] = data.GetData(yi, r);
        }
    }
    if (Line.LineDeriv1stOrder) {
        for (size_t i = y.size() - 1; i > 0; --i) y[i] = y[i] - y[i - 1];
        if (from == 0) y[0] = 0;
    }
    std::vector<double> weights;
    if (n > 0) {
        const double sigma = FilterSigma[std::min(n, 10) - 1];
        const double norm = 1.0 / (sigma * std::sqrt(2 * std::numbers::pi));
        for (int k = -n; k <= n; ++k) weights.push_back(std::exp(-(k * k) / (2 * sigma * sigma)) * norm);
    }
    for (int p = FirstPoint; p < count - 2 * n; ++p) {
        const size_t l = static_cast<size_t>(p + n - from);
        if (n == 0) {
            series->AddXY(x[l], y[l]);
            continue;
        }
        double sum = 0;
        for (size_t k = 0; k < weights.size(); ++k)
            sum += static_cast<double>(y[l - static_cast<size_t>(n) + k]) * weights[k];
        series->AddXY(x[l], sum);
    }
    return true;
}

void TFGraph::LoadSeries(TZelGraphLineProp& Line, bool Redraw)
{
    TKvLineSeries* series = SeriesOf(Line);
    if (!series) return;
    series->Clear();
    FSeriesRows[static_cast<size_t>(Line.SeriesIndex)] = -1;
    ApplyLineStyle(Line, false);
    if (Line.Table) {
        if (!FillSeries(Line, 0)) return;
        UpdateAxisTitles();
    }
    if (Redraw) Chart->Display();
}

void TFGraph::ReloadFrom(TZelGraphLineProp& Line, std::uint32_t FirstRow)
{
    TKvLineSeries* series = SeriesOf(Line);
    if (!series) return;
    const int loaded = FSeriesRows[static_cast<size_t>(Line.SeriesIndex)];
    TPTableData data(Line.Table);
    const int rows = data.Valid ? data.GetNumRows() : 0;
    const bool limited = Line.LineNumPointsLimitation && Line.LineNumPointsMax < rows;
    if (loaded < 0 || !data.Valid || limited || rows < loaded) {
        LoadSeries(Line, false);
        return;
    }
    // A changed row reaches the outputs of the 2N rows before it through the smoothing.
    const int start = static_cast<int>(std::min<std::uint64_t>(FirstRow, static_cast<std::uint64_t>(loaded)));
    const int keep = std::clamp(start - 2 * Line.LineFilter, 0, series->GetCount());
    series->Delete(keep, series->GetCount() - keep);
    ApplyLineStyle(Line, false);
    if (!FillSeries(Line, keep)) {
        series->Clear();
        return;
    }
    UpdateAxisTitles();
}

void TFGraph::WMRowsAdded(TMessage& Message)
{
    auto* table = reinterpret_cast<ISXDataField*>(Message.WParam);
    if (!table) return;
    // The lines are redrawn by the timer, once for however many lines and messages
    // came since its last tick, so a long table costs one paint per tick at most.
    const std::uint32_t first = RowsAddedFirst(Message.LParam);
    for (TZelGraphAxisProp* axis : {&AxisLeft, &AxisRight})
        for (TZelGraphLineProp& line : axis->Lines)
            if (line.Table == table) ReloadFrom(line, first);
    Dirty = true;
}

void TFGraph::ApplyAxisScale(int AxisIndex, bool Redraw)
{
    TKvChartAxis* axis = AxisIndex == 0 ? Chart->BottomAxis() : AxisIndex == 1 ? Chart->LeftAxis() : Chart->RightAxis();
    const TZelGraphAxisProp* prop = GetAxisProp(AxisIndex);
    axis->SetAutoScale(prop->AutoScale);
    if (!prop->AutoScale) {
        axis->SetMin(prop->Min);
        axis->SetMax(prop->Max);
    }
    if (Redraw) Chart->Display();
}

void TFGraph::UpdateAxisTitles()
{
    const auto titleOf = [this](const TZelGraphLineProp& Line, bool XColumn) {
        std::string unit;
        if (Line.Table) {
            TPTableData data(Line.Table);
            const int column = !data.Valid ? -1 : XColumn ? GetXColumn(data) : FindColumn(data, Line.Column);
            if (column >= 0) unit = ReadFixedText(data.GetColumnInfo(column)->Unit);
        }
        return Line.Column + ", " + unit;
    };
    if (!AxisX.Lines.empty()) Chart->BottomAxis()->Title()->SetText(titleOf(AxisX.Lines[0], true));
    const std::pair<TZelGraphAxisProp*, TKvChartAxis*> sides[] = {{&AxisLeft, Chart->LeftAxis()},
                                                                  {&AxisRight, Chart->RightAxis()}};
    for (const auto& [prop, axis] : sides) {
        axis->SetVisible(!prop->Lines.empty());
        if (!prop->Lines.empty()) axis->Title()->SetText(titleOf(prop->Lines[0], false));
    }
}

void TFGraph::ApplyGraphProp()
{
    const TZelGraphProp& p = GraphProp;
    Chart->Title()->SetText(p.TitleText);
    Chart->Title()->SetFont(*p.TitleFont);
    Chart->SetColor(p.ColorBackground);
    Chart->Brush()->SetColor(Chart->GetColor());
    Chart->BorderPen()->SetColor(p.ColorAxis);
    for (TKvChartAxis* axis : {Chart->LeftAxis(), Chart->RightAxis(), Chart->BottomAxis()}) {
        axis->Labels()->Font()->SetColor(p.ColorAxis);
        axis->Title()->Font()->SetColor(p.ColorAxis);
        axis->Ticks()->Pen()->SetColor(p.ColorAxis);
    }
    for (TKvChartAxis* axis : {Chart->LeftAxis(), Chart->BottomAxis()}) {
        axis->SetGridVisible(p.GridVisible);
        axis->GridPen()->SetColor(p.GridColor);
    }
    Chart->Legend()->SetVisible(p.LegendVisible);
    Chart->Legend()->SetFont(*p.LegendFont);
    const std::pair<TZelGraphAxisProp*, TKvChartAxis*> sides[] = {{&AxisLeft, Chart->LeftAxis()},
                                                                  {&AxisRight, Chart->RightAxis()}};
    for (const auto& [prop, axis] : sides) {
        if (!p.HighlightAxisByLineColor) {
            axis->SetAxisVisible(false);
        } else if (!prop->Lines.empty()) {
            axis->SetAxisVisible(true);
            axis->AxisPen()->SetColor(prop->Lines[0].LineColor);
        }
    }
    Chart->Display();
}

int TFGraph::FindColumn(const TPTableData& Data, const std::string& Name) const
{
    if (!Data.Valid) return -1;
    auto& data = const_cast<TPTableData&>(Data);
    for (int c = 0; c < data.GetNumColumns(); ++c)
        if (ReadFixedText(data.GetColumnInfo(c)->Name) == Name) return c;
    return -1;
}

int TFGraph::GetXColumn(const TPTableData& Data) const
{
    if (AxisX.Lines.empty()) return -1;
    return FindColumn(Data, AxisX.Lines[0].Column);
}

ISXDataSet* TFGraph::GetDataSet() const
{
    for (const TZelGraphAxisProp* axis : {&AxisLeft, &AxisRight})
        if (!axis->Lines.empty()) return axis->Lines[0].Table ? axis->Lines[0].Table->GetDataSet() : nullptr;
    return nullptr;
}

bool TFGraph::ExportText(const std::string& FileName) const
{
    std::ofstream out(FileName, std::ios::out | std::ios::trunc);
    if (!out) return false;
    char buffer[128];
    out << "\n" << Rule;
    for (const TZelGraphAxisProp* axis : {&AxisLeft, &AxisRight}) {
        for (const TZelGraphLineProp& line : axis->Lines) {
            if (!line.Table) continue;
            TPTableData data(line.Table);
            if (!data.Valid) continue;
            const int xi = GetXColumn(data);
            const int yi = FindColumn(data, line.Column);
            const std::string xName = AxisX.Lines.empty() ? std::string() : AxisX.Lines[0].Column;
            std::snprintf(buffer, sizeof buffer, "\n  %-15s", ColumnHeading(data, xi, xName).c_str());
            out << buffer;
            std::snprintf(buffer, sizeof buffer, "  %-15s", ColumnHeading(data, yi, line.Column).c_str());
            out << buffer << "\n" << Rule;
            // A line whose table lacks one of its columns has a heading and no values.
            if (xi >= 0 && yi >= 0) {
                for (int r = 0; r < data.GetNumRows(); ++r) {
                    std::snprintf(buffer, sizeof buffer, "\n  %-15.3f  %-15.3f",
                                  static_cast<double>(data.GetData(xi, r)), static_cast<double>(data.GetData(yi, r)));
                    out << buffer;
                }
            }
            out << "\n" << Rule;
        }
    }
    out.flush();
    return static_cast<bool>(out);
}

void TFGraph::WMSave(TMessage&)
{
    if (!Table) return;
    if (!SaveDialog.Execute()) return;
    const std::string& name = SaveDialog.FileName;
    switch (SaveDialog.FilterIndex) {
    case 1:
        if (ISXDataSet* set = GetDataSet()) SaveDataSet(name, set);
        break;
    case 2:
        if (!ExportText(name))
            MessageDlg(GetResString("Cannot write file", "Cannot write file") + " " + name, mtError, mbOK);
        break;
    case 3:
        // The picture reflects rows added since the last timer redraw.
        Chart->Display();
        Chart->SaveToBitmapFile(name);
        break;
    default:
        break;
    }
}
