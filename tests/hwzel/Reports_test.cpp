// Every info and message packet the instrument sends, from the emulator over the line
// into records and notification codes of the link module.
#include "LinkFixture.h"

namespace {

// Sends Body, then a marker packet, and returns the notes that came before the marker.
std::vector<TNote> Report(LinkFixture& F, TEmulatorProcess& Emulator, TNotifyRecorder& Notes, const std::string& Body)
{
    (void)F;
    Notes.Notes.clear();
    EXPECT_TRUE(Emulator.Control("send " + Body));
    EXPECT_TRUE(Emulator.Control("send M09"));
    EXPECT_TRUE(Notes.WaitForCode(hlnContinueAllowed)) << Body;
    std::vector<TNote> Before;
    for (const TNote& N : Notes.Notes) {
        if (N.Code == hlnContinueAllowed) break;
        Before.push_back(N);
    }
    return Before;
}

struct TMessageCase {
    const char* Body;
    int Code;  // -1: nothing is posted
    LPARAM Payload;
};

const TMessageCase MessageCases[] = {
    {"M01 0003", hlnIsothermCycle, 3},
    {"M01", -1, 0},
    {"M02 0001", hlnIsothermCompleted, 1},
    {"M02", -1, 0},
    {"M03 0005", hlnMotionState, 5},
    {"M03", -1, 0},
    {"M04", hlnDrivesStopped, 0},
    {"M04 0001", hlnDrivesStopped, 1},
    {"M05 0002", hlnDepositionStroke, 2},
    {"M06 0002", hlnDepositionCompleted, 2},
    {"M06", -1, 0},
    {"M07 0009", hlnPressureControl, 0},
    {"M08 0001", hlnSubstanceOver, 1},
    {"M08", -1, 0},
    {"M0A", hlnDipperRotatorStopped, 0},
    {"M0B 0007", hlnRevolverStopped, 0},
    {"M10", hlnRollStarted, 0},
    {"M11", hlnRollFinished, 0},
    {"M12", hlnTapeStarted, 0},
    {"M13", hlnTapeFinished, 0},
    {"M14 0001", hlnRollLimitSwitch, 0},
    {"M15", hlnDiskStarted, 0},
    {"M16", hlnDiskFinished, 0},
    {"M17", hlnCylStarted, 0},
    {"M18", hlnCylFinished, 0},
    {"M19", hlnTdarStarted, 0},
    {"M20", hlnTdarFinished, 0},
    {"M21", hlnFilmPrepStarted, 0},
    {"M22", hlnFilmPrepFinished, 0},
    {"M0C 0001", -1, 0},
    {"IXYZ 0001 0002", -1, 0},
    {"Z0001", -1, 0},
    {"M01 00G1", hlnIsothermCycle, 0},  // text that is not hex reads its leading digits: "00" then "G"
};

}  // namespace

TEST_F(LinkFixture, MessagePacketsPostTheirCodes)
{
    Start();
    for (const TMessageCase& C : MessageCases) {
        const auto Notes = Report(*this, *Emulator, this->Notes, C.Body);
        if (C.Code < 0) {
            EXPECT_TRUE(Notes.empty()) << C.Body;
            continue;
        }
        ASSERT_EQ(Notes.size(), 1u) << C.Body;
        EXPECT_EQ(Notes[0].Code, static_cast<std::uint32_t>(C.Code)) << C.Body;
        EXPECT_EQ(Notes[0].Payload, C.Payload) << C.Body;
    }
}

