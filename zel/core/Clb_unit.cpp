#include "Clb_unit.h"

#include <algorithm>
#include <cmath>
#include "Clbmath.h"
#include "zel/core/Common.h"

namespace {

// The list that notes bad keys while a module loads; null outside a load.
std::vector<std::string>* BadKeyList = nullptr;

void NoteBadKey(const std::string& Section, const std::string& Key)
{
    if (BadKeyList) BadKeyList->push_back(Section + "/" + Key);
}

}  // namespace

TClbBadKeyScope::TClbBadKeyScope(std::vector<std::string>& List) : FPrevious(BadKeyList) { BadKeyList = &List; }

TClbBadKeyScope::~TClbBadKeyScope() { BadKeyList = FPrevious; }

bool ReadClbFloat(TIniFile* Ini, const std::string& Section, const std::string& Key, double& Value)
{
    const std::string text = Ini->ReadString(Section, Key, "");
    if (text.empty()) return false;
    // One bad key is treated as missing, for that key alone: the rest of the calibration
    // still loads, and the stored values of the other units are never replaced by defaults.
    const std::optional<double> parsed = ParseIniFloat(text);
    if (!parsed) {
        NoteBadKey(Section, Key);
        return false;
    }
    Value = *parsed;
    return true;
}

bool ReadClbInteger(TIniFile* Ini, const std::string& Section, const std::string& Key, int& Value)
{
    const std::string text = Ini->ReadString(Section, Key, "");
    if (text.empty()) return false;
    const std::optional<int> parsed = ParseIniInteger(text);
    if (!parsed) {
        NoteBadKey(Section, Key);
        return false;
    }
    Value = *parsed;
    return true;
}

// ---- line unit ----

TClbLineUnit::TClbLineUnit(double ShMin, double ShMax, double HwMin, double HwMax)
    : autoRecalc(true), shMin(ShMin), shMax(ShMax), hwMin(HwMin), hwMax(HwMax)
{
    Recalc();
}

void TClbLineUnit::Assign(const ICalibrateUnit* Source)
{
    const auto* source = dynamic_cast<const TClbLineUnit*>(Source);
    if (!source) return;
    autoRecalc = source->autoRecalc;
    shMin = source->shMin;
    shMax = source->shMax;
    hwMin = source->hwMin;
    hwMax = source->hwMax;
    k = source->k;
}

void TClbLineUnit::Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults)
{
    if (!Ini) return;
    if (Defaults) Assign(Defaults);
    ReadClbFloat(Ini, Section, name + ".shMin", shMin);
    ReadClbFloat(Ini, Section, name + ".shMax", shMax);
    ReadClbFloat(Ini, Section, name + ".hwMin", hwMin);
    ReadClbFloat(Ini, Section, name + ".hwMax", hwMax);
    Recalc();
}

void TClbLineUnit::Save(TIniFile* Ini, const std::string& Section)
{
    if (!Ini) return;
    Ini->WriteFloat(Section, name + ".shMin", shMin);
    Ini->WriteFloat(Section, name + ".shMax", shMax);
    Ini->WriteFloat(Section, name + ".hwMin", hwMin);
    Ini->WriteFloat(Section, name + ".hwMax", hwMax);
}

void TClbLineUnit::Recalc()
{
    // The ranges come through the object so that a derived unit's own ranges apply. A zero
    // device range keeps the slope it had; a zero physical range would make every reading
    // the same value, so it falls back to the identity slope.
    k = DivideOr(GetShRange(), GetHwRange(), k);
    if (k == 0 || std::isnan(k)) k = 1;
}

void TClbLineUnit::RecalcIfAuto()
{
    if (autoRecalc) Recalc();
}

double TClbLineUnit::ShToHw(double Sh) { return (Sh - shMin) / k + hwMin; }

double TClbLineUnit::HwToSh(double Hw) { return (Hw - hwMin) * k + shMin; }

double TClbLineUnit::ShToHwDelta(double Sh) { return DivideOr(Sh, k, 0); }

double TClbLineUnit::HwToShDelta(double Hw) { return Hw * k; }

void TClbLineUnit::SetShMin(double Value) { Update(shMin, Value); }

