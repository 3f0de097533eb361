#include "Clb_revolver.h"

#include <algorithm>
#include <cstdint>
#include "Clbmath.h"

// ---- TTurningPlatform ----

int TTurningPlatform::ReadCountRings(TIniFile* Ini, const std::string& Section, int Current) const
{
    int count = Current;
    ReadClbInteger(Ini, Section, name + ".countRings", count);
    // A negative count means no rings; the ring tables hold at most MaxRings.
    return std::clamp(count, 0, MaxRings);
}

std::string TTurningPlatform::RingKey(int Ring, const char* Parameter) const
{
    return name + ".ring" + std::to_string(Ring) + "." + Parameter;
}

// ---- TRevolver ----

void TRevolver::Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults)
{
    if (!Ini) return;
    TGear::Load(Ini, Section, Defaults);
    totalCells = 0;
    countRings = ReadCountRings(Ini, Section, countRings);
    for (int ring = 1; ring <= countRings; ++ring) {
        int& cells = countCells[ring - 1];
        ReadClbInteger(Ini, Section, RingKey(ring, "countCells"), cells);
        // A negative count would make later cells fall onto earlier rings.
        cells = std::max(cells, 0);
        totalCells += cells;
    }
    for (int ring = 0; ring < MaxRings; ++ring) cellAngle[ring] = countCells[ring] < 1 ? 1 : 360.0 / countCells[ring];
}

int TRevolver::CellToRing(int Cell, int* CellInRing)
{
    // Cells are numbered from 1; there is no cell 0 or below.
    if (Cell <= 0) return 0;
    int rest = Cell;
    for (int ring = 0; ring < countRings; ++ring) {
        if (CellInRing) *CellInRing = rest;
        rest -= countCells[ring];
        if (rest <= 0) return ring + 1;
    }
    return -1;
}

int TRevolver::CellAngle(int Cell)
{
    int place = 0;
    const int ring = CellToRing(Cell, &place);
    if (ring <= 0) return 0;
    return DoubleToInt32((place - 1) * cellAngle[ring - 1]);
}

int TRevolver::AngleToCell(int Ring, int Position)
{
    if (Ring < 1 || Ring > countRings) return 0;
    const double position = static_cast<std::uint32_t>(Position);
    const std::int32_t place = DoubleToInt32(position / cellAngle[Ring - 1] + 1 + 0.5);
    return std::min(place, countCells[Ring - 1]);
}

// ---- TDipperRotator ----

void TDipperRotator::Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults)
{
    if (!Ini) return;
    TGear::Load(Ini, Section, Defaults);
    countRings = ReadCountRings(Ini, Section, countRings);
    for (int index = 0; index <= countRings; ++index)
        ReadClbInteger(Ini, Section, RingKey(index, "ringPos"), ringPos[index]);
    // The threshold is configured in degrees of the platform and kept in steps.
    double thresholdDegrees = 5;
    ReadClbFloat(Ini, Section, name + ".positionThreshold", thresholdDegrees);
    positionThreshold = DoubleToInt32(TDipperRotator::ShToHwDelta(thresholdDegrees));
}

void TDipperRotator::Save(TIniFile* Ini, const std::string& Section)
{
    if (!Ini) return;
    for (int index = 0; index <= countRings; ++index)
        Ini->WriteInteger(Section, RingKey(index, "ringPos"), ringPos[index]);
    TGear::Save(Ini, Section);
}

int TDipperRotator::ClampIndex(int Index) const { return std::clamp(Index, 0, countRings); }

int TDipperRotator::GetRingPos(int Index) const { return ringPos[ClampIndex(Index)]; }

void TDipperRotator::SetRingPos(int Index, int Position) { ringPos[ClampIndex(Index)] = Position; }

int TDipperRotator::FindRing(int Position) const
{
    for (int index = 0; index <= countRings; ++index) {
        const std::int64_t distance = std::int64_t{Position} - ringPos[index];
        if ((distance < 0 ? -distance : distance) <= positionThreshold) return index;
    }
    return -1;
}
