#include "Calibrateparam.h"

#include "platform/ui/ShutdownRoutines.h"

TCalibrateParam CalibrateParam;

namespace {

// The global calibration is destroyed with the program's other statics, after the
// platform is gone; it saves itself while the application object goes instead.
void SaveGlobalCalibrationAtShutdown() { CalibrateParam.SaveAtExit(); }

}  // namespace

TCalibrateParam::TCalibrateParam()
{
    section = "CalibrateParam";
    const std::pair<const char*, ICalibrateUnit*> named[] = {
        {"ballance", &ballance},
        {"barrier1", &barrier1},
        {"barrier2", &barrier2},
        {"dipper", &dipper},
        {"tempAir", &tempAir},
        {"tempWater", &tempWater},
        {"revolver", &revolver},
        {"dipperRotator", &dipperRotator},
        {"rotationSpeed", &rotationSpeed},
        {"doser", &doser},
        {"doser2", &doser2},
        {"doserBallance", &doserBallance},
        {"tape", &tape},
        {"rotatingBarrier", &rotatingBarrier},
        {"ADCPlate", &ADCPlate},
        {"doserADCPlate", &doserADCPlate},
        {"surface", &surface},
        {"diskDipper", &diskDipper},
        {"cylDipper", &cylDipper},
        {"perilstaticPump", &perilstaticPump},
    };
    for (const auto& [unitName, unit] : named) {
        unit->SetName(unitName);
        RegisterUnit(unit);
    }
    surface.SetBarriers(&barrier1, &barrier2);
}

TCalibrateParam::~TCalibrateParam()
{
    // At static destruction the platform may already be gone: the global instance never
    // writes from here (its save ran at shutdown, or the program ended abnormally).
    if (this == &CalibrateParam) return;
    SaveAtExit();
}

void TCalibrateParam::LoadFromFile()
{
    TClbModule::Load(fileName);
    TClbBadKeyScope scope(badKeys);
    TIniFile ini(fileName);
    ReadClbInteger(&ini, section, "InputFlowMinInterval", InputFlowMinInterval);
    ReadClbInteger(&ini, section, "InputFlowInterval", InputFlowInterval);
    ReadClbFloat(&ini, section, "FBSensetivityK", FBSensetivityK);
    exitSavePending = true;
    if (this == &CalibrateParam) AddShutdownRoutine(SaveGlobalCalibrationAtShutdown);
}

void TCalibrateParam::SaveToFile() { TClbModule::Save(fileName); }

void TCalibrateParam::SaveAtExit()
{
    if (!exitSavePending) return;
    exitSavePending = false;
    if (!fileName.empty()) TClbModule::Save(fileName);
}
