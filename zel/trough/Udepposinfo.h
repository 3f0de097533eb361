// TFDepPosInfo: the dipper position window that accompanies a running deposition with three
// narrow vertical bars: how deep the substrate stands between the two dipper levels, how
// many strokes are done, and how much trough area is left before the barriers reach their
// limit. It only draws; the deposition window feeds it.
#pragma once
#include <functional>
#include <string>
#include "kvc/KvBufferedImage.h"
#include "zel/core/Toolwindow.h"

// What one bar shows: the split height between its lower and upper colour, and its caption.
struct TDepBar {
    double Fraction = 0;
    int Split = 0;
    TColor Lower = clBlack;
    TColor Upper = clBlack;
    std::string Caption;
};

class TFDepPosInfo : public TToolWindow {
public:
    explicit TFDepPosInfo(TComponent* Owner);
    ~TFDepPosInfo() override;

    KVC::TKvBufferedImage *imgDipPos, *imgStepPos, *imgWorkArea;

    int DipUpPos = 0;     // raw steps
    int DipDownPos = 0;   // raw steps
    int DipPos = 0;       // raw steps
    int LayerCount = 0;   // strokes of the run
    int LayerDone = 0;    // index of the running stroke
    double WorkArea = 0;  // cm²

    // The trough area reserve (cm²) kept above the calibrated least area; the deposition
    // window, which keeps it, sets this reader while it exists. Without it the reserve is 0.
    std::function<int()> WarningDeltaSquareSource;

    // Which 0, 1, 2: the upper level, the lower level, the present position; other values
    // store nothing. The bar is redrawn at once.
    void SetDipPos(int Which, int Value);
    // Which 0: the strokes of the run (the done count starts again at 0); 1: the running
    // stroke's index.
    void SetLayerStep(int Which, int Value);
    void SetWorkArea(double Area);

    // What each bar shows for the present values.
    TDepBar DipBar() const;
    TDepBar StepBar() const;
    TDepBar WorkAreaBar() const;

    void imgDipPosDrawBuffer(TObject* Sender, TCanvas* Canvas);
    void imgStepPosDrawBuffer(TObject* Sender, TCanvas* Canvas);
    void imgWorkAreaDrawBuffer(TObject* Sender, TCanvas* Canvas);
};

extern TFDepPosInfo* FDepPosInfo;
