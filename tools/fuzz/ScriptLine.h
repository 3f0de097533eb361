// The words of one script line, read as the link reads them: every blank-separated token
// that names a command word is tried at its place, its value read and its payloads built.
// Shared by the targets of script text in memory and of script files.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <string>
#include "hwzel/CommandEncoding.h"
#include "hwzel/WireProtocol.h"
#include "hwzel/ZelCommandTable.h"

inline void ReadScriptLine(const std::string& Line)
{
    const TConversionRequest Request = [](std::uint32_t, double* Value) {
        return static_cast<std::int32_t>(*Value == *Value && *Value > -1e9 && *Value < 1e9 ? *Value : 0);
    };
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
