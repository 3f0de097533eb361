// Random and mutated byte streams through the receive path: nothing may crash, hang or
// upset a sanitizer, and well-formed packets among the noise still arrive.
#include <gtest/gtest.h>
#include <random>
#include "NotifyRecorder.h"
#include "ReceivePath.h"

namespace {

const char* const Seeds[] = {
    "KOK!",
    "KERR",
    "KOK!0000002A",
    "IINF 1 2 3 4 5 6 7 8 9 A B C D E F",
    "IINF 1 2 3 4 5",
    "IIZT 1 2 3 4 5",
    "IDEP 1 2 3 4 5 6 7",
    "IINR 1 2 3 4 5",
    "ICYL 1 2",
    "ITDP 1 2 3 4 5 6",
    "IRDP 1 2 3 4 5 6",
    "IDDP 1 2 3 4",
    "ICDP 1 2 3 4",
    "ITDR 1 2 3 4 5 6 7 8",
    "IIFP 1 2 3 4 5 6 7",
    "M01 0001",
    "M03 0006",
    "M04",
    "M0A",
    "M22",
    "I",
    "M",
    "K",
    "IIN",
    "M0",
    "",
};

// One fuzz input: the bytes go through splitter, checksum and dispatch.
void FuzzOne(TReceivePath& Path, const std::uint8_t* Data, std::size_t Size) { Path.Feed(Data, Size); }

}  // namespace

TEST(ReceiveFuzz, RandomAndMutatedStreamsNeverBreakTheReceivePath)
{
    TNotifyRecorder Notes;
    TReceivePath Path;
    Path.Link.SetNotifyTarget(Notes.Handle(), WM_LINKNOTIFY);
    std::mt19937 Random(20261210);
    std::uniform_int_distribution<int> Byte(0, 255);
    std::size_t Inputs = 0;
    for (int Round = 0; Round < 20000; ++Round) {
        std::string Input;
        const int Pieces = 1 + Random() % 6;
        for (int p = 0; p < Pieces; ++p) {
            switch (Random() % 4) {
            case 0: {  // a valid packet
                Input += InstrumentPacket(Seeds[Random() % std::size(Seeds)]);
                break;
            }
            case 1: {  // a packet with one byte changed, dropped or doubled
                std::string P = InstrumentPacket(Seeds[Random() % std::size(Seeds)]);
                const std::size_t At = Random() % P.size();
                switch (Random() % 3) {
                case 0:
                    P[At] = static_cast<char>(Byte(Random));
                    break;
                case 1:
                    P.erase(At, 1);
                    break;
                default:
                    P.insert(At, 1, P[At]);
                    break;
                }
                Input += P;
                break;
            }
            case 2: {  // noise
                const int Length = Random() % 40;
                for (int i = 0; i < Length; ++i) Input += static_cast<char>(Byte(Random));
                break;
            }
            default: {  // framing characters in odd places
                const char* Odd[] = {"@", "$", "@@", "$$", "@$", "@00$", "@0", "@ZZ$"};
                Input += Odd[Random() % std::size(Odd)];
                break;
            }
            }
        }
        // Hand the input over in random slices, as reads of a serial line would.
        std::size_t At = 0;
        while (At < Input.size()) {
            const std::size_t Slice = std::min<std::size_t>(Input.size() - At, 1 + Random() % 64);
            FuzzOne(Path, reinterpret_cast<const std::uint8_t*>(Input.data() + At), Slice);
            At += Slice;
        }
        ++Inputs;
        if (Round % 1000 == 0) Application->ProcessMessages();
    }
    Application->ProcessMessages();
    EXPECT_EQ(Inputs, 20000u);
    EXPECT_GT(Path.Packets, 20000u);

    // After all that noise a clean packet still gets through whole.
    Notes.Notes.clear();
    Path.Feed(InstrumentPacket("IIZT 000A 000B 000C 000D"));
    Application->ProcessMessages();
    ASSERT_FALSE(Notes.WithCode(hlnIsothermPoint).empty());
    EXPECT_EQ(TNotifyRecorder::As<TIsothermPoint>(Notes.WithCode(hlnIsothermPoint).back()).time, 0xDu);
}

TEST(ReceiveFuzz, OversizedPacketIsDroppedWithoutHarm)
{
    TReceivePath Path;
    Path.Feed("@" + std::string(30000, 'A'));
    Path.Feed(InstrumentPacket("KOK!"));
    EXPECT_EQ(Path.Packets, 1u);
}
