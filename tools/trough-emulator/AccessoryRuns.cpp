// The processes the instrument runs on its accessories (roll, tape, disk and
// cylinder-membrane deposition, tape deposition and rinse, film preparation): a started
// report, a few points and a finished report. The points carry the balances' readings,
// the rotating barrier's and the tape's positions where the process reports them (the
// tape rises 40 steps a point), and a status word whose
// bits say which accessory works (0 doser, 1 rotating barrier, 2 tape). A roll run may end
// at its limit switch instead; "ProcessStop" ends the running process with its finished
// report.
#include <cstdio>
#include "HexText.h"

#include "Emulator.h"

namespace {

enum class TPointLayout {
    Rotbar,    // rotating barrier, two values, balance, doser balance, status
    Balances,  // one value, balance, doser balance, status
    Tdar,      // barrier, two values, rotating barrier, tape, balance, doser balance, status
    Counted,   // the given number of fields counting up
};

struct TAccessoryRun {
    int Item;
    const char* Started;
    const char* Point;
    TPointLayout Layout;
    int Fields;
    const char* Finished;
};

const TAccessoryRun Runs[] = {
    {0x06, "M10", "IRDP", TPointLayout::Rotbar, 6, "M11"},   {0x07, "M12", "ITDP", TPointLayout::Rotbar, 6, "M13"},
    {0x08, "M15", "IDDP", TPointLayout::Balances, 4, "M16"}, {0x09, "M17", "ICDP", TPointLayout::Balances, 4, "M18"},
    {0x0A, "M19", "ITDR", TPointLayout::Tdar, 8, "M20"},     {0x0C, "M21", "IIFP", TPointLayout::Counted, 7, "M22"},
};

constexpr std::int64_t StepUs = 20000;
constexpr int PointCount = 5;
// The status words of the points in turn.
constexpr std::uint32_t Statuses[PointCount] = {2, 3, 7, 5, 0};

std::string PointBody(const TAccessoryRun& Run, int Index)
{
    const auto i = static_cast<std::uint32_t>(Index);
    const std::uint32_t balance = 0x200 + 16 * i, doserBalance = 0x300 - 8 * i, rotbar = 100 * i, tape = 40 * i;
    std::string body = Run.Point;
    switch (Run.Layout) {
    case TPointLayout::Rotbar:
        for (std::uint32_t field : {rotbar, 0u, 0u, balance, doserBalance, Statuses[Index]}) body += " " + Hex8(field);
        break;
    case TPointLayout::Tdar:
        for (std::uint32_t field : {0x1000u, 0u, 0u, rotbar, tape, balance, doserBalance, Statuses[Index]})
            body += " " + Hex8(field);
        break;
    case TPointLayout::Balances:
        for (std::uint32_t field : {0u, balance, doserBalance, Statuses[Index]}) body += " " + Hex8(field);
        break;
    case TPointLayout::Counted:
        for (int f = 0; f < Run.Fields; ++f) body += " " + Hex8(0x100 * static_cast<std::uint32_t>(f) + i);
        break;
    }
    return body;
}

}  // namespace

void TTroughEmulator::RunAccessoryProcess(int Item, std::int64_t NowUs)
{
    for (const TAccessoryRun& Run : Runs) {
        if (Run.Item != Item) continue;
        const TAccessoryRun* R = &Run;
        const int Serial = ++FAccessorySerial;
        const char* Finished = R->Item == 0x06 && O.RollLimitSwitch ? "M14" : R->Finished;
        FAccessoryFinished = Finished;
        Later(NowUs + StepUs, [this, R, Serial] {
            if (Serial == FAccessorySerial) SendBody(R->Started);
        });
        for (int i = 0; i < PointCount; ++i) {
            Later(NowUs + StepUs * (2 + i), [this, R, Serial, i] {
                if (Serial == FAccessorySerial) SendBody(PointBody(*R, i));
            });
        }
        Later(NowUs + StepUs * (3 + PointCount), [this, Serial, Finished] {
            if (Serial != FAccessorySerial) return;
            FAccessoryFinished = nullptr;
            SendBody(Finished);
        });
    }
}

void TTroughEmulator::StopAccessoryProcess(std::int64_t NowUs)
{
    if (!FAccessoryFinished) return;
    ++FAccessorySerial;
    const std::string Finished = FAccessoryFinished;
    FAccessoryFinished = nullptr;
    Later(NowUs + 5000, [this, Finished] { SendBody(Finished); });
}