TEST_F(LinkFixture, DeviceStateFollowsInfoPacketsFieldByField)
{
    Start();
    // Five fields: only the first five readings change; 200 comes before 203.
    auto N = Report(*this, *Emulator, Notes, "IINF 0001 0002 0003 0004 0005");
    ASSERT_EQ(N.size(), 2u);
    EXPECT_EQ(N[0].Code, hlnDeviceState);
    EXPECT_EQ(N[1].Code, hlnDeviceStateChanged);
    auto S = TNotifyRecorder::As<TDeviceState>(N[0]);
    EXPECT_EQ(S.barrier1Pos, 1u);
    EXPECT_EQ(S.dipperPos, 2u);
    EXPECT_EQ(S.balance, 3u);
    EXPECT_EQ(S.airTemp, 4u);
    EXPECT_EQ(S.troughTemp, 5u);
    EXPECT_EQ(S.barrier2Pos, 0u) << "a fresh link's state is all zero";
    EXPECT_EQ(S.pumpPos, 0u);
    EXPECT_EQ(S.plateA, 0u);

    N = Report(*this, *Emulator, Notes,
               "IINF 0001 0002 0003 0004 0005 0006 ABCD 0008 1234 000A 000B 000C 000D 000E 000F");
    S = TNotifyRecorder::As<TDeviceState>(N.at(0));
    EXPECT_EQ(S.barrier2Pos, 6u);
    EXPECT_EQ(S.plateA, 0xABu);
    EXPECT_EQ(S.plateB, 0xCDu);
    EXPECT_EQ(S.doserBalance, 8u);
    EXPECT_EQ(S.doserPlateA, 0x12u);
    EXPECT_EQ(S.doserPlateB, 0x34u);
    EXPECT_EQ(S.doserPos, 0xAu);
    EXPECT_EQ(S.rotBarrierPos, 0xBu);
    EXPECT_EQ(S.tapePos, 0xCu);
    EXPECT_EQ(S.revolverPos, 0xDu);
    EXPECT_EQ(S.dipperRotatorPos, 0xEu);
    EXPECT_EQ(S.pumpPos, 0xFu);

    // Ten fields: the readings the packet lacks become 0; the pump keeps its value.
    N = Report(*this, *Emulator, Notes, "IINF 0011 0012 0013 0014 0015 0016 0000 0018 0000 001A");
    S = TNotifyRecorder::As<TDeviceState>(N.at(0));
    EXPECT_EQ(S.doserPos, 0x1Au);
    EXPECT_EQ(S.rotBarrierPos, 0u);
    EXPECT_EQ(S.tapePos, 0u);
    EXPECT_EQ(S.revolverPos, 0u);
    EXPECT_EQ(S.dipperRotatorPos, 0u);
    EXPECT_EQ(S.pumpPos, 0xFu);

    // Exactly fourteen fields: the pump field is missing and reads 0.
    N = Report(*this, *Emulator, Notes, "IINF 1 2 3 4 5 6 7 8 9 A B C D E");
    EXPECT_EQ(TNotifyRecorder::As<TDeviceState>(N.at(0)).pumpPos, 0u);
    EXPECT_EQ(TNotifyRecorder::As<TDeviceState>(N.at(0)).dipperRotatorPos, 0xEu);

    // INR and CYL change their fields and post 203 alone.
    N = Report(*this, *Emulator, Notes, "IINR 0021 0022 0023 0024 0506");
    ASSERT_EQ(N.size(), 1u);
    EXPECT_EQ(N[0].Code, hlnDeviceStateChanged);
    S = TNotifyRecorder::As<TDeviceState>(N[0]);
    EXPECT_EQ(S.dipperRotatorPos, 0x21u);
    EXPECT_EQ(S.revolverPos, 0x22u);
    EXPECT_EQ(S.doserPos, 0x23u);
    EXPECT_EQ(S.doserBalance, 0x24u);
    EXPECT_EQ(S.doserPlateA, 5u);
    EXPECT_EQ(S.doserPlateB, 6u);
    EXPECT_EQ(S.barrier1Pos, 1u);

    N = Report(*this, *Emulator, Notes, "ICYL 0009 0077");
    ASSERT_EQ(N.size(), 1u);
    EXPECT_EQ(TNotifyRecorder::As<TDeviceState>(N[0]).balance, 0x77u);

    // Too few fields: ignored.
    for (const char* Body : {"IINF 1 2 3 4", "IINR 1 2 3 4", "ICYL 1", "IINF"})
        EXPECT_TRUE(Report(*this, *Emulator, Notes, Body).empty()) << Body;
}

