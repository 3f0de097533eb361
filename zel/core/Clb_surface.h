// The trough area: turns an area into barrier positions and back through the two barrier
// drive units, which it uses but does not own.
#pragma once
#include "Clb_unit.h"

class TClbSurface : public TClbNamed<ICalibrateUnit> {
public:
    // Throws std::invalid_argument when either barrier is missing.
    void SetBarriers(IClbLineUnit* Barrier1, IClbLineUnit* Barrier2);

    // Device position of barrier 1 that gives Area when both barriers have travelled the
    // same distance from physical position 0.
    double AreaToPosition(double Area);
    double PositionToArea(double Hw1, double Hw2);
    double GetSquareMin() const { return squareMin; }
    double GetSquareMax() const { return squareMax; }
    void SetSquareMin(double Value) { squareMin = Value; }
    void SetSquareMax(double Value) { squareMax = Value; }
    double GetHwMinSum();
    double GetHwMaxSum();
    double GetLength() const { return length; }

    void Assign(const ICalibrateUnit* Source) override;
    void Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults) override;
    void Save(TIniFile* Ini, const std::string& Section) override;
    void Recalc() override {}
    bool GetAutoRecalc() const override { return true; }
    void SetAutoRecalc(bool) override {}
    double ShToHw(double Area) override { return AreaToPosition(Area); }
    double HwToSh(double Hw) override { return PositionToArea(Hw, 0); }
    double ShToHwDelta(double Area) override { return ShToHw(Area); }
    double HwToShDelta(double Hw) override { return HwToSh(Hw); }

protected:
    double length = 1;       // cm² of area per cm of barrier travel
    double squareMin = 0;    // cm²
    double squareMax = 100;  // cm² with both barriers at physical position 0
    IClbLineUnit* barrier1 = nullptr;
    IClbLineUnit* barrier2 = nullptr;
};
