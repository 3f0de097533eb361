// Throughput: the receive path in memory, and commands against the emulator with
// instant acknowledgements, beside the 20 commands per second that the 50 ms spacing
// allows. The numbers are printed; the checks hold whatever the machine is doing:
// every packet arrives and the spacing is never beaten.
#include <chrono>
#include <cstdio>
#include "LinkFixture.h"
#include "NotifyRecorder.h"
#include "ReceivePath.h"

namespace {
using Clock = std::chrono::steady_clock;
double SecondsSince(Clock::time_point T) { return std::chrono::duration<double>(Clock::now() - T).count(); }
}  // namespace

TEST(Benchmark, ReceivePathThroughputInMemory)
{
    TReceivePath Path;  // no notify window: the cost of posting is not part of the path
    std::string Stream;
    const char* Bodies[] = {"IINF 000003E8 00001388 00000200 00000150 00000160 000003E8 00000102 00000210", "KOK!",
                            "IIZT 000003E8 00001388 00000200 0000000A 00000064", "M03 0006"};
    for (int i = 0; i < 1000; ++i) Stream += InstrumentPacket(Bodies[i % 4]);
    const int Rounds = 100;
    const auto Begin = Clock::now();
    for (int r = 0; r < Rounds; ++r)
        for (std::size_t At = 0; At < Stream.size(); At += 512) Path.Feed(Stream.substr(At, 512));
    const double Seconds = SecondsSince(Begin);
    const double PacketsPerSecond = Path.Packets / Seconds;
    const double BytesPerSecond = Stream.size() * Rounds / Seconds;
    // 115200 baud with 10 bits per byte carries 11520 bytes per second.
    const double TimesLine = BytesPerSecond / 11520.0;
    std::printf("receive path: %.0f packets/s, %.1f MB/s, %.0f times a 115200-baud line\n", PacketsPerSecond,
                BytesPerSecond / 1e6, TimesLine);
    RecordProperty("PacketsPerSecond", static_cast<int>(PacketsPerSecond));
    RecordProperty("TimesLine115200", static_cast<int>(TimesLine));
    EXPECT_EQ(Path.Packets, 1000u * Rounds);
}

TEST_F(LinkFixture, BenchmarkCommandThroughputAgainstTheEmulator)
{
    Start();
    const int Count = 40;
    // Wait for the first acknowledgement so the measurement starts on a settled line.
    std::uint32_t Value = 0;
    Link->SendCommand("=FBSensetivity", &Value, 4);
    const auto Begin = Clock::now();
    for (int i = 0; i < Count; ++i) Link->SendCommand("FBSensetivity= 00000001", nullptr, 0);
    Link->SendCommand("=FBSensetivity", &Value, 4);  // returns when every command before it is through
    const double Seconds = SecondsSince(Begin);
    const double Rate = (Count + 1) / Seconds;
    std::printf("commands: %.2f per second (limit of the 50 ms spacing: 20; %.1f%% of it)\n", Rate, Rate / 20 * 100);
    RecordProperty("CommandsPerSecondX100", static_cast<int>(Rate * 100));
    EXPECT_EQ(Value, 1u);
    EXPECT_LE(Rate, 20.05);
}
