#include "zel/experiment/Ugraphprop.h"

#include <algorithm>
#include "kvc/KvChartLineSeries.h"
#include "kvc/KvColorButton.h"
#include "platform/kvcls/kvcls.h"
#include "platform/tabrix/SXDataSet.h"
#include "platform/ui/ControlBuilder.h"
#include "platform/ui/Dialogs.h"
#include "platform/base/FloatFormat.h"
#include "zel/core/Common.h"
#include "zel/core/Toolwindow.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/experiment/Ugraph.h"
#include "zel/experiment/Tablesource.h"
#include "zel/experiment/Usedatasetmanager.h"

TZelGraphLineProp DefaultLineProp;
TZelGraphAxisProp DefaultAxisProp;
TZelGraphProp DefaultGraphProp;
bool GraphDefaultsLoaded = false;

const std::array<TColor, 10> SeriesPalette = {clRed,  clBlue, clGreen, clOlive,   clPurple,
                                              clNavy, clTeal, clLime,  clFuchsia, clMaroon};

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
constexpr TFontKeys TitleFontKeys{"TitleFontName", "TitleFontSize", "TitleFontColor", "TitleFontBold",
                                  "TitleFontItalic"};
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
    p.HighlightAxisByLineColor =
        IniFile->ReadBool(GraphPropSection, "HighlightAxisByLineColor", p.HighlightAxisByLineColor);
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
    l.LineNumPointsLimitation =
        IniFile->ReadBool(GraphPropSection, "LineNumPointsLimitation", l.LineNumPointsLimitation);
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

// ---------------------------------------------------------------------------------------
// The property dialog.

namespace {

constexpr const char* CurrentSourcePrefix = "<<Current>>";

KVC::TKvColorButton* MakeColor(TFGraphProp* Form, TWinControl* Parent, const char* Name, int Left, int Top)
{
    auto* button = MakeControl<KVC::TKvColorButton>(Form, Parent, Name, "", Left, Top, 40, EntryHeight);
    button->ShowColorDialog = true;
    return button;
}

// Source and column names compare with case.
int ExactIndex(const TStringList& Items, const std::string& Text)
{
    const auto& lines = Items.Lines();
    const auto found = std::find(lines.begin(), lines.end(), Text);
    return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
}

std::string SelectedText(const TComboBox* Combo)
{
    const int index = Combo->GetItemIndex();
    return index >= 0 && index < Combo->Items().Count() ? Combo->Items()[index] : std::string();
}

}  // namespace

TFGraphProp::TFGraphProp(TComponent* Owner, TFGraph* Graph) : TForm(Owner), Graph(Graph)
{
    SetUpForm(this, "FGraphProp", "Graph Properties", fsStayOnTop, bsToolWindow);
    SetBounds(0, 0, 250, 552);
    BuildControls();
    WireEvents();
    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
    OnClose = [this](TObject* Sender, TCloseAction& Action) { FormClose(Sender, Action); };
    OnDestroy = [this](TObject* Sender) { FormDestroy(Sender); };
    if (Graph) {
        // Beside the graph's right edge while that stays on the screen.
        const TPoint origin = Graph->ClientToScreen(TPoint{0, 0});
        SetTop(origin.y);
        if (origin.x + Graph->GetWidth() + 20 < Screen->Width()) SetLeft(origin.x + Graph->GetWidth());
    }
    SetVisible(true);
}

TFGraphProp::~TFGraphProp() = default;