void TClbLineUnit::SetShMax(double Value) { Update(shMax, Value); }

void TClbLineUnit::SetHwMin(double Value) { Update(hwMin, Value); }

void TClbLineUnit::SetHwMax(double Value) { Update(hwMax, Value); }

void TClbLineUnit::SetShRange(double Value) { Update(shMax, shMin + Value); }

void TClbLineUnit::SetHwRange(double Value) { Update(hwMax, hwMin + Value); }

// ---- simple line unit ----

void TClbSimpleLineUnit::Assign(const ICalibrateUnit* Source)
{
    const auto* source = dynamic_cast<const TClbSimpleLineUnit*>(Source);
    if (!source) return;
    autoRecalc = source->autoRecalc;
    k = source->k;
}

void TClbSimpleLineUnit::Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults)
{
    if (!Ini) return;
    if (Defaults) Assign(Defaults);
    ReadClbFloat(Ini, Section, name + ".k", k);
}

void TClbSimpleLineUnit::Save(TIniFile* Ini, const std::string& Section)
{
    if (!Ini) return;
    Ini->WriteFloat(Section, name + ".k", k);
}

double TClbSimpleLineUnit::ShToHw(double Sh) { return DivideOr(Sh, k, 0); }

double TClbSimpleLineUnit::HwToSh(double Hw) { return Hw * k; }

// ---- balance ----

double TClbBallance::SPToHw(double Pressure) { return ShToHw(shMax - Pressure); }

double TClbBallance::HwToSP(double Hw, bool LimitDecimals)
{
    double pressure = shMax - HwToSh(Hw);
    if (LimitDecimals) {
        double scale = 1;
        for (unsigned i = 0; i < AppSettings.ADCDataAccuracy; ++i) scale *= 10;
        // Half a unit is added before the cut toward zero, so negative pressures round
        // differently from positive ones; shown values have always been rounded this way.
        pressure = DoubleToInt32(pressure * scale + 0.5) / scale;
    }
    return pressure;
}

TClbCoeff TClbBallance::GetDeviceRecord()
{
    return TClbCoeff{
        static_cast<std::uint32_t>(DoubleToInt32(hwMin)),
        static_cast<std::uint32_t>(DoubleToInt32(shMin * 10 + 0.5)),
        static_cast<std::uint32_t>(DoubleToInt32(hwMax)),
        static_cast<std::uint32_t>(DoubleToInt32(shMax * 10 + 0.5)),
    };
}

void TClbBallance::SetFromDeviceRecord(std::uint32_t HwMin, std::uint32_t ShMin10, std::uint32_t HwMax,
                                       std::uint32_t ShMax10)
{
    hwMin = HwMin;
    shMin = ShMin10 * 0.1;
    hwMax = HwMax;
    shMax = ShMax10 * 0.1;
    Recalc();
}

// ---- temperature ----

double TClbTemperature::ShToHw(double Degrees) { return (10 * Degrees - shMin) / k + hwMin; }

double TClbTemperature::HwToSh(double Hw) { return ((Hw - hwMin) * k + shMin) * 0.1; }

double TClbTemperature::ShToHwDelta(double Degrees) { return DivideOr(10 * Degrees, k, 0); }

double TClbTemperature::HwToShDelta(double Hw) { return Hw * k * 0.1; }

// ---- module ----

void TClbModule::Load(const std::string& FileName)
{
    badKeys.clear();
    TClbBadKeyScope scope(badKeys);
    TIniFile ini(FileName);
    for (ICalibrateUnit* unit : units) unit->Load(&ini, section, &defaultUnit);
}

void TClbModule::Save(const std::string& FileName)
{
    TIniFile ini(FileName);
    for (ICalibrateUnit* unit : units) unit->Save(&ini, section);
}

void TClbModule::RegisterUnit(ICalibrateUnit* Unit)
{
    if (Unit) units.push_back(Unit);
}

void TClbModule::UnregisterUnit(ICalibrateUnit* Unit)
{
    if (!Unit) return;
    const auto found = std::find(units.begin(), units.end(), Unit);
    if (found != units.end()) units.erase(found);
}
