#include "Clb_surface.h"

#include <stdexcept>
#include "Clbmath.h"

void TClbSurface::SetBarriers(IClbLineUnit* Barrier1, IClbLineUnit* Barrier2)
{
    if (!Barrier1) throw std::invalid_argument("Wrong barrier1 type");
    if (!Barrier2) throw std::invalid_argument("Wrong barrier2 type");
    barrier1 = Barrier1;
    barrier2 = Barrier2;
}

double TClbSurface::AreaToPosition(double Area)
{
    if (!barrier1) return 0;
    // With a trough width of 0 no travel changes the area (every position reads as
    // squareMax), so every area maps to the position of squareMax: physical position 0.
    const double travelCm = DivideOr(squareMax - Area, length, 0);
    // Both barriers share the travel; cm to mm.
    return barrier1->ShToHw(travelCm * 10 * 0.5);
}

double TClbSurface::PositionToArea(double Hw1, double Hw2)
{
    if (!barrier1 || !barrier2) return 0;
    return squareMax - (barrier1->HwToSh(Hw1) + barrier2->HwToSh(Hw2)) * 0.1 * length;
}

double TClbSurface::GetHwMinSum()
{
    return (barrier1 ? barrier1->GetHwMin() : 0) + (barrier2 ? barrier2->GetHwMin() : 0);
}

double TClbSurface::GetHwMaxSum()
{
    return (barrier1 ? barrier1->GetHwMax() : 0) + (barrier2 ? barrier2->GetHwMax() : 0);
}

void TClbSurface::Assign(const ICalibrateUnit* Source)
{
    const auto* source = dynamic_cast<const TClbSurface*>(Source);
    if (!source) return;
    length = source->length;
    squareMin = source->squareMin;
    squareMax = source->squareMax;
    barrier1 = source->barrier1;
    barrier2 = source->barrier2;
}

void TClbSurface::Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults)
{
    if (!Ini) return;
    if (Defaults) Assign(Defaults);
    ReadClbFloat(Ini, Section, name + ".length", length);
    ReadClbFloat(Ini, Section, name + ".squareMin", squareMin);
    ReadClbFloat(Ini, Section, name + ".squareMax", squareMax);
}

void TClbSurface::Save(TIniFile* Ini, const std::string& Section)
{
    if (!Ini) return;
    Ini->WriteFloat(Section, name + ".length", length);
    Ini->WriteFloat(Section, name + ".squareMin", squareMin);
    Ini->WriteFloat(Section, name + ".squareMax", squareMax);
}