void TFGraphProp::BuildControls()
{
    PageControl = MakeControl<TPageControl>(this, this, "PageControl", "", 0, 0, 250, 552);
    PageControl->SetAlign(alClient);
    PageControl->DockSite = false;
    TSAxis = new TTabSheet(this, PageControl);
    TSAxis->Name = "TSAxis";
    TSAxis->SetCaption("Axis");
    TSGraph = new TTabSheet(this, PageControl);
    TSGraph->Name = "TSGraph";
    TSGraph->SetCaption("Graph");

    TCAxis = MakeControl<TTabControl>(this, TSAxis, "TCAxis", "", 0, 0, 242, 524);
    TCAxis->SetAlign(alClient);
    TCAxis->SetTabs({"Bottom", "Left", "Right"});
    TCAxis->SetTabPosition(tpRight);

    GBAxis = MakeControl<TGroupBox>(this, TCAxis, "GBAxis", "Axis", 4, 4, 200, 70);
    CBAutoscale = MakeControl<TCheckBox>(this, GBAxis, "CBAutoscale", "Autoscale", 8, 16, 120, 17);
    LAxisMin = MakeControl<TLabel>(this, GBAxis, "LAxisMin", "Min", 8, 42, 30, 13);
    SEAxisMin = MakeSpinEdit(this, GBAxis, "SEAxisMin", 32, 38, 80, 1);
    SEAxisMin->SetWidth(60);
    LAxisMax = MakeControl<TLabel>(this, GBAxis, "LAxisMax", "Max", 100, 42, 30, 13);
    SEAxisMax = MakeSpinEdit(this, GBAxis, "SEAxisMax", 128, 38, 80, 1);
    SEAxisMax->SetWidth(60);

    GBLines = MakeControl<TGroupBox>(this, TCAxis, "GBLines", "Lines", 4, 76, 200, 74);
    LBLines = MakeControl<TListBox>(this, GBLines, "LBLines", "", 8, 16, 150, 52);
    SBAddLine = MakeControl<TSpeedButton>(this, GBLines, "SBAddLine", "+", 164, 16, 25, 25);
    SBDelLine = MakeControl<TSpeedButton>(this, GBLines, "SBDelLine", "-", 164, 43, 25, 25);

    GBSource = MakeControl<TGroupBox>(this, TCAxis, "GBSource", "Source", 4, 152, 200, 96);
    LExperiment = MakeControl<TLabel>(this, GBSource, "LExperiment", "Experiment", 8, 16, 100, 13);
    CBExperiment = MakeDropDownList(this, GBSource, "CBExperiment", 8, 30, 184, {}, -1);
    LData = MakeControl<TLabel>(this, GBSource, "LData", "Data", 8, 54, 100, 13);
    CBData = MakeDropDownList(this, GBSource, "CBData", 8, 68, 184, {}, -1);

    GBLineProp = MakeControl<TGroupBox>(this, TCAxis, "GBLineProp", "Line Properties", 4, 250, 200, 300);
    LColor = MakeControl<TLabel>(this, GBLineProp, "LColor", "Color", 8, 20, 100, 13);
    CBColor = MakeColor(this, GBLineProp, "CBColor", 140, 16);
    LMarkerBorderColor =
        MakeControl<TLabel>(this, GBLineProp, "LMarkerBorderColor", "Color of marker border", 8, 44, 130, 13);
    CBMarkerBorderColor = MakeColor(this, GBLineProp, "CBMarkerBorderColor", 140, 40);
    LMarkerSize = MakeControl<TLabel>(this, GBLineProp, "LMarkerSize", "Marker size", 8, 68, 100, 13);
    SEMarkerSize = MakeSpinEdit(this, GBLineProp, "SEMarkerSize", 112, 64, 80, 0);
    SetSpinRange(SEMarkerSize, 5, 30);
    LThikness = MakeControl<TLabel>(this, GBLineProp, "LThikness", "Thikness", 8, 92, 100, 13);
    SEThikness = MakeSpinEdit(this, GBLineProp, "SEThikness", 112, 88, 80, 0);
    SetSpinRange(SEThikness, 1, 4);
    LFilter = MakeControl<TLabel>(this, GBLineProp, "LFilter", "Filter", 8, 116, 100, 13);
    SEFilter = MakeSpinEdit(this, GBLineProp, "SEFilter", 112, 112, 80, 0);
    SetSpinRange(SEFilter, 0, 10);
    LSpline = MakeControl<TLabel>(this, GBLineProp, "LSpline", "Spline", 8, 140, 100, 13);
    CBSpline = MakeDropDownList(this, GBLineProp, "CBSpline", 112, 136, 80,
                                {"None", "3d order", "4th order", "5th order"}, -1);
    LLinePoints = MakeControl<TLabel>(this, GBLineProp, "LLinePoints", "Line points", 8, 164, 100, 13);
    CBLinePoints = MakeDropDownList(
        this, GBLineProp, "CBLinePoints", 112, 160, 80,
        {"None", "Square", "Circle", "Triangle", "Triangle down", "Cross", "Diagonal cross", "Star", "Diamond"}, -1);
    ShowLinePointPictures();
    CBJoinPoints = MakeControl<TCheckBox>(this, GBLineProp, "CBJoinPoints", "Join points", 8, 184, 180, 17);
    CBDeriv1stOrder =
        MakeControl<TCheckBox>(this, GBLineProp, "CBDeriv1stOrder", "1st order derivative", 8, 202, 180, 17);
    chkNumPointsLimitation =
        MakeControl<TCheckBox>(this, GBLineProp, "chkNumPointsLimitation", "Num points limitation", 8, 220, 180, 17);
    LNumPointsMax = MakeControl<TLabel>(this, GBLineProp, "LNumPointsMax", "Max number of points", 8, 242, 110, 13);
    edNumPointsMax = MakeSpinEdit(this, GBLineProp, "edNumPointsMax", 120, 238, 80, 0);
    SetSpinRange(edNumPointsMax, 10, 10000);
    LNumPointsLimitationType =
        MakeControl<TLabel>(this, GBLineProp, "LNumPointsLimitationType", "Limitation Type", 8, 264, 100, 13);
    cbbNumPointsLimitationType =
        MakeDropDownList(this, GBLineProp, "cbbNumPointsLimitationType", 112, 260, 80, {"Decimation", "Past data"}, -1);
    BBSetAsDefault = MakeControl<TBitBtn>(this, TCAxis, "BBSetAsDefault", "Set as default", 4, 552, 120, 25);
    chkNumPointsLimitation->SetChecked(true);
    edNumPointsMax->SetValue(1000);

    GBTitle = MakeControl<TGroupBox>(this, TSGraph, "GBTitle", "Title", 4, 4, 234, 70);
    LTitleText = MakeControl<TLabel>(this, GBTitle, "LTitleText", "Text", 8, 20, 40, 13);
    EDTitleText = MakeControl<TEdit>(this, GBTitle, "EDTitleText", "", 48, 16, 178, 21);
    LTitleFont = MakeControl<TLabel>(this, GBTitle, "LTitleFont", "Change title font", 8, 46, 120, 13);
    BBTitleFont = MakeControl<TBitBtn>(this, GBTitle, "BBTitleFont", "F", 200, 42, 25, 25);
    GBColors = MakeControl<TGroupBox>(this, TSGraph, "GBColors", "Color", 4, 78, 234, 90);
    LBackground = MakeControl<TLabel>(this, GBColors, "LBackground", "Background", 8, 20, 100, 13);
    CBBackground = MakeColor(this, GBColors, "CBBackground", 180, 16);
    LAxis = MakeControl<TLabel>(this, GBColors, "LAxis", "Axis", 8, 44, 100, 13);
    CBAxis = MakeColor(this, GBColors, "CBAxis", 180, 40);
    chkHighlightAxisByLineColor = MakeControl<TCheckBox>(this, GBColors, "chkHighlightAxisByLineColor",
                                                         "Highlight axis by line color", 8, 66, 200, 17);
    GBGrid = MakeControl<TGroupBox>(this, TSGraph, "GBGrid", "Grid", 4, 172, 234, 66);
    CBGridVisible = MakeControl<TCheckBox>(this, GBGrid, "CBGridVisible", "Visible", 8, 18, 100, 17);
    LGridColor = MakeControl<TLabel>(this, GBGrid, "LGridColor", "Color", 8, 42, 100, 13);
    CBGridColor = MakeColor(this, GBGrid, "CBGridColor", 180, 38);
    GBLegend = MakeControl<TGroupBox>(this, TSGraph, "GBLegend", "Legend", 4, 242, 234, 66);
    CBLegendVisible = MakeControl<TCheckBox>(this, GBLegend, "CBLegendVisible", "Visible", 8, 18, 100, 17);
    LLegendFont = MakeControl<TLabel>(this, GBLegend, "LLegendFont", "Change font", 8, 42, 100, 13);
    BBLegendFont = MakeControl<TBitBtn>(this, GBLegend, "BBLegendFont", "F", 200, 38, 25, 25);
    BBSetAsDefault2 = MakeControl<TBitBtn>(this, TSGraph, "BBSetAsDefault2", "Set as default", 4, 314, 120, 25);
}

