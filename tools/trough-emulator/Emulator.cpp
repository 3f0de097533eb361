#include "Emulator.h"
#include "HexText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
bool IsUpperHex(char C) { return (C >= '0' && C <= '9') || (C >= 'A' && C <= 'F'); }

// Drive items come in threes per drive: one way, the other way, stop; the instrument's
// motion state codes use the same numbers.
int DriveOf(int Item) { return (Item - 1) / 3; }
int StopCodeOf(int Drive) { return Drive * 3 + 3; }
constexpr int DriveCount = 7;
}  // namespace

TTroughEmulator::TTroughEmulator(TEmulatorOptions Options)
    : O(std::move(Options)),
      FDeposition([this](const std::string& Body) { SendBody(Body); },
                  [this](std::int64_t At, std::function<void()> Action) { Later(At, Action); }, FPos)
{
    FDeposition.ConsumeAtStroke = O.SubstanceOverAt;
    FPos[0] = 1000;
    FPos[1] = 1000;
    FPos[2] = 5000;
}

std::uint8_t TTroughEmulator::Sum(const std::string& Text)
{
    unsigned S = 0;
    for (unsigned char C : Text) S += C;
    return static_cast<std::uint8_t>(S);
}

std::string TTroughEmulator::Escape(const std::string& Bytes)
{
    std::string Out;
    for (unsigned char C : Bytes) {
        if (C >= 33 && C <= 126 && C != '<' && C != '>')
            Out += static_cast<char>(C);
        else if (C == ' ')
            Out += ' ';
        else {
            char T[8];
            std::snprintf(T, sizeof T, "<%02X>", C);
            Out += T;
        }
    }
    return Out;
}

void TTroughEmulator::Later(std::int64_t AtUs, std::function<void()> Action)
{
    FTimers.push(TTimed{AtUs, FOrder++, std::move(Action)});
}

TTroughModel* TTroughEmulator::Model(std::int64_t NowUs)
{
    if (!(O.PhysicalSpeedUp > 0)) return nullptr;
    if (!FModel) {
        TTroughModelOptions options;
        options.SpeedUp = O.PhysicalSpeedUp;
        FModel = std::make_unique<TTroughModel>(options, NowUs);
        FModel->Send = [this](const std::string& Body) { SendBody(Body); };
    }
    return FModel.get();
}

std::int64_t TTroughEmulator::Tick(std::int64_t NowUs)
{
    FNow = NowUs;
    const std::int64_t modelNext = Model(NowUs) ? FModel->Advance(NowUs) : -1;
    if (O.InfoIntervalMs > 0) {
        if (FNextInfo < 0) FNextInfo = NowUs + O.InfoIntervalMs * 1000;
        if (NowUs >= FNextInfo) {
            SendBody(DeviceStateBody());
            FNextInfo = NowUs + O.InfoIntervalMs * 1000;
        }
    }
    while (!FTimers.empty() && FTimers.top().At <= NowUs) {
        auto Action = FTimers.top().Action;
        FTimers.pop();
        Action();
    }
    std::int64_t Next = FTimers.empty() ? -1 : FTimers.top().At;
    if (FNextInfo >= 0 && (Next < 0 || FNextInfo < Next)) Next = FNextInfo;
    if (modelNext >= 0 && (Next < 0 || modelNext < Next)) Next = modelNext;
    return Next;
}

void TTroughEmulator::SendBody(const std::string& Body)
{
    char Digits[4];
    std::snprintf(Digits, sizeof Digits, "%02X", Sum(Body));
    std::string Packet;
    if (O.Garbage) Packet.append("~#\x01junk@x\r\n", 12);
    Packet.append("@").append(Digits).append(Body).append("$");
    if (!O.Split) {
        Write(Packet);
        return;
    }
    for (std::size_t i = 0; i < Packet.size(); i += 3) Write(Packet.substr(i, 3));
}

