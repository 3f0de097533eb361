// The motor family: every drive of the instrument is a stepper motor moved by step counts
// at a speed given as a 16-bit speed code. TMotor holds the motor; each derived class puts
// one mechanical stage in front of it. Every stage computes through the operations of the
// stage directly below it, named explicitly, so each stage's factor applies exactly once
// whichever class the caller holds.
#pragma once
#include "Clb_unit.h"

class TMotor : public TClbNamed<IClbLineUnit> {
public:
    TMotor() = default;
    virtual ~TMotor() = default;

    void Assign(const ICalibrateUnit*) override {}
    void Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults) override;
    void Save(TIniFile* Ini, const std::string& Section) override;
    void Recalc() override {}
    bool GetAutoRecalc() const override { return false; }
    void SetAutoRecalc(bool) override {}
    double ShToHw(double Sh) override;
    double HwToSh(double Hw) override;
    double ShToHwDelta(double Sh) override;
    double HwToShDelta(double Hw) override;
    double GetShMin() override;
    void SetShMin(double Value) override;
    double GetShMax() override;
    void SetShMax(double Value) override;
    double GetHwMin() override { return hwMin; }
    void SetHwMin(double Value) override { hwMin = Value; }
    double GetHwMax() override { return hwMax; }
    void SetHwMax(double Value) override { hwMax = Value; }
    double GetK() override { return 0; }
    double GetShRange() override;
    void SetShRange(double) override {}
    double GetHwRange() override { return hwMax - hwMin; }
    void SetHwRange(double) override {}

    // Motor revolutions (output revolutions from TGear on).
    virtual double GetRevMin();
    virtual double GetRevMax();
    virtual void SetRevMin(double Rev);
    virtual void SetRevMax(double Rev);
    virtual double StepsToRev(double Steps);
    virtual double RevToSteps(double Rev);
    virtual double RevToHw(double Rev);
    virtual double HwToRev(double Hw);
    virtual double GetMinRevPerMin();
    virtual double GetMaxRevPerMin();
    virtual double RevPerMinToCode(double RevPerMin);
    virtual double CodeToRevPerMin(double Code);
    virtual double GetMinRevPerSec();
    virtual double GetMaxRevPerSec();
    virtual double RevPerSecToCode(double RevPerSec);
    virtual double CodeToRevPerSec(double Code);
    // Speeds in the class's physical unit per minute.
    virtual double SpeedToCode(double Speed);
    virtual double CodeToSpeed(double Code);
    // Brings *Speed into the motor's speed range and onto the speed the device will really
    // run; true when it changed.
    virtual bool NormalizeSpeed(double* Speed);
    virtual double CodeToMotorRevPerMin(double Code);
    virtual double MotorRevPerMinToCode(double RevPerMin);
    virtual double CodeToMotorRevPerSec(double Code);
    virtual double MotorRevPerSecToCode(double RevPerSec);
    virtual double GetMinSpeed();
    virtual double GetMaxSpeed();
    virtual double GetMinSpeedCode();
    virtual double GetMaxSpeedCode();

    // Speed code of a rate in full steps per second, and back (an integer 0 to 65535).
    double StepsPerSecToCode(double StepsPerSec);
    double CodeToStepsPerSec(double Code);
    double GetNumStepsPerOborot() const { return numStepsPerOborot; }
    double GetUSteps() const { return uSteps; }
    int GetZeroHw() const;
    void SetZeroHw(int Steps);

protected:
    double Fclk = 22118400;
    double FclkDivide = 12;
    double numStepsPerOborot = 400;
    double uSteps = 16;
    double hwMin = 0;
    double hwMax = 2147483647;
    double minSpeed = 0.01;
    double maxSpeed = 2;
    double zeroHw = 0;
    bool old = true;
};

// One mechanical stage in front of Base. Self supplies ToBase (own physical value to
// the base's) and FromBase (back); every scaled operation converts once and calls Base's
// operation by name, never the virtual one, so the factor applies exactly once.
template <class Base, class Self>
class TClbStage : public Base {
public:
    double ShToHw(double Sh) override { return Base::ShToHw(ToBase(Sh)); }
    double HwToSh(double Hw) override { return FromBase(Base::HwToSh(Hw)); }
    double ShToHwDelta(double Sh) override { return Base::ShToHwDelta(ToBase(Sh)); }
    double HwToShDelta(double Hw) override { return FromBase(Base::HwToShDelta(Hw)); }
    double GetShMin() override { return FromBase(Base::GetShMin()); }
    void SetShMin(double Value) override { Base::SetShMin(ToBase(Value)); }
    double GetShMax() override { return FromBase(Base::GetShMax()); }
    void SetShMax(double Value) override { Base::SetShMax(ToBase(Value)); }
    double GetShRange() override { return FromBase(Base::GetShRange()); }
    void SetShRange(double Value) override { Base::SetShRange(ToBase(Value)); }
    double SpeedToCode(double Speed) override { return Base::SpeedToCode(ToBase(Speed)); }
    double CodeToSpeed(double Code) override { return FromBase(Base::CodeToSpeed(Code)); }
    bool NormalizeSpeed(double* Speed) override
    {
        if (!Speed) return false;
        *Speed = ToBase(*Speed);
        const bool changed = Base::NormalizeSpeed(Speed);
        *Speed = FromBase(*Speed);
        return changed;
    }
    double GetMinSpeed() override { return FromBase(Base::GetMinSpeed()); }
    double GetMaxSpeed() override { return FromBase(Base::GetMaxSpeed()); }

protected:
    double ToBase(double Value) const { return static_cast<const Self*>(this)->Self::StageToBase(Value); }
    double FromBase(double Value) const { return static_cast<const Self*>(this)->Self::StageFromBase(Value); }
};

