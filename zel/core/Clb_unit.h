// The calibration model's interfaces, the calibration module and the single-line units.
// "sh" is the physical value the operator sees, "hw" the device value (ADC reading or
// motor steps). Every unit keeps its keys, "<unit name>.<parameter>", in its module's
// section of the settings file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "platform/base/IniFiles.h"

// One calibrated quantity.
class ICalibrateUnit {
public:
    virtual void Assign(const ICalibrateUnit* Source) = 0;
    virtual void Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults) = 0;
    virtual void Save(TIniFile* Ini, const std::string& Section) = 0;
    virtual void Recalc() = 0;
    virtual bool GetAutoRecalc() const = 0;
    virtual void SetAutoRecalc(bool Value) = 0;
    virtual std::string GetName() const = 0;
    virtual void SetName(const std::string& Value) = 0;
    virtual double ShToHw(double Sh) = 0;
    virtual double HwToSh(double Hw) = 0;
    virtual double ShToHwDelta(double Sh) = 0;
    virtual double HwToShDelta(double Hw) = 0;

protected:
    ~ICalibrateUnit() = default;
};

class IClbLineUnit : public ICalibrateUnit {
public:
    virtual double GetShMin() = 0;
    virtual void SetShMin(double Value) = 0;
    virtual double GetShMax() = 0;
    virtual void SetShMax(double Value) = 0;
    virtual double GetHwMin() = 0;
    virtual void SetHwMin(double Value) = 0;
    virtual double GetHwMax() = 0;
    virtual void SetHwMax(double Value) = 0;
    virtual double GetK() = 0;
    virtual double GetShRange() = 0;
    virtual void SetShRange(double Value) = 0;
    virtual double GetHwRange() = 0;
    virtual void SetHwRange(double Value) = 0;

protected:
    ~IClbLineUnit() = default;
};

class IClbSimpleLineUnit : public ICalibrateUnit {
public:
    virtual double GetK() = 0;
    virtual void SetK(double Value) = 0;

protected:
    ~IClbSimpleLineUnit() = default;
};

class IClbModule {
public:
    virtual void Load(const std::string& FileName) = 0;
    virtual void Save(const std::string& FileName) = 0;
    virtual void RegisterUnit(ICalibrateUnit* Unit) = 0;
    virtual void UnregisterUnit(ICalibrateUnit* Unit) = 0;

protected:
    ~IClbModule() = default;
};

// Reads a float key written with "." or ",". An empty or missing key leaves Value as it
// is; so does a text that is not a finite number, which is also noted as a bad key of
// the module load in progress. True when Value was read.
bool ReadClbFloat(TIniFile* Ini, const std::string& Section, const std::string& Key, double& Value);
// The same for an integer key (decimal, or hexadecimal with "$" or "0x").
bool ReadClbInteger(TIniFile* Ini, const std::string& Section, const std::string& Key, int& Value);

// The name every unit keeps (the prefix of its settings keys), for any of the unit
// interfaces.
template <class TInterface>
class TClbNamed : public TInterface {
public:
    std::string GetName() const override { return name; }
    void SetName(const std::string& Value) override { name = Value; }

protected:
    std::string name;
};

// A straight line through two calibration points; k is physical units per device count.
class TClbLineUnit : public TClbNamed<IClbLineUnit> {
public:
    TClbLineUnit() = default;
    TClbLineUnit(double ShMin, double ShMax, double HwMin, double HwMax);

    void Assign(const ICalibrateUnit* Source) override;
    void Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults) override;
    void Save(TIniFile* Ini, const std::string& Section) override;
    void Recalc() override;
    bool GetAutoRecalc() const override { return autoRecalc; }
    void SetAutoRecalc(bool Value) override { autoRecalc = Value; }
    double ShToHw(double Sh) override;
    double HwToSh(double Hw) override;
    double ShToHwDelta(double Sh) override;
    double HwToShDelta(double Hw) override;

    double GetShMin() override { return shMin; }
    void SetShMin(double Value) override;
    double GetShMax() override { return shMax; }
    void SetShMax(double Value) override;
    double GetHwMin() override { return hwMin; }
    void SetHwMin(double Value) override;
    double GetHwMax() override { return hwMax; }
    void SetHwMax(double Value) override;
    double GetK() override { return k; }
    double GetShRange() override { return shMax - shMin; }
    void SetShRange(double Value) override;
    double GetHwRange() override { return hwMax - hwMin; }
    void SetHwRange(double Value) override;