void TTroughEmulator::Received(const char* Data, std::size_t Count, std::int64_t NowUs)
{
    FNow = NowUs;
    for (std::size_t i = 0; i < Count; ++i) {
        const char C = Data[i];
        if (FWantZero) {
            FWantZero = false;
            if (C == '\0') {
                Frame(FCurrent, NowUs);
                continue;
            }
            Bad("no zero byte after the frame", FCurrent, NowUs);
        }
        if (!FInFrame) {
            if (C == '@') {
                FInFrame = true;
                FCurrent = "@";
            } else {
                Bad("byte outside a frame", std::string(1, C), NowUs);
            }
            continue;
        }
        FCurrent += C;
        if (C == '$') {
            FInFrame = false;
            FWantZero = true;
        } else if (C == '@' || FCurrent.size() > 100) {
            Bad(C == '@' ? "start inside a frame" : "frame too long", FCurrent, NowUs);
            FInFrame = C == '@';
            FCurrent = C == '@' ? "@" : "";
        }
    }
}

void TTroughEmulator::Bad(const std::string& Reason, const std::string& Text, std::int64_t NowUs)
{
    Log("bad " + std::to_string(NowUs) + " " + Reason + ": " + Escape(Text));
}

void TTroughEmulator::Frame(const std::string& F, std::int64_t NowUs)
{
    ++FFrames;
    Log("frame " + std::to_string(NowUs) + " " + Escape(F + std::string(1, '\0')));
    if (O.CutAfter > 0 && FFrames >= O.CutAfter) {
        if (CutLine) CutLine();
        return;
    }
    // "@", two upper-case digits, one blank, the payload, "$".
    if (F.size() < 6 || !IsUpperHex(F[1]) || !IsUpperHex(F[2]) || F[3] != ' ') {
        Bad("malformed frame", F, NowUs);
        Acknowledge("\x01", NowUs);
        return;
    }
    const std::string Payload = F.substr(4, F.size() - 5);
    if (std::strtoul(F.substr(1, 2).c_str(), nullptr, 16) != Sum(Payload)) {
        Bad("checksum", F, NowUs);
        Acknowledge("\x01", NowUs);
        return;
    }
    Command(Payload, NowUs);
}

// Data "\x01" marks a refusal.
void TTroughEmulator::Acknowledge(const std::string& Data, std::int64_t NowUs)
{
    const int Index = FAcks++;
    auto Within = [Index](int First) { return First < 0 || Index < First; };
    if (Within(O.SilentFirst) && O.SilentFirst != 0) {
        Log("silent");
        return;
    }
    std::string Body;
    if (Data == "\x01" || (O.NakFirst != 0 && Within(O.NakFirst)))
        Body = "KERR";
    else
        Body = "KOK!" + Data;
    const bool Spoil = O.BadChecksumFirst != 0 && Within(O.BadChecksumFirst);
    auto Send = [this, Body, Spoil, Data]() {
        if (O.AckBeforeReply && !Data.empty() && Data != "\x01") SendBody("KOK!");
        if (!Spoil) {
            SendBody(Body);
            return;
        }
        char Digits[4];
        std::snprintf(Digits, sizeof Digits, "%02X", static_cast<std::uint8_t>(Sum(Body) + 1));
        std::string Spoiled("@");
        Spoiled.append(Digits).append(Body).append("$");
        Write(Spoiled);
    };
    if (O.AckDelayMs > 0)
        Later(NowUs + O.AckDelayMs * 1000, Send);
    else
        Send();
}

