// Calibration units loaded the way the program loads them: from a settings file on disk.
#pragma once
#include <string>

#include "TestSupport.h"
#include "platform/base/IniFiles.h"
#include "zel/core/Clb_motor.h"

// Loads Unit under Name from a settings file holding Keys in section "CalibrateParam".
inline void LoadUnit(TMotor& Unit, const std::string& Name, const std::string& Keys)
{
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    WriteFileText(file, "[CalibrateParam]\n" + Keys);
    TIniFile ini(file);
    Unit.SetName(Name);
    Unit.Load(&ini, "CalibrateParam", nullptr);
}