protected:
    void RecalcIfAuto();
    // A range end changed: the slope follows when it recalculates on its own.
    void Update(double& Field, double Value)
    {
        Field = Value;
        RecalcIfAuto();
    }

    bool autoRecalc = true;
    double shMin = 0;
    double shMax = 100;
    double hwMin = 0;
    double hwMax = 100;
    double k = 1;
};

// A proportional factor: hw = sh / k.
class TClbSimpleLineUnit : public TClbNamed<IClbSimpleLineUnit> {
public:
    void Assign(const ICalibrateUnit* Source) override;
    void Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults) override;
    void Save(TIniFile* Ini, const std::string& Section) override;
    void Recalc() override {}
    bool GetAutoRecalc() const override { return autoRecalc; }
    void SetAutoRecalc(bool Value) override { autoRecalc = Value; }
    double ShToHw(double Sh) override;
    double HwToSh(double Hw) override;
    double ShToHwDelta(double Sh) override { return ShToHw(Sh); }
    double HwToShDelta(double Hw) override { return HwToSh(Hw); }
    double GetK() override { return k; }
    void SetK(double Value) override { k = Value; }

protected:
    bool autoRecalc = true;
    double k = 1;
};

// The balance calibration as the instrument stores it ("CLBCoeff="): device readings and
// tensions in tenths of mN/m at both ends of the line.
struct TClbCoeff {
    std::uint32_t hwMin;
    std::uint32_t shMin;
    std::uint32_t hwMax;
    std::uint32_t shMax;
};
static_assert(sizeof(TClbCoeff) == 16);

// A surface balance: the line runs in surface tension (mN/m) over the balance reading;
// surface pressure is shMax minus the tension.
class TClbBallance : public TClbLineUnit {
public:
    using TClbLineUnit::TClbLineUnit;

    double SPToHw(double Pressure);
    // With LimitDecimals the pressure is rounded to AppSettings.ADCDataAccuracy decimals.
    double HwToSP(double Hw, bool LimitDecimals);
    TClbCoeff GetDeviceRecord();
    void SetFromDeviceRecord(std::uint32_t HwMin, std::uint32_t ShMin10, std::uint32_t HwMax, std::uint32_t ShMax10);
};

// A temperature sensor whose line runs in tenths of a degree; conversions take degrees.
class TClbTemperature : public TClbLineUnit {
public:
    using TClbLineUnit::TClbLineUnit;

    double ShToHw(double Degrees) override;
    double HwToSh(double Hw) override;
    double ShToHwDelta(double Degrees) override;
    double HwToShDelta(double Hw) override;
};

using TClbUnits = std::vector<ICalibrateUnit*>;

// A list of units loaded and saved together in one section. The module does not own
// its units.
class TClbModule : public IClbModule {
public:
    TClbModule() = default;
    TClbModule(const TClbModule&) = delete;
    TClbModule& operator=(const TClbModule&) = delete;

    void Load(const std::string& FileName) override;
    void Save(const std::string& FileName) override;
    void RegisterUnit(ICalibrateUnit* Unit) override;
    void UnregisterUnit(ICalibrateUnit* Unit) override;

    const TClbUnits& Units() const { return units; }
    const std::string& Section() const { return section; }
    // Keys whose text was not a number at the last Load; each kept its previous value.
    const std::vector<std::string>& BadKeys() const { return badKeys; }

protected:
    TClbUnits units;
    TClbLineUnit defaultUnit{0, 65535, 0, 65535};
    std::string section = "Calibrate";
    std::vector<std::string> badKeys;
};

// Notes the bad keys of the reads made while it lives into List (GUI thread only).
class TClbBadKeyScope {
public:
    explicit TClbBadKeyScope(std::vector<std::string>& List);
    ~TClbBadKeyScope();
    TClbBadKeyScope(const TClbBadKeyScope&) = delete;
    TClbBadKeyScope& operator=(const TClbBadKeyScope&) = delete;

private:
    std::vector<std::string>* FPrevious;
};