void TFGraphProp::ShowLinePointPictures()
{
    constexpr int PictureSize = 16, ShapeSize = 9;
    for (int shape = KVC::tpNone; shape <= KVC::tpDiamond; ++shape) {
        TBitmap picture;
        picture.SetSize(PictureSize, PictureSize);
        TCanvas* canvas = picture.Canvas();
        canvas->Brush()->SetColor(clWhite);
        canvas->FillRect(TRect{0, 0, PictureSize, PictureSize});
        canvas->Pen()->SetColor(clBlack);
        KVC::DrawPointShape(canvas, static_cast<KVC::TKvTypePoints>(shape), ShapeSize, PictureSize / 2,
                            PictureSize / 2);
        CBLinePoints->SetItemPicture(shape, picture);
    }
    CBLinePoints->SetDropDownCount(8);
}

void TFGraphProp::WireEvents()
{
    OnDeactivate = [this](TObject* S) { FormDeactivate(S); };
    BBTitleFont->OnClick = [this](TObject* S) { BBTitleFontClick(S); };
    BBLegendFont->OnClick = [this](TObject* S) { BBLegendFontClick(S); };
    TCAxis->OnChange = [this](TObject* S) { TCAxisChange(S); };
    LBLines->OnClick = [this](TObject* S) { LBLinesClick(S); };
    SBAddLine->OnClick = [this](TObject* S) { SBAddLineClick(S); };
    SBDelLine->OnClick = [this](TObject* S) { SBDelLineClick(S); };
    CBExperiment->OnChange = [this](TObject* S) { CBExperimentClick(S); };
    const TNotifyEvent data = [this](TObject* S) { CBDataClick(S); };
    CBData->OnChange = data;
    SEFilter->OnChange = data;
    edNumPointsMax->OnChange = data;
    CBDeriv1stOrder->OnClick = data;
    chkNumPointsLimitation->OnClick = data;
    cbbNumPointsLimitationType->OnChange = data;
    const TNotifyEvent look = [this](TObject* S) { CBColorChange(S); };
    CBColor->OnChange = look;
    CBMarkerBorderColor->OnChange = look;
    SEMarkerSize->OnChange = look;
    SEThikness->OnChange = look;
    CBSpline->OnChange = look;
    CBLinePoints->OnChange = look;
    CBJoinPoints->OnClick = look;
    const TNotifyEvent scale = [this](TObject* S) { CBAutoscaleClick(S); };
    CBAutoscale->OnClick = scale;
    SEAxisMin->OnChange = scale;
    SEAxisMax->OnChange = scale;
    const TNotifyEvent graph = [this](TObject* S) { EDTitleTextChange(S); };
    EDTitleText->OnChange = graph;
    for (TControl* control : std::initializer_list<TControl*>{CBBackground, CBAxis, CBGridColor, CBGridVisible,
                                                              CBLegendVisible, chkHighlightAxisByLineColor})
        control->OnClick = graph;
    BBSetAsDefault->OnClick = [this](TObject* S) { BBSetAsDefaultClick(S); };
    BBSetAsDefault2->OnClick = [this](TObject* S) { BBSetAsDefault2Click(S); };
}

