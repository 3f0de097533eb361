// The accessory windows as the program meets them: the process fixture with a balance
// and a doser balance of known lines, the notices posted by the recording link and routed
// by the main window, and the parameter lines of a START.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/trough/ProcessTestSupport.h"

class TAccessoryFixture : public TProcessFixture {
protected:
    void TearDown() override
    {
        TProcessFixture::TearDown();
        FSavedDoserBalance.SetTo(CalibrateParam.doserBallance);
        CalibrateParam.doser.SetSyringeDiameter(FSavedSyringe);
    }
    // The balance reads 80 mN/m less 0.01 mN/m per count (0..8000 counts); the doser
    // balance 40 mN/m less 0.01 mN/m per count (0..4000 counts).
    void StartAccessories(const std::string& MoreIni = "")
    {
        StartProgram(MoreIni);
        SetBalances(0, 80, 0, 8000, 0, 40, 0, 4000);
    }
    static void SetBalances(double ShMin, double ShMax, double HwMin, double HwMax, double DoserShMin,
                            double DoserShMax, double DoserHwMin, double DoserHwMax)
    {
        SetBalance(ShMin, ShMax, HwMin, HwMax);
        TBalanceLine{DoserShMin, DoserShMax, DoserHwMin, DoserHwMax}.SetTo(CalibrateParam.doserBallance);
    }
    // Writes "Key=Value" lines into a section of zel.ini.
    static void WriteSection(const std::string& Section, const std::vector<std::string>& Lines)
    {
        for (const std::string& line : Lines) {
            const auto eq = line.find('=');
            IniFile->WriteString(Section, line.substr(0, eq), line.substr(eq + 1));
        }
    }
    void Notify(THlNotifyCode Code, LPARAM Payload = 0)
    {
        ASSERT_TRUE(Link()->PostNotify(Code, Payload));
        Application->ProcessMessages();
    }
    template <class TRecord>
    void Point(THlNotifyCode Code, TRecord Record)
    {
        Notify(Code, reinterpret_cast<LPARAM>(&Record));
    }
    // The lines a START sent, from its first parameter on (the device information asked
    // for the record comes first).
    std::vector<std::string> StartLines(const std::string& FirstWord) const
    {
        std::vector<std::string> lines = Link()->Lines();
        while (!lines.empty() && lines.front().rfind(FirstWord, 0) != 0) lines.erase(lines.begin());
        return lines;
    }
    static std::vector<std::string> TableNames(ISXDataSet* Set)
    {
        TStringList names;
        Set->GetFieldNames(ZelTableCategory, &names);
        return names.Lines();
    }

    TBalanceLine FSavedDoserBalance = TBalanceLine::Of(CalibrateParam.doserBallance);
    double FSavedSyringe = CalibrateParam.doser.GetSyringeDiameter();
};