// A gear after the motor: output revolutions = motor revolutions x gear. The gear also
// scales the revolution-level operations, so from here on "revolutions" are output
// revolutions.
class TGear : public TClbStage<TMotor, TGear> {
    friend class TClbStage<TMotor, TGear>;

public:
    void Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults) override;
    void Save(TIniFile* Ini, const std::string& Section) override;

    double GetRevMin() override;
    double GetRevMax() override;
    void SetRevMin(double Rev) override;
    void SetRevMax(double Rev) override;
    double StepsToRev(double Steps) override;
    double RevToSteps(double Rev) override;
    double RevToHw(double Rev) override;
    double HwToRev(double Hw) override;
    double GetMinRevPerMin() override;
    double GetMaxRevPerMin() override;
    double RevPerMinToCode(double RevPerMin) override;
    double CodeToRevPerMin(double Code) override;
    double GetMinRevPerSec() override;
    double GetMaxRevPerSec() override;
    double RevPerSecToCode(double RevPerSec) override;
    double CodeToRevPerSec(double Code) override;

    double GetGear() const { return gear; }

protected:
    double StageToBase(double Rev) const { return Rev / gear; }
    double StageFromBase(double MotorRev) const { return MotorRev * gear; }

    double gear = 1;
};

// A lead screw after the gear: mm = output revolutions x vintStep (mm per revolution).
class TLinearMotion : public TClbStage<TGear, TLinearMotion> {
    friend class TClbStage<TGear, TLinearMotion>;

public:
    void Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults) override;
    void Save(TIniFile* Ini, const std::string& Section) override;
    double GetVintStep() const { return vintStep; }

protected:
    double StageToBase(double Mm) const { return Mm / vintStep; }
    double StageFromBase(double Rev) const { return Rev * vintStep; }

    double vintStep = 1;
};

// A syringe on the lead screw: ml = mm x area / 1000, area in mm².
class TDoser : public TClbStage<TLinearMotion, TDoser> {
    friend class TClbStage<TLinearMotion, TDoser>;

public:
    void Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults) override;
    void Save(TIniFile* Ini, const std::string& Section) override;

    double GetSyringeArea() const;
    double GetSyringeDiameter() const { return syringeDiameter; }
    // 0 becomes the standard syringe's 15.4 mm.
    void SetSyringeDiameter(double Value);

protected:
    double StageToBase(double Ml) const { return Ml * 1000 / GetSyringeArea(); }
    double StageFromBase(double Mm) const { return Mm * GetSyringeArea() * 0.001; }

    double syringeDiameter = 15.4;
};

// A tape spindle after the gear: mm = output revolutions x spindle circumference.
class TTape : public TClbStage<TGear, TTape> {
    friend class TClbStage<TGear, TTape>;

public:
    void Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults) override;
    void Save(TIniFile* Ini, const std::string& Section) override;
    double GetSpindleDiameter() const { return spindleDiameter; }
    double GetSpindleCircumference() const;

protected:
    double StageToBase(double Mm) const { return Mm / GetSpindleCircumference(); }
    double StageFromBase(double Rev) const { return Rev * GetSpindleCircumference(); }

    double spindleDiameter = 25;
};

// A peristaltic pump head after the gear: ml = output revolutions x flowCoeff.
class TPeristalticPump : public TClbStage<TGear, TPeristalticPump> {
    friend class TClbStage<TGear, TPeristalticPump>;

public:
    void Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults) override;
    void Save(TIniFile* Ini, const std::string& Section) override;
    double GetFlowCoeff() const { return flowCoeff; }
    // 0 becomes 1 ml per revolution.
    void SetFlowCoeff(double Value);

protected:
    double StageToBase(double Ml) const { return Ml / flowCoeff; }
    double StageFromBase(double Rev) const { return Rev * flowCoeff; }

    double flowCoeff = 1;
};