void TFGraphProp::FormCreate(TObject*)
{
    ApplyLanguage();
    FillDataSources();
    if (!Graph) return;
    const TZelGraphProp& p = Graph->GraphProp;
    Updating = true;
    EDTitleText->SetText(p.TitleText);
    CBBackground->SetColor(p.ColorBackground);
    CBAxis->SetColor(p.ColorAxis);
    CBGridVisible->SetChecked(p.GridVisible);
    CBGridColor->SetColor(p.GridColor);
    CBLegendVisible->SetChecked(p.LegendVisible);
    chkHighlightAxisByLineColor->SetChecked(p.HighlightAxisByLineColor);
    Updating = false;
}

void TFGraphProp::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TFGraphProp::FormDeactivate(TObject*)
{
    // The colour and font dialogs and the error boxes this dialog raises take the
    // activation while they are open; losing it to them is not leaving the dialog.
    if (DialogRunning()) return;
    Close();
}

void TFGraphProp::FormDestroy(TObject*)
{
    if (Graph) Graph->PropDialog = nullptr;
}

int TFGraphProp::AxisIndex() const { return std::clamp(TCAxis->GetTabIndex(), 0, 2); }

TZelGraphAxisProp& TFGraphProp::CurrentAxis() const { return *Graph->GetAxisProp(AxisIndex()); }

