// How a graph window shows its data: the records of one plotted line, one axis and the
// whole graph, the defaults every new graph window starts from, and the colours given to
// the series of a chart in turn.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/RxSpin.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/TabControl.h"

class ISXDataField;
class ITableSource;
class TFGraph;
namespace KVC {
class TKvColorButton;
}

// One plotted line: where its data come from, how it looks and how its points are prepared.
struct TZelGraphLineProp {
    TColor LineColor = 0x0000FF;          // pen of the line and fill of its markers
    TColor MarkerBorderColor = 0x0000FF;  // outline of the markers
    std::uint8_t MarkerSize = 7;
    std::uint8_t LineSplineOrder = 0;  // 0 straight segments, else the B-spline order
    std::uint8_t LineTypePoints = 0;   // marker shape (TKvTypePoints)
    std::uint8_t LineThikness = 1;     // pen width in pixels
    std::uint8_t LineFilter = 0;       // half-width of the Gaussian smoothing of Y
    bool LineJoinPoints = true;
    bool LineDeriv1stOrder = false;  // plot the first difference of Y
    bool LineNumPointsLimitation = true;
    std::int32_t Axis = 0;         // 0 bottom (X), 1 left, 2 right
    std::int32_t SeriesIndex = 0;  // the line's series in the chart; -1 without one
    std::int32_t LineNumPointsMax = 1000;
    std::uint8_t LineNumPointsLimitationType = 0;  // 0 decimation, else the most recent rows
    ISXDataField* Table = nullptr;                 // not owned: the graph window holds a use of it
    std::string Source;                            // the table's name as offered to the operator
    std::string Column;                            // full name of the plotted column
};

using TZelGraphLinePropVector = std::vector<TZelGraphLineProp>;

// One axis and its lines.
struct TZelGraphAxisProp {
    TZelGraphLinePropVector Lines;
    bool AutoScale = true;
    float Min = 0;
    float Max = 100;
};

// The look of one graph. Copies give the target's own fonts every attribute of the
// source's fonts.
struct TZelGraphProp {
    TZelGraphProp();
    TZelGraphProp(const TZelGraphProp& Other);
    TZelGraphProp& operator=(const TZelGraphProp& Other);
    ~TZelGraphProp();

    std::string TitleText;
    std::unique_ptr<TFont> TitleFont;
    TColor ColorBackground = 0xFFFFFF;
    TColor ColorAxis = 0;
    TColor GridColor = 0x808080;
    std::unique_ptr<TFont> LegendFont;
    bool GridVisible = true;
    bool LegendVisible = false;
    bool HighlightAxisByLineColor = true;
};

// The defaults of new graph windows (DefaultAxisProp.Lines always stays empty).
extern TZelGraphLineProp DefaultLineProp;
extern TZelGraphAxisProp DefaultAxisProp;
extern TZelGraphProp DefaultGraphProp;
// Whether the defaults were read from the settings file in this run.
extern bool GraphDefaultsLoaded;

// Colours given in turn to the series of a chart.
extern const std::array<TColor, 10> SeriesPalette;

// The settings section of the graph defaults.
inline constexpr const char* GraphPropSection = "GraphProp";

// Write the defaults to the settings file at once.
void SaveDefaultGraphProp();
void SaveDefaultLineProp();
// Read the defaults from the settings file; a missing or unreadable key keeps the value
// in memory.
void ReadDefaultGraphProp();
void ReadDefaultLineProp();

// The property dialog of one graph window: the scale of each axis, the lines of the left
// and right axes, the X column and the look of the whole graph. Every edit takes effect on
// the graph at once.
class TFGraphProp : public TForm {
public:
    TFGraphProp(TComponent* Owner, TFGraph* Graph);
    ~TFGraphProp() override;

    // Components.
    TPageControl* PageControl;
    TTabSheet *TSAxis, *TSGraph;
    TTabControl* TCAxis;
    TGroupBox *GBAxis, *GBLines, *GBSource, *GBLineProp;
    TCheckBox* CBAutoscale;
    TRxSpinEdit *SEAxisMin, *SEAxisMax;
    TListBox* LBLines;
    TSpeedButton *SBAddLine, *SBDelLine;
    TComboBox *CBExperiment, *CBData;
    KVC::TKvColorButton *CBColor, *CBMarkerBorderColor;
    TRxSpinEdit *SEMarkerSize, *SEThikness, *SEFilter;
    TComboBox *CBSpline, *CBLinePoints;
    TCheckBox *CBJoinPoints, *CBDeriv1stOrder, *chkNumPointsLimitation;
    TRxSpinEdit* edNumPointsMax;
    TComboBox* cbbNumPointsLimitationType;
    TBitBtn* BBSetAsDefault;
    TGroupBox *GBTitle, *GBColors, *GBGrid, *GBLegend;
    TEdit* EDTitleText;
    TBitBtn* BBTitleFont;
    KVC::TKvColorButton *CBBackground, *CBAxis, *CBGridColor;
    TCheckBox *chkHighlightAxisByLineColor, *CBGridVisible, *CBLegendVisible;
    TBitBtn* BBLegendFont;
    TBitBtn* BBSetAsDefault2;
    // Labels of the controls, in the order of the language items that name them.
    TLabel *LAxisMin, *LAxisMax, *LExperiment, *LData, *LColor, *LMarkerBorderColor, *LMarkerSize, *LThikness, *LFilter,
        *LSpline, *LLinePoints, *LNumPointsMax, *LNumPointsLimitationType, *LTitleText, *LTitleFont, *LBackground,
        *LAxis, *LGridColor, *LLegendFont;

    // Data members.
    TFGraph* Graph;
    TZelGraphLineProp* SelLine = nullptr;
    bool Updating = false;

    void FillDataSources();
    ISXDataField* ResolveSource(const std::string& Source);
    void ShowLine();
    void ShowAxis();
    void ApplyLanguage();

    // Handlers.
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormDestroy(TObject* Sender);
    void TCAxisChange(TObject* Sender);
    void LBLinesClick(TObject* Sender);
    void CBExperimentClick(TObject* Sender);
    void CBDataClick(TObject* Sender);
    void CBColorChange(TObject* Sender);
    void CBAutoscaleClick(TObject* Sender);
    void SBAddLineClick(TObject* Sender);
    void SBDelLineClick(TObject* Sender);
    void FormDeactivate(TObject* Sender);
    void BBTitleFontClick(TObject* Sender);
    void BBLegendFontClick(TObject* Sender);
    void BBSetAsDefaultClick(TObject* Sender);
    void BBSetAsDefault2Click(TObject* Sender);
    void EDTitleTextChange(TObject* Sender);

private:
    void BuildControls();
    void ShowLinePointPictures();
    void ChangeFont(TFont& Font);
    void WireEvents();
    // The tables offered beside the graph's own run: the experiment register's, while its
    // window is open.
    static ITableSource* TableSource();
    // The axis of the chosen tab.
    int AxisIndex() const;
    TZelGraphAxisProp& CurrentAxis() const;
    // SelLine while it still points at a line of the graph (lines move when an axis
    // grows or shrinks), else null.
    TZelGraphLineProp* ValidSelLine();
};
