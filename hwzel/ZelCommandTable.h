// The instrument's command language as data: every word in match order, with the
// packet it sends (group and item), the form of its value, the conversion code a script
// value goes through, and what the word does beyond its kind. The sender thread
// registers its handlers from this table; the emulator and the traffic monitor read it
// to name the word of a packet.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// What a word's handler does.
enum class TWordAction : std::uint8_t {
    Cycle,           // TITLE, REPEAT, ENDREPEAT: the runner's own statements
    Setter,          // reads its value, sends group item value
    ValueQuery,      // asks one 32-bit value
    FourQuery,       // asks four 32-bit values
    TextQuery,       // asks a text
    Move,            // verb with a value: a drive, rotation or pump move
    Bare,            // verb without a value: group item 00000000
    Process,         // group 06: group item, no value
    ClbCoeff,        // four hex values at fixed places
    MoveToPressure,  // 05 0A with the pressure, then 06 03
    MoveToCell,      // turns rotator and revolver to a cell
    ExecuteCommand,  // switches between real and dry run
    CalcPrognosis,   // attaches the prognosis record
    LevelOnly,       // reads its value and has no other effect
    Statement,       // a script statement without a packet of its own
};

// How the value after the word is read.
enum class TValueForm : std::uint8_t {
    None,
    Hex,        // hexadecimal in every line
    Integer,    // decimal integer in every line
    Converted,  // decimal plus a conversion request in a script line, hex in a direct line
    Number,     // decimal number, no conversion request
    Text,       // the rest of the line
};

// Which prognosis speed a setter stores.
enum class TSpeedStore : std::uint8_t { None, Barrier1, Barrier2, Dipper, Doser, Rotation };

// What a word changes in the prognosis record.
enum class TPrognosisEffect : std::uint8_t {
    None,
    Barrier1Plus,
    Barrier1Minus,
    Barrier2Plus,
    Barrier2Minus,
    DipperPlus,
    DipperMinus,
    DoserPlus,
    DoserMinus,
    RotatorPlus,
    RotatorMinus,
    RevolverPlus,
    RevolverMinus,
    Cell,
    Pause,
    Delay,
};

enum TWordFlags : std::uint8_t {
    wfNone = 0,
    wfSentInDryRun = 1,  // the packet goes out also while commands are not carried out
    wfAlias = 2,         // shares handler and packet with a twin registered later
};

struct TZelWord {
    const char* Word;
    TWordAction Action;
    std::uint8_t Group;
    std::uint8_t Item;
    TValueForm Form;
    std::uint32_t Code;  // conversion code of a script value; 0 when none
    std::uint8_t Flags;
    TSpeedStore Speed;
    TPrognosisEffect Prognosis;
};

// Packet groups and items that the handlers treat specially.
namespace ZelPacket {
constexpr std::uint8_t GroupQuery = 0x02;
constexpr std::uint8_t GroupDrive = 0x03;
constexpr std::uint8_t GroupIsotherm = 0x05;
constexpr std::uint8_t GroupProcess = 0x06;
constexpr std::uint8_t GroupRotator = 0x0A;
constexpr std::uint8_t GroupRevolver = 0x0B;
constexpr std::uint8_t ItemProcessStop = 0x00;     // group 06: stops the process (and an aborted script)
constexpr std::uint8_t ItemMoveToPressure = 0x03;  // group 06, second packet of BarrierMoveToPressure
constexpr std::uint8_t ItemPressureTarget = 0x0A;  // group 05, its first packet
}  // namespace ZelPacket

constexpr std::size_t ZelWordCount = 217;
extern const TZelWord ZelWords[ZelWordCount];

// The entry of a word (compared without regard to case); null when it is not a word.
const TZelWord* FindZelWord(const std::string& Word);

// The word a packet stands for: group and item, and whether the payload carries a
// value (queries and process words do not). Twins give the word that is not an alias;
// a turn by 0 of the rotator or revolver gives its stop word. Null when unknown.
const TZelWord* FindZelWordByPacket(std::uint8_t Group, std::uint8_t Item, bool HasValue, std::uint32_t Value);

// Payload texts, as the instrument expects them.
int FormatValuePayload(char* Out, std::size_t Size, std::uint8_t Group, std::uint8_t Item, std::uint32_t Value);
int FormatBarePayload(char* Out, std::size_t Size, std::uint8_t Group, std::uint8_t Item);
int FormatFourPayload(char* Out, std::size_t Size, std::uint8_t Group, std::uint8_t Item,
                      const std::uint32_t Values[4]);
