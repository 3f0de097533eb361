// Fuzz entry for whole scripts: every line of any text is matched against the command
// words and, where a word is found, its value is read and its payloads built as a
// script line would have them.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include "hwzel/CommandEncoding.h"
#include "hwzel/WireProtocol.h"
#include "hwzel/ZelCommandTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, size_t Size)
{
    const std::string Script(reinterpret_cast<const char*>(Data), Size);
    const TConversionRequest Request = [](std::uint32_t, double* Value) {
        return static_cast<std::int32_t>(*Value == *Value && *Value > -1e9 && *Value < 1e9 ? *Value : 0);
    };
    std::size_t Begin = 0;
    while (Begin <= Script.size()) {
        std::size_t End = Script.find('\n', Begin);
        if (End == std::string::npos) End = Script.size();
        const std::string Line = Script.substr(Begin, End - Begin);
        Begin = End + 1;
        // Every blank-separated token that names a word is tried at its place.
        std::size_t At = 0;
        while (At < Line.size()) {
            const std::size_t Stop = Line.find_first_of(" \t", At);
            const std::size_t Length = (Stop == std::string::npos ? Line.size() : Stop) - At;
            std::string Token = Line.substr(At, Length);
            if (const std::size_t Equals = Token.find('=', 1); Equals != std::string::npos && Equals + 1 < Token.size())
                Token.resize(Equals + 1);
            if (const TZelWord* Word = FindZelWord(Token)) {
                const TWordEncoding Encoding = EncodeWordLine(*Word, Line, static_cast<int>(At) + 1, true, Request);
                for (int i = 0; i < Encoding.Count && i < 2; ++i) {
                    char Packet[MaxPacketText + 1];
                    if (Encoding.Lengths[i] < 0 ||
                        static_cast<std::size_t>(Encoding.Lengths[i]) > sizeof Encoding.Payloads[i])
                        std::abort();
                    FormatPacket(Encoding.Payloads[i], Encoding.Lengths[i], Packet);
                }
            }
            At += Length + 1;
        }
    }
    return 0;
}