namespace {

// The words of a record in the order its structure declares them.
std::vector<std::uint32_t> Words(const TNote& N)
{
    std::vector<std::uint32_t> R(N.Record.size() / sizeof(std::uint32_t));
    if (!R.empty()) std::memcpy(R.data(), N.Record.data(), R.size() * sizeof(std::uint32_t));
    return R;
}

struct TPointCase {
    const char* Body;
    std::uint32_t Code;
    std::vector<std::uint32_t> Record;  // in the order of the record's declaration
};

// Run in order: a packet with fewer fields leaves the fields it lacks as the one before set them.
const TPointCase PointCases[] = {
    // barrier1Pos, barrier2Pos, dipperPos, balance, time
    {"IIZT 03E8 1388 0200 000A 0064", hlnIsothermPoint, {1000, 100, 5000, 0x200, 10}},
    {"IIZT 1 2 3 4", hlnIsothermPoint, {1, 100, 2, 3, 4}},  // four fields: barrier 2 stays
    // barrier1Pos, barrier2Pos, dipperPos, balance, time, pauseLeft, phase
    {"IDEP 1 2 3 4 5 2 7", hlnDepositionPoint, {1, 7, 2, 3, 4, 5, 2}},
    // Five fields: the phase field is missing and reads 0; barrier 2 stays.
    {"IDEP 11 12 13 14 15", hlnDepositionPoint, {0x11, 7, 0x12, 0x13, 0x14, 0x15, 0}},
    // rotBarrierPos, value1, value2, doserBalance, balance, status: the balance comes first
    // on the line.
    {"ITDP 1 2 3 4 5 6", hlnTapePoint, {1, 2, 3, 5, 4, 6}},
    {"IRDP 1 2 3 4 5 6", hlnRollPoint, {1, 2, 3, 5, 4, 6}},
    // value0, doserBalance, balance, status: likewise.
    {"IDDP 1 2 3 4", hlnDiskPoint, {1, 3, 2, 4}},
    {"ICDP 1 2 3 4", hlnCylPoint, {1, 3, 2, 4}},
    // value0, value2, rotBarrierPos, tapePos, balance, doserBalance, status: the second
    // field is not kept.
    {"ITDR 1 2 3 4 5 6 7 8", hlnTdarPoint, {1, 3, 4, 5, 6, 7, 8}},
    {"IIFP 1 2 3 4 5 6 7", hlnFilmPrepPoint, {1, 2, 3, 4, 5, 6, 7}},
};

}  // namespace

TEST_F(LinkFixture, PointPacketsFillTheirRecords)
{
    Start();
    for (const TPointCase& C : PointCases) {
        const auto N = Report(*this, *Emulator, Notes, C.Body);
        ASSERT_EQ(N.size(), 1u) << C.Body;
        EXPECT_EQ(N[0].Code, C.Code) << C.Body;
        EXPECT_EQ(Words(N[0]), C.Record) << C.Body;
    }
    for (const char* Body : {"IIZT 1 2 3", "IDEP 1 2 3 4", "ITDP 1 2 3 4 5", "IRDP 1 2 3 4 5", "IDDP 1 2 3",
                             "ICDP 1 2 3", "ITDR 1 2 3 4 5 6 7", "IIFP 1 2 3 4 5 6"})
        EXPECT_TRUE(Report(*this, *Emulator, Notes, Body).empty()) << Body;
}

TEST_F(LinkFixture, ARecordPassedByAddressIsNotOverwrittenByTheNextPacket)
{
    Start();
    ASSERT_TRUE(Emulator->Control("send IIZT 1 2 3 4 5"));
    ASSERT_TRUE(Emulator->Control("send IIZT 6 7 8 9 A"));
    ASSERT_TRUE(Notes.WaitForCode(hlnIsothermPoint, 2));
    const auto Points = Notes.WithCode(hlnIsothermPoint);
    // The first notice's address still shows the first point after the second arrived.
    const auto* First = reinterpret_cast<const TIsothermPoint*>(Points[0].Payload);
    EXPECT_EQ(First->barrier1Pos, 1u);
    EXPECT_NE(Points[0].Payload, Points[1].Payload);
}