void TTroughEmulator::Command(const std::string& Payload, std::int64_t NowUs)
{
    // "GG II" and, for valued payloads, blank-separated groups of eight digits.
    std::vector<std::string> Parts;
    std::size_t Start = 0;
    for (;;) {
        const std::size_t Blank = Payload.find(' ', Start);
        Parts.push_back(Payload.substr(Start, Blank == std::string::npos ? std::string::npos : Blank - Start));
        if (Blank == std::string::npos) break;
        Start = Blank + 1;
    }
    bool Valid = Parts.size() >= 2 && Parts[0].size() == 2 && Parts[1].size() == 2;
    for (std::size_t i = 0; Valid && i < Parts.size(); ++i) {
        if (i >= 2 && Parts[i].size() != 8) Valid = false;
        for (char C : Parts[i]) Valid = Valid && IsUpperHex(C);
    }
    if (!Valid) {
        Bad("malformed payload", Payload, NowUs);
        Acknowledge("\x01", NowUs);
        return;
    }
    const int Group = static_cast<int>(std::strtoul(Parts[0].c_str(), nullptr, 16));
    const int Item = static_cast<int>(std::strtoul(Parts[1].c_str(), nullptr, 16));
    std::vector<std::uint32_t> Values;
    for (std::size_t i = 2; i < Parts.size(); ++i)
        Values.push_back(static_cast<std::uint32_t>(std::strtoul(Parts[i].c_str(), nullptr, 16)));
    const std::uint32_t Value = Values.empty() ? 0 : Values[0];

    if (TTroughModel* model = Model(NowUs))
        if (Group == 0x01 || Group == 0x05 || Group == 0x07) model->SetParameter(Group, Item, Value);
    switch (Group) {
    case 0x01:
        if (Item == 0x08 && Values.size() == 4)
            std::copy(Values.begin(), Values.end(), FClb);
        else
            FParams[Item] = Value;
        Acknowledge("", NowUs);
        return;
    case 0x02:
        if (Item == 0xFF)
            Acknowledge(O.DeviceName, NowUs);
        else if (Item == 0xFE)
            Acknowledge("1.0", NowUs);
        else if (Item == 0x08)
            Acknowledge(Hex8(FClb[0]) + " " + Hex8(FClb[1]) + " " + Hex8(FClb[2]) + " " + Hex8(FClb[3]), NowUs);
        else
            Acknowledge(Hex8(FParams.count(Item) ? FParams[Item] : 0), NowUs);
        return;
    case 0x03:
        Acknowledge("", NowUs);
        if (TTroughModel* model = Model(NowUs); model && Item <= 0x09) {
            // Barriers and dipper move in the model, which reports their ends itself.
            if (Item == 0)
                model->Stop(-1, NowUs);
            else if (Item % 3 == 0)
                model->Stop(DriveOf(Item), NowUs);
            else {
                SendBody("M03 " + Hex4(static_cast<std::uint32_t>(Item)));
                model->Move(DriveOf(Item), Item % 3 == 1, Value, NowUs);
            }
            if (Item % 3 == 0) SendBody("M03 " + Hex4(static_cast<std::uint32_t>(Item)));
            if (Item == 0) SendBody("M04 00");
        } else if (Item == 0) {
            for (int d = 0; d < DriveCount; ++d) StopDrive(d);
            Later(NowUs + 5000, [this] {
                SendBody("M03 00");
                SendBody("M04 00");
            });
        } else if (Item <= 0x15) {
            if (Item % 3 == 0) {
                StopDrive(DriveOf(Item));
                Later(NowUs + 5000, [this, Item] { SendBody("M03 " + Hex4(static_cast<std::uint32_t>(Item))); });
            } else {
                StartMove(Item, Value, NowUs);
            }
        }
        return;
    case 0x07:
        FDeposition.SetParameter(Item, Value);
        Acknowledge("", NowUs);
        return;
    case 0x06:
        Acknowledge("", NowUs);
        if (TTroughModel* model = Model(NowUs); model && Item <= 0x03)
            model->RunProcess(Item, NowUs);
        else
            RunProcess(Item, NowUs);
        return;
    case 0x0A:
    case 0x0B:
        Acknowledge("", NowUs);
        Turn(Group, Item, Value, NowUs);
        return;
    default:
        Acknowledge("", NowUs);
        return;
    }
}

// Item 00 finds the zero position, 01 turns clockwise (a turn by 0 stops), 02 back.
// When the turn ends the stop report goes out, after the new positions ("INR") when
// they are asked for.
void TTroughEmulator::Turn(int Group, int Item, std::uint32_t Value, std::int64_t NowUs)
{
    if (O.ManualStops) return;
    std::int64_t& Position = Group == 0x0A ? FRotator : FRevolver;
    const std::int64_t Steps = static_cast<std::int32_t>(Value);
    Later(NowUs + 100000, [this, Group, Item, Steps, &Position] {
        if (Item == 0x00)
            Position = 0;
        else if (Item == 0x01)
            Position += Steps;
        else if (Item == 0x02)
            Position -= Steps;
        if (O.TurnPositions)
            SendBody("IINR " + Hex8(static_cast<std::uint32_t>(FRotator)) + " " +
                     Hex8(static_cast<std::uint32_t>(FRevolver)) + " " + Hex8(static_cast<std::uint32_t>(FPos[3])) +
                     " 00000210 00000304");
        SendBody(Group == 0x0A ? "M0A" : "M0B");
    });
}

