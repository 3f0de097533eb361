// The script statements without an instrument word of their own: pauses (with the
// revolver rocking of the mechanical activation), delays, and the values and texts a
// script hands to the program's script window. They run on the sender thread as words
// of its command table, in direct lines as in script lines.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include "hwzel/ZelCommandTable.h"
#include "platform/base/Types.h"

class TZelComPacketSenderThread;
class TZelCommandSet;
class TScriptPrognosis;

// Values passed to the program by address stay put until many newer ones of their kind
// came, so a notice is never read after its value was overwritten.
template <typename T, std::size_t N = 256>
class TPayloadRing {
public:
    const T* Put(T Value)
    {
        FNext = (FNext + 1) % N;
        FItems[FNext] = std::move(Value);
        return &FItems[FNext];
    }

private:
    std::array<T, N> FItems{};
    std::size_t FNext = 0;
};

class TScriptStatements {
public:
    TScriptStatements(TZelComPacketSenderThread& Thread, TZelCommandSet& Set, TScriptPrognosis& Prognosis);
    // Binds the statements to their words of the command table.
    void Install(const std::shared_ptr<TScriptStatements>& Self);

    bool Pause(const std::string& Line, int Position, const TZelWord& Word);
    bool Delay(const std::string& Line, int Position, const TZelWord& Word);
    bool MechActivaton(const std::string& Line, int Position, const TZelWord& Word);
    bool PlateArea(const std::string& Line, int Position, const TZelWord& Word);
    bool DipperHeight(const std::string& Line, int Position, const TZelWord& Word);
    bool Info(const std::string& Line, int Position, const TZelWord& Word);
    bool Label(const std::string& Line, int Position, const TZelWord& Word);

private:
    bool ReadSeconds(const std::string& Line, int Position, const TZelWord& Word, std::int32_t& Seconds);
    void CountDown(std::int32_t Seconds);
    void Rock(std::int32_t Seconds);
    void MechActivationStep(bool Done);
    bool TurnRevolver(std::uint8_t Direction, std::uint32_t Steps);
    // Sleeps up to the tick count Until (wrapping), looking at the abort every few ms.
    bool SleepUntil(std::uint32_t Until);
    bool MayGoOn();
    void Post(std::uint32_t Code, LPARAM Payload);
    bool PostNumber(std::uint32_t Code, TPayloadRing<double>& Ring, const std::string& Text);
    void PostDecodeError();

    TZelComPacketSenderThread& FThread;
    TZelCommandSet& FSet;
    TScriptPrognosis& FPrognosis;

    // Amplitude armed for the next carried-out pause (0: no rocking), and where the
    // rocking revolver stands: 0 centre, -1 one amplitude clockwise, 1 the other side.
    std::int32_t FActivationSteps = 0;
    std::int32_t FActivationSide = 0;
    TPayloadRing<double> FPlateArea;
    TPayloadRing<double> FDipperHeight;
    TPayloadRing<std::string> FInfoText;
    TPayloadRing<std::string> FLabelText;
};

// Creates the statements and the prognosis of the thread and binds them to its command
// table; called once, before the thread runs its first line.
void InstallScriptStatements(TZelComPacketSenderThread& Thread);
