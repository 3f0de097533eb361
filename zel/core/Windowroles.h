// The roles a tool window may have towards the rest of the program. A window derives
// from a role only when it has it; the main window and its neighbours reach it through
// FindRole<role>(kind).
#pragma once
#include "platform/ui/Controls.h"
#include "zel/core/Common.h"

// A window that runs a process of the instrument.
class IProcessWindow {
public:
    // The device's started and finished notices of the window's process.
    virtual void ProcessStarted(int /*Index*/) {}
    virtual void ProcessFinished(int /*Index*/) {}
    // The device link went down: a run under way in this window ends as failed, its data
    // saved.
    virtual void LinkLost() {}
    // The process kind went back to none from Kind, set so by whichever window's Stop or
    // finished notice: a window that runs Kind on its own side ends that run too.
    virtual void ProcessEnded(TProcessKind /*Kind*/) {}
    // Its START button (null when it has none), its run controls, its number of cycles
    // and whether it records the way back of each cycle.
    virtual TControl* StartButton() const { return nullptr; }
    virtual void EnableRun(bool /*Enable*/) {}
    virtual int NumCycles() const { return 0; }
    virtual bool RecordsBackward() const { return false; }

protected:
    ~IProcessWindow() = default;
};

// A window that shows the device's readings and refreshes them with each device state.
class IReadingsWindow {
public:
    virtual void RefreshIndicators() = 0;

protected:
    ~IReadingsWindow() = default;
};

// The experiment register: File Open enters a data set in it.
class IRegisterWindow {
public:
    virtual void RunRegisterInsert() = 0;

protected:
    ~IRegisterWindow() = default;
};

// The calibration window's automatic calibration, ended from its wait box.
class IAutoCalibration {
public:
    virtual void CancelAutoCalibration() = 0;

protected:
    ~IAutoCalibration() = default;
};

// A window holding the dipper's upper and lower level fields (millimetres), which the
// feedback and manual windows fill in when the operator takes a level from the dipper.
class IDipperLimitsWindow {
public:
    virtual void SetDipperUpLimit(double Mm) = 0;
    virtual void SetDipperDownLimit(double Mm) = 0;

protected:
    ~IDipperLimitsWindow() = default;
};

// The pump window, a second face of the layer-by-layer manual window's doser controls: it
// shows the doser move that window started (the move button with that tag goes down), its
// stop, and the injector preset picked there. Nothing of this runs a handler.
class IDoserMirror {
public:
    virtual void ShowDoserMove(int Tag) = 0;
    virtual void ReleaseDoserMoveButtons() = 0;
    virtual void SelectInjectorPreset(int Index) = 0;

protected:
    ~IDoserMirror() = default;
};

// The calibration window, which repeats the rotation buttons of the revolver and of the
// dipper rotator (shown down without running their handlers) and owns the doser balance's
// liquid level.
class IRotationMirror {
public:
    virtual void ShowRotation(bool Revolver, bool Clockwise) = 0;
    virtual void ReleaseRotationButtons(bool Revolver) = 0;
    virtual void TakeDoserBalanceBottomLevel() = 0;

protected:
    ~IRotationMirror() = default;
};