void TTroughEmulator::StopDrive(int Drive)
{
    if (Drive >= 0 && Drive < DriveCount) ++FMoveSerial[Drive];
}

void TTroughEmulator::StartMove(int Item, std::uint32_t Value, std::int64_t NowUs)
{
    const int Drive = DriveOf(Item);
    const int Serial = ++FMoveSerial[Drive];
    const bool Forward = Item % 3 == 1;
    SendBody("M03 " + Hex4(static_cast<std::uint32_t>(Item)));
    // A move of 0 runs until it is stopped.
    if (Value == 0 || O.ManualStops) return;
    const std::int64_t Steps = static_cast<std::int32_t>(Value);
    const std::int64_t DurationUs = std::clamp<std::int64_t>(std::llabs(Steps) * 10, 20000, 300000);
    Later(NowUs + DurationUs, [this, Drive, Serial, Forward, Steps] {
        if (FMoveSerial[Drive] != Serial) return;
        FPos[Drive] += Forward ? Steps : -Steps;
        SendBody("M03 " + Hex4(static_cast<std::uint32_t>(StopCodeOf(Drive))));
        SendBody("M04 00");
    });
}

void TTroughEmulator::RunProcess(int Item, std::int64_t NowUs)
{
    constexpr std::int64_t StepUs = 20000;
    if (Item == 0x00) {
        FDeposition.Stop();
        StopAccessoryProcess(NowUs);
        for (int d = 0; d < DriveCount; ++d) StopDrive(d);
        Later(NowUs + 5000, [this] { SendBody("M04 00"); });
        return;
    }
    if (Item == 0x03) {  // barriers to the set pressure: they close a while, then stop
        if (O.ManualStops) return;
        const int Serial = ++FMoveSerial[0];
        Later(NowUs + 600000, [this, Serial] {
            if (FMoveSerial[0] != Serial) return;
            SendBody("M03 0003");
            SendBody("M04 00");
        });
        return;
    }
    if (Item == 0x01) {  // isotherm: one stroke of five points
        Later(NowUs + StepUs, [this] { SendBody("M01 0000"); });
        for (int i = 0; i < 5; ++i) {
            Later(NowUs + StepUs * (2 + i), [this, i] {
                FPos[0] -= 10;
                SendBody("IIZT " + Hex8(static_cast<std::uint32_t>(FPos[0])) + " " +
                         Hex8(static_cast<std::uint32_t>(FPos[2])) + " " +
                         Hex8(0x200 + static_cast<std::uint32_t>(i) * 16) + " " +
                         Hex8(static_cast<std::uint32_t>(i) * 2) + " " + Hex8(static_cast<std::uint32_t>(FPos[1])));
            });
        }
        Later(NowUs + StepUs * 8, [this] { SendBody("M02 0000"); });
        return;
    }
    if (Item == 0x02 || Item == 0x04) {  // deposition: start, continue
        if (Item == 0x02)
            FDeposition.Start(NowUs, static_cast<std::int32_t>(FParams[6]), static_cast<std::int32_t>(FParams[7]));
        else
            FDeposition.Continue(NowUs);
        return;
    }
    RunAccessoryProcess(Item, NowUs);
}

std::string TTroughEmulator::DeviceStateBody() const
{
    std::string Body = "IINF";
    auto position = [this](int Drive) {
        return static_cast<std::uint32_t>(FModel ? std::lround(FModel->Position(Drive)) : FPos[Drive]);
    };
    const std::uint32_t Fields[15] = {position(TTroughModel::Barrier1),
                                      position(TTroughModel::Dipper),
                                      FModel ? FModel->BalanceCounts() : 0x200u,
                                      0x150,
                                      0x160,
                                      position(TTroughModel::Barrier2),
                                      0x0102,
                                      0x210,
                                      0x0304,
                                      static_cast<std::uint32_t>(FPos[3]),
                                      static_cast<std::uint32_t>(FPos[4]),
                                      static_cast<std::uint32_t>(FPos[5]),
                                      static_cast<std::uint32_t>(FRevolver),
                                      static_cast<std::uint32_t>(FRotator),
                                      static_cast<std::uint32_t>(FPos[6])};
    for (std::uint32_t F : Fields) Body += " " + Hex8(F);
    return Body;
}