TZelGraphLineProp* TFGraphProp::ValidSelLine()
{
    if (!SelLine || !Graph) return SelLine = nullptr;
    for (int axis = 0; axis < 3; ++axis)
        for (TZelGraphLineProp& line : Graph->GetAxisProp(axis)->Lines)
            if (&line == SelLine) return SelLine;
    return SelLine = nullptr;
}

ITableSource* TFGraphProp::TableSource() { return FindRole<ITableSource>(TToolWindowKind::ExpSetup); }

void TFGraphProp::FillDataSources()
{
    if (!Graph) return;
    CBExperiment->ClearItems();
    std::string own;
    if (Graph->Table) {
        own = std::string(CurrentSourcePrefix) + "." + Graph->Table->GetName();
        if (ISXDataSet* set = Graph->Table->GetDataSet()) {
            TStringList names;
            set->GetFieldNames(ZelTableCategory, &names);
            for (const std::string& name : names.Lines())
                CBExperiment->AddItem(std::string(CurrentSourcePrefix) + "." + name);
        }
    }
    if (ITableSource* source = TableSource()) {
        TStringList offered;
        source->ListTables(&offered);
        for (const std::string& name : offered.Lines()) CBExperiment->AddItem(name);
    }
    CBExperiment->SetItemIndex(ExactIndex(CBExperiment->Items(), own));
    TCAxisChange(nullptr);
}

ISXDataField* TFGraphProp::ResolveSource(const std::string& Source)
{
    const size_t dot = Source.find('.');
    const std::string experiment = Source.substr(0, dot);
    if (experiment == CurrentSourcePrefix) {
        if (!Graph || !Graph->Table || dot == std::string::npos) return nullptr;
        ISXDataSet* set = Graph->Table->GetDataSet();
        return set ? set->FindField(ZelTableCategory, Source.substr(dot + 1).c_str()) : nullptr;
    }
    ITableSource* source = TableSource();
    return source ? source->GetTableByName(Source) : nullptr;
}

void TFGraphProp::TCAxisChange(TObject*)
{
    if (!Graph) return;
    const int t = AxisIndex();
    GBLines->SetVisible(t != 0);
    GBLineProp->SetVisible(t != 0);
    CBExperiment->SetEnabled(t != 0);
    TZelGraphAxisProp& axis = CurrentAxis();
    TStringList items;
    for (size_t i = 0; i < axis.Lines.size(); ++i)
        items.Add(GetResString("Line", "Line") + " " + std::to_string(i + 1));
    LBLines->SetItems(items);
    const bool hasLines = !axis.Lines.empty();
    GBAxis->SetEnabled(hasLines);
    GBSource->SetEnabled(hasLines);
    GBLineProp->SetEnabled(hasLines);
    BBSetAsDefault->SetEnabled(hasLines && t != 0);
    if (!hasLines) return;
    LBLines->SetItemIndex(0);
    LBLinesClick(nullptr);
    ShowAxis();
}

void TFGraphProp::LBLinesClick(TObject*)
{
    const int index = LBLines->GetItemIndex();
    if (!Graph || index < 0) return;
    TZelGraphAxisProp& axis = CurrentAxis();
    if (index >= static_cast<int>(axis.Lines.size())) return;
    SelLine = &axis.Lines[static_cast<size_t>(index)];
    const int source = ExactIndex(CBExperiment->Items(), SelLine->Source);
    if (source < 0) return;
    ShowLine();
    CBExperiment->SetItemIndex(source);
    CBExperimentClick(nullptr);
}

