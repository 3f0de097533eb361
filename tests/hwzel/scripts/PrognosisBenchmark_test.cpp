// How long the dry run of a long script takes, per line, with a window that answers
// every conversion and copies every prognosis step.
#include <gtest/gtest.h>
#include <chrono>
#include <cstdio>
#include "ScriptFixture.h"

using PrognosisBenchmark = ScriptFixture;

TEST_F(PrognosisBenchmark, DryRunOfTenThousandLines)
{
    Start();
    TScriptPrognosisStatus Status{0, 0, 0, 0, 0, 0, 0};
    Record = &Status;
    Link->SendCommand("CalcScriptPrognosis= " + AddressText(&Status), nullptr, 0);
    Link->SendCommand("ExecuteCommand= 0", nullptr, 0);
    TScriptStrings Lines = {"DipperSpeed= 2", "Barrier1Speed= 4"};
    const char* Cycle[] = {"DipperMoveDown 1", "DipperMoveUp 1", "Pause 1", "Barrier1MoveLeft 0.5"};
    for (std::size_t i = 0; Lines.size() < 10000; ++i) Lines.push_back(Cycle[i % 4]);
    const auto Begin = std::chrono::steady_clock::now();
    RunScript(Lines);
    ASSERT_TRUE(WaitFinished(120000));
    const double Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Begin).count();
    std::printf("dry run of %zu lines: %.3f s, %.1f us per line\n", Lines.size(), Seconds,
                Seconds * 1e6 / static_cast<double>(Lines.size()));
    RecordProperty("MicrosecondsPerLine", static_cast<int>(Seconds * 1e6 / static_cast<double>(Lines.size())));
    // 9998 steps: 2499 cycles of four lines, each adding 30 + 30 + 1 + 7.5 s (the speeds
    // are per minute), and the two dipper moves of a cycle begun.
    ASSERT_EQ(Steps.size(), 9998u);
    EXPECT_DOUBLE_EQ(Status.time, 2499 * 68.5 + 60);
    EXPECT_DOUBLE_EQ(Status.dipperPos, 0);
    EXPECT_DOUBLE_EQ(Status.barrier1Pos, 2499 * 0.5);
    EXPECT_TRUE(Payloads().empty());
}
