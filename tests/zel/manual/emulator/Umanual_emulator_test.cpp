// End to end: the manual window's Close and Open and the calibration window's "Get
// calibrate from device" go through the real link module to the instrument emulator (the
// demonstration trough, sped up); the barriers move the way the buttons say, the area in
// the status bar follows them, and the device's stored calibration changes no reading.
#include "zel/core/EmulatorProgramFixture.h"
#include <cstdlib>
#include <functional>
#include "zel/core/Calibrateparam.h"
#include "zel/manual/Ucalibratedevice.h"
#include "zel/manual/Umanualcontrol.h"

namespace {

class TLinkedManual : public TEmulatorProgramFixture {
protected:
    void Open()
    {
        ASSERT_NO_FATAL_FAILURE(StartLinked({"--info-ms", "50"}, "DeviceType=ZEL\n", DemoTroughSettings()));
        AppSettings.UpdateStatusInterval = 50;
    }
    // The manual window with both barriers at full speed (2 mm/s).
    TFManualCtrl* Manual()
    {
        auto* window = CreateForm<TFManualCtrl>(nullptr);
        window->SetBarrier1Speed(800);
        window->SetBarrier2Speed(800);
        return window;
    }
    // The status bar's area panel ("Square: 240.0 cm2"), as a number.
    double ShownArea() const
    {
        const std::string text = Main->StatusBar->Panels(3)->GetText();
        return text.rfind("Square: ", 0) == 0 ? std::atof(text.c_str() + 8) : -1;
    }
    bool WaitFor(const std::function<bool()>& Done) { return Application->ProcessMessagesUntil(Done, ConditionWaitMs); }
};

TEST_F(TLinkedManual, CloseAndOpenMoveBothBarriersAndTheAreaFollows)
{
    Open();
    TFManualCtrl* window = Manual();
    ASSERT_TRUE(WaitFor([&] { return ShownArea() == 240; })) << Main->StatusBar->Panels(3)->GetText();
    // Close: both barriers move in, the area shrinks.
    window->btnCloseBarriers->Click();
    ASSERT_TRUE(WaitFor([] { return DeviceState.barrier1Pos > 8000 && DeviceState.barrier2Pos > 8000; }));
    window->btnStopBarriers->Click();
    ASSERT_TRUE(WaitFor([&] { return ShownArea() < 200 && ShownArea() > 0; }));
    const std::uint32_t closed1 = DeviceState.barrier1Pos, closed2 = DeviceState.barrier2Pos;
    // Open: both barriers move out again, back to the open trough.
    window->btnOpenBarriers->Click();
    ASSERT_TRUE(WaitFor([] { return DeviceState.barrier1Pos == 0 && DeviceState.barrier2Pos == 0; }))
        << DeviceState.barrier1Pos << " " << DeviceState.barrier2Pos << " from " << closed1 << " " << closed2;
    EXPECT_TRUE(WaitFor([&] { return ShownArea() == 240; })) << Main->StatusBar->Panels(3)->GetText();
}

TEST_F(TLinkedManual, GetCalibrateFromDeviceLeavesThePressureUnchanged)
{
    Open();
    TFManualCtrl* window = Manual();
    auto* calibration = CreateForm<TFCalibrateDevice>(nullptr);
    // Compressed into the liquid phase, so the pressure is well above 0.
    window->btnCloseBarriers->Click();
    ASSERT_TRUE(WaitFor([] { return DeviceState.balance < 11296 - 300; }));
    window->btnStopBarriers->Click();
    ASSERT_TRUE(WaitFor([&] { return !window->btnBarrier1MoveLeft->GetDown(); }));
    const std::uint32_t reading = DeviceState.balance;
    const double before = CalibrateParam.ballance.HwToSP(reading, true);
    calibration->SBGetCalibrate->Click();
    EXPECT_DOUBLE_EQ(CalibrateParam.ballance.HwToSP(reading, true), before);
    EXPECT_EQ(CalibrateParam.ballance.GetHwMin(), 4096);
    EXPECT_EQ(CalibrateParam.ballance.GetHwMax(), 11296);
    EXPECT_EQ(CalibrateParam.ballance.GetShMax(), 72);
}

}  // namespace