void TFGraphProp::ShowLine()
{
    const TZelGraphLineProp* line = ValidSelLine();
    if (!line) return;
    Updating = true;
    CBColor->SetColor(line->LineColor);
    CBMarkerBorderColor->SetColor(line->MarkerBorderColor);
    SEMarkerSize->SetValue(line->MarkerSize);
    SEThikness->SetValue(line->LineThikness);
    SEFilter->SetValue(line->LineFilter);
    CBSpline->SetItemIndex(line->LineSplineOrder > 2 ? line->LineSplineOrder - 2 : 0);
    CBLinePoints->SetItemIndex(line->LineTypePoints);
    CBJoinPoints->SetChecked(line->LineJoinPoints);
    CBDeriv1stOrder->SetChecked(line->LineDeriv1stOrder);
    chkNumPointsLimitation->SetChecked(line->LineNumPointsLimitation);
    edNumPointsMax->SetValue(line->LineNumPointsMax);
    cbbNumPointsLimitationType->SetItemIndex(line->LineNumPointsLimitationType);
    Updating = false;
}

void TFGraphProp::ShowAxis()
{
    if (!ValidSelLine() || !Graph) return;
    const TZelGraphAxisProp& axis = CurrentAxis();
    Updating = true;
    CBAutoscale->SetChecked(axis.AutoScale);
    SEAxisMin->SetValue(axis.Min);
    SEAxisMax->SetValue(axis.Max);
    Updating = false;
}

void TFGraphProp::CBExperimentClick(TObject*)
{
    TZelGraphLineProp* line = ValidSelLine();
    if (!line) return;
    line->Source = SelectedText(CBExperiment);
    ISXDataField* table = ResolveSource(line->Source);
    if (!table) {
        MessageDlg(GetResString("Error!", "Error!"), mtError, mbOK);
        return;
    }
    if (table != line->Table) {
        // The X line holds no use of its own.
        if (line->Axis != 0 && line->Table) UseDataSetManager.Release(line->Table);
        line->Table = table;
        if (line->Axis != 0) UseDataSetManager.AddRef(table);
    }
    CBData->ClearItems();
    TPTableData data(table);
    for (int c = 0; data.Valid && c < data.GetNumColumns(); ++c)
        CBData->AddItem(ReadFixedText(data.GetColumnInfo(c)->Name));
    const int column = ExactIndex(CBData->Items(), line->Column);
    if (column >= 0) {
        CBData->SetItemIndex(column);
        CBDataClick(nullptr);
    }
}

void TFGraphProp::CBDataClick(TObject* Sender)
{
    if (!Graph || Updating) return;
    if (AxisIndex() == 0) {
        const std::string column = SelectedText(CBData);
        if (column.empty() || Graph->AxisX.Lines.empty() || column == Graph->AxisX.Lines[0].Column) return;
        Graph->AxisX.Lines[0].Column = column;
        for (TZelGraphAxisProp* axis : {&Graph->AxisLeft, &Graph->AxisRight}) {
            for (size_t i = 0; i < axis->Lines.size();) {
                TZelGraphLineProp& line = axis->Lines[i];
                TPTableData data(line.Table);
                if (Graph->FindColumn(data, column) < 0) {
                    Graph->RemoveLine(line, false);
                    axis->Lines.erase(axis->Lines.begin() + static_cast<std::ptrdiff_t>(i));
                } else {
                    Graph->LoadSeries(line, false);
                    ++i;
                }
            }
        }
        Graph->UpdateAxisTitles();
        Graph->Chart->Display();
        TCAxisChange(nullptr);
        return;
    }
    TZelGraphLineProp* line = ValidSelLine();
    if (!line) return;
    line->Column = SelectedText(CBData);
    line->LineFilter = static_cast<std::uint8_t>(SEFilter->AsInteger());
    line->LineDeriv1stOrder = CBDeriv1stOrder->GetChecked();
    line->LineNumPointsLimitation = chkNumPointsLimitation->GetChecked();
    line->LineNumPointsLimitationType =
        static_cast<std::uint8_t>(std::max(0, cbbNumPointsLimitationType->GetItemIndex()));
    line->LineNumPointsMax = static_cast<std::int32_t>(edNumPointsMax->GetValue());
    if (!Sender || Sender == chkNumPointsLimitation) {
        cbbNumPointsLimitationType->SetEnabled(chkNumPointsLimitation->GetChecked());
        edNumPointsMax->SetEnabled(chkNumPointsLimitation->GetChecked());
    }
    Graph->LoadSeries(*line, true);
}

