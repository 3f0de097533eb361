// The two turning platforms of the layer-by-layer accessory: the revolver (vessel
// platform) carries cells on up to ten concentric rings, the dipper rotator (dipper
// platform) swings the dipper over the Langmuir-Blodgett trough or over one ring. Both are
// gears whose physical unit is the degree.
#pragma once
#include "Clb_motor.h"

// A gear in degrees: one output revolution is 360 degrees; the physical range is always
// one turn.
class TTurningPlatform : public TClbStage<TGear, TTurningPlatform> {
    friend class TClbStage<TGear, TTurningPlatform>;

public:
    static constexpr int MaxRings = 10;

    double GetShMin() override { return 0; }
    void SetShMin(double) override {}
    double GetShMax() override { return 360; }
    void SetShMax(double) override {}
    double GetShRange() override { return 360; }
    void SetShRange(double) override {}

protected:
    double StageToBase(double Degrees) const { return Degrees * (1.0 / 360); }
    double StageFromBase(double Rev) const { return Rev * 360; }

    // ".countRings", held to 0 to MaxRings.
    int ReadCountRings(TIniFile* Ini, const std::string& Section, int Current) const;
    // The key of ring Ring's parameter: "<name>.ring<Ring>.<Parameter>".
    std::string RingKey(int Ring, const char* Parameter) const;
};

class TRevolver : public TTurningPlatform {
public:
    void Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults) override;
    // The ring layout is configuration that only the settings file sets, and the vessel
    // platform is only ever turned by relative moves, so nothing is written back.
    void Save(TIniFile*, const std::string&) override {}

    // Ring (1-based) of a cell, with the cell's 1-based place in that ring in *CellInRing;
    // 0 for no cell (0 or less), -1 beyond the last ring.
    int CellToRing(int Cell, int* CellInRing);
    // Degrees of the cell's place on its ring (the first cell of a ring stands at 0).
    int CellAngle(int Cell);
    // 1-based place in the ring of the cell nearest to Position; 0 for a ring that does
    // not exist.
    int AngleToCell(int Ring, int Position);
    int GetTotalCells() const { return totalCells; }

protected:
    int countRings = 0;
    int totalCells = 0;
    int countCells[MaxRings] = {};
    double cellAngle[MaxRings] = {};
};

class TDipperRotator : public TTurningPlatform {
public:
    void Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults) override;
    void Save(TIniFile* Ini, const std::string& Section) override;

    // Index 0 is the Langmuir-Blodgett position, 1 to countRings the rings; an index out
    // of range is held to that range.
    int GetRingPos(int Index) const;
    void SetRingPos(int Index, int Position);
    // First index whose stored position lies within positionThreshold steps; -1 for none.
    int FindRing(int Position) const;
    int GetCountRings() const { return countRings; }
    int GetPositionThreshold() const { return positionThreshold; }

protected:
    int ClampIndex(int Index) const;

    int countRings = 0;
    int ringPos[MaxRings + 1] = {};
    int positionThreshold = 0;
};
