// The instrument model: one calibration module with the twenty named units of the
// instrument, kept in section "CalibrateParam" of the settings file, and its global
// instance CalibrateParam through which every window converts values.
#pragma once
#include <string>
#include "Clb_motor.h"
#include "Clb_revolver.h"
#include "Clb_surface.h"
#include "Clb_unit.h"

class TCalibrateParam : public TClbModule {
public:
    TCalibrateParam();
    // Saves the calibration to fileName when it was loaded from there and not yet saved
    // at exit; the global instance has done this already when the application went.
    ~TCalibrateParam();

    // Loads every unit and the three extra settings from fileName.
    void LoadFromFile();
    // Writes every unit to fileName ("Store calibrate").
    void SaveToFile();
    // The save at exit: once, and only after a load, so that a run that never read the
    // calibration cannot write defaults over it.
    void SaveAtExit();

    std::string fileName;
    int InputFlowMinInterval = 100;  // ms
    int InputFlowInterval = 300;     // ms
    double FBSensetivityK = 1.0;

    TClbBallance ballance;
    TLinearMotion barrier1;
    TLinearMotion barrier2;
    TLinearMotion dipper;
    TClbTemperature tempAir;
    TClbTemperature tempWater;
    TRevolver revolver;
    TDipperRotator dipperRotator;
    TClbLineUnit rotationSpeed;
    TDoser doser;
    TDoser doser2;
    TClbBallance doserBallance;
    TTape tape;
    TGear rotatingBarrier;
    TClbSimpleLineUnit ADCPlate;
    TClbSimpleLineUnit doserADCPlate;
    TClbSurface surface;
    TGear diskDipper;
    TGear cylDipper;
    TPeristalticPump perilstaticPump;

private:
    bool exitSavePending = false;
};

extern TCalibrateParam CalibrateParam;