void TFGraphProp::CBColorChange(TObject*)
{
    TZelGraphLineProp* line = ValidSelLine();
    if (!line || Updating || !Graph) return;
    line->Column = SelectedText(CBData);
    line->LineColor = CBColor->GetColor();
    line->MarkerBorderColor = CBMarkerBorderColor->GetColor();
    line->MarkerSize = static_cast<std::uint8_t>(SEMarkerSize->AsInteger());
    line->LineThikness = static_cast<std::uint8_t>(SEThikness->AsInteger());
    const int spline = CBSpline->GetItemIndex();
    line->LineSplineOrder = static_cast<std::uint8_t>(spline <= 0 ? 0 : spline + 2);
    line->LineTypePoints = static_cast<std::uint8_t>(std::max(0, CBLinePoints->GetItemIndex()));
    line->LineJoinPoints = CBJoinPoints->GetChecked();
    Graph->ApplyLineStyle(*line, true);
}

void TFGraphProp::CBAutoscaleClick(TObject*)
{
    if (!ValidSelLine() || Updating || !Graph) return;
    TZelGraphAxisProp& axis = CurrentAxis();
    axis.AutoScale = CBAutoscale->GetChecked();
    axis.Min = static_cast<float>(SEAxisMin->GetValue());
    axis.Max = static_cast<float>(SEAxisMax->GetValue());
    Graph->ApplyAxisScale(AxisIndex(), true);
}

void TFGraphProp::SBAddLineClick(TObject*)
{
    // The X axis keeps its one line.
    if (!Graph || AxisIndex() == 0) return;
    const TZelGraphLineProp* selected = ValidSelLine();
    TZelGraphLineProp line = selected ? *selected : DefaultLineProp;
    line.Axis = AxisIndex();
    TZelGraphAxisProp& axis = CurrentAxis();
    axis.Lines.push_back(line);
    Graph->AddLine(axis.Lines.back());
    TCAxisChange(nullptr);
    LBLines->SetItemIndex(LBLines->Count() - 1);
    LBLinesClick(nullptr);
}

void TFGraphProp::SBDelLineClick(TObject*)
{
    const int index = LBLines->GetItemIndex();
    if (!Graph || index < 0 || AxisIndex() == 0) return;
    TZelGraphAxisProp& axis = CurrentAxis();
    if (index >= static_cast<int>(axis.Lines.size())) return;
    Graph->RemoveLine(axis.Lines[static_cast<size_t>(index)], true);
    axis.Lines.erase(axis.Lines.begin() + index);
    if (index == 0) Graph->UpdateAxisTitles();
    SelLine = nullptr;
    TCAxisChange(nullptr);
}

void TFGraphProp::EDTitleTextChange(TObject*)
{
    if (Updating || !Graph) return;
    TZelGraphProp& p = Graph->GraphProp;
    p.TitleText = EDTitleText->GetText();
    p.ColorBackground = CBBackground->GetColor();
    p.ColorAxis = CBAxis->GetColor();
    p.GridVisible = CBGridVisible->GetChecked();
    p.GridColor = CBGridColor->GetColor();
    p.LegendVisible = CBLegendVisible->GetChecked();
    p.HighlightAxisByLineColor = chkHighlightAxisByLineColor->GetChecked();
    Graph->ApplyGraphProp();
}

