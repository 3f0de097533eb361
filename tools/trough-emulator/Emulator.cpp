#include "Emulator.h"
#include "HexText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
bool IsUpperHex(char C) { return (C >= '0' && C <= '9') || (C >= 'A' && C <= 'F'); }

// The answers to the device-information queries besides the name.
constexpr const char* DeviceVersion = "1.0";
constexpr const char* Manufacturer = "Trough Emulator Works";
constexpr const char* DeviceDate = "2024-03-01";
}  // namespace

TTroughEmulator::TTroughEmulator(TEmulatorOptions Options) : O(std::move(Options)) {}

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

TTroughModel& TTroughEmulator::Model(std::int64_t NowUs)
{
    if (!FModel) {
        TTroughModelOptions options;
        options.SpeedUp = O.SpeedUp;
        FModel = std::make_unique<TTroughModel>(options, NowUs);
        FModel->Send = [this](const std::string& Body) { SendBody(Body); };
    }
    return *FModel;
}

std::int64_t TTroughEmulator::Tick(std::int64_t NowUs)
{
    FNow = NowUs;
    const std::int64_t modelNext = Model(NowUs).Advance(NowUs);
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
    // A frame the fault modes refuse or lose does nothing.
    const auto Within = [this](int First) { return First < 0 || FAcks < First; };
    if ((O.NakFirst != 0 && Within(O.NakFirst)) || (O.SilentFirst != 0 && Within(O.SilentFirst))) {
        Acknowledge("", NowUs);
        return;
    }

    // Everything but queries, drives, processes and turns is a setting the model keeps.
    const bool setting = Group != 0x02 && Group != 0x03 && Group != 0x06 && Group != 0x0A && Group != 0x0B;
    if (setting) Model(NowUs).SetParameter(Group, Item, Value);
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
            Acknowledge(DeviceVersion, NowUs);
        else if (Item == 0xFD)
            Acknowledge(Manufacturer, NowUs);
        else if (Item == 0xFC)
            Acknowledge(DeviceDate, NowUs);
        else if (Item == 0x08)
            Acknowledge(Hex8(FClb[0]) + " " + Hex8(FClb[1]) + " " + Hex8(FClb[2]) + " " + Hex8(FClb[3]), NowUs);
        else
            Acknowledge(Hex8(FParams.count(Item) ? FParams[Item] : 0), NowUs);
        return;
    case 0x03:
        Acknowledge("", NowUs);
        Drive(Item, Value, NowUs);
        return;
    case 0x06:
        Acknowledge("", NowUs);
        Model(NowUs).RunProcess(Item, NowUs);
        return;
    case 0x0A:
    case 0x0B:
        Acknowledge("", NowUs);
        Model(NowUs).Turn(Group == 0x0A ? TTroughModel::DipperRotator : TTroughModel::Revolver, Item, Value, NowUs);
        return;
    default:
        Acknowledge("", NowUs);
        return;
    }
}

// Drive items come in threes per drive, in the order of the model's drives: one way, the
// other way, stop; the motion state reports use the same numbers. The first item of a
// drive raises its position (closes barrier 1, raises the dipper), except for barrier 2,
// which closes with its second ("move right").
void TTroughEmulator::Drive(int Item, std::uint32_t Value, std::int64_t NowUs)
{
    TTroughModel& model = Model(NowUs);
    if (Item == 0x00) {
        model.Stop(-1, NowUs);
        SendBody("M03 0000");
        SendBody("M04 00");
        return;
    }
    if (Item > 0x15) return;
    const int drive = (Item - 1) / 3;
    if (Item % 3 == 0) {
        model.Stop(drive, NowUs);
        SendBody("M03 " + Hex4(static_cast<std::uint32_t>(Item)));
        return;
    }
    SendBody("M03 " + Hex4(static_cast<std::uint32_t>(Item)));
    const bool first = Item % 3 == 1;
    model.Move(drive, drive == TTroughModel::Barrier2 ? !first : first, Value, NowUs);
}

std::string TTroughEmulator::DeviceStateBody() const
{
    const TTroughModel& model = *FModel;
    auto position = [&model](int Drive) { return static_cast<std::uint32_t>(std::lround(model.Position(Drive))); };
    // Air at 22.0 and subphase at 20.0 degrees, in tenths.
    const std::uint32_t Fields[15] = {position(TTroughModel::Barrier1),
                                      position(TTroughModel::Dipper),
                                      model.BalanceCounts(),
                                      220,
                                      200,
                                      position(TTroughModel::Barrier2),
                                      0x0102,
                                      model.BalanceCounts(),
                                      0x0304,
                                      position(TTroughModel::Doser),
                                      position(TTroughModel::RotatingBarrier),
                                      position(TTroughModel::Tape),
                                      position(TTroughModel::Revolver),
                                      position(TTroughModel::DipperRotator),
                                      position(TTroughModel::Pump)};
    std::string Body = "IINF";
    for (std::uint32_t F : Fields) Body += " " + Hex8(F);
    return Body;
}