namespace {

TFontDescription Describe(const TFont& Font)
{
    const TFontStyles style = Font.GetStyle();
    return {Font.GetName(),
            Font.GetSize(),
            static_cast<std::uint32_t>(Font.GetColor()),
            style.Contains(fsBold),
            style.Contains(fsItalic),
            style.Contains(fsUnderline),
            style.Contains(fsStrikeOut)};
}

void TakeFont(TFont& Font, const TFontDescription& Chosen)
{
    Font.SetName(Chosen.Name);
    Font.SetSize(Chosen.Size);
    Font.SetColor(static_cast<TColor>(Chosen.Color));
    TFontStyles style;
    if (Chosen.Bold) style << fsBold;
    if (Chosen.Italic) style << fsItalic;
    if (Chosen.Underline) style << fsUnderline;
    if (Chosen.StrikeOut) style << fsStrikeOut;
    Font.SetStyle(style);
}

}  // namespace

void TFGraphProp::ChangeFont(TFont& Font)
{
    if (Updating || !Graph) return;
    const std::optional<TFontDescription> chosen = PromptForFont(Describe(Font));
    // The graph may have gone while the dialog was open.
    if (!chosen || !Graph) return;
    TakeFont(Font, *chosen);
    Graph->ApplyGraphProp();
}

void TFGraphProp::BBTitleFontClick(TObject*)
{
    if (Graph) ChangeFont(*Graph->GraphProp.TitleFont);
}

void TFGraphProp::BBLegendFontClick(TObject*)
{
    if (Graph) ChangeFont(*Graph->GraphProp.LegendFont);
}

void TFGraphProp::BBSetAsDefaultClick(TObject*)
{
    if (!Graph) return;
    const TZelGraphAxisProp& axis = CurrentAxis();
    DefaultAxisProp.AutoScale = axis.AutoScale;
    DefaultAxisProp.Min = axis.Min;
    DefaultAxisProp.Max = axis.Max;
    if (const TZelGraphLineProp* line = ValidSelLine()) {
        DefaultLineProp = *line;
        // The default is a look for lines of any graph; this graph's table is released
        // with the graph, and a later "Add line" elsewhere must not reach it.
        DefaultLineProp.Table = nullptr;
    }
    SaveDefaultLineProp();
}

void TFGraphProp::BBSetAsDefault2Click(TObject*)
{
    if (!Graph) return;
    DefaultGraphProp = Graph->GraphProp;
    SaveDefaultGraphProp();
}

void TFGraphProp::ApplyLanguage()
{
    // Items 2 to 4 name the axis tabs.
    auto axisTab = [this](int Tab) {
        return [this, Tab](const std::string& Text) { TCAxis->SetTabCaption(Tab, Text); };
    };
    ApplyNumberedCaptions(GraphPropSection, {CaptionOf(this),
                                             CaptionOf(TSAxis),
                                             axisTab(0),
                                             axisTab(1),
                                             axisTab(2),
                                             CaptionOf(GBAxis),
                                             CaptionOf(CBAutoscale),
                                             CaptionOf(LAxisMin),
                                             CaptionOf(LAxisMax),
                                             CaptionOf(GBLines),
                                             CaptionOf(GBSource),
                                             CaptionOf(LExperiment),
                                             CaptionOf(LData),
                                             CaptionOf(GBLineProp),
                                             CaptionOf(LColor),
                                             CaptionOf(LMarkerBorderColor),
                                             CaptionOf(LMarkerSize),
                                             CaptionOf(LThikness),
                                             CaptionOf(LFilter),
                                             CaptionOf(LSpline),
                                             CaptionOf(LLinePoints),
                                             CaptionOf(CBJoinPoints),
                                             CaptionOf(CBDeriv1stOrder),
                                             CaptionOf(BBSetAsDefault),
                                             CaptionOf(TSGraph),
                                             CaptionOf(GBTitle),
                                             CaptionOf(LTitleText),
                                             CaptionOf(LTitleFont),
                                             CaptionOf(GBColors),
                                             CaptionOf(LBackground),
                                             CaptionOf(LAxis),
                                             CaptionOf(GBGrid),
                                             CaptionOf(CBGridVisible),
                                             CaptionOf(LGridColor),
                                             CaptionOf(GBLegend),
                                             CaptionOf(CBLegendVisible),
                                             CaptionOf(LLegendFont),
                                             CaptionOf(BBSetAsDefault2),
                                             CaptionOf(chkNumPointsLimitation),
                                             CaptionOf(LNumPointsMax),
                                             CaptionOf(LNumPointsLimitationType)});
}
