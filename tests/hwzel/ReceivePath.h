// The receive path in memory: bytes into the splitter, checksum and dispatch of a link,
// exactly as the port's receive thread feeds them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include "tests/support/TestSupport.h"
#include "hwzel/ZelComLink.h"
#include "platform/serial/ComPort.h"

class TReceivePath {
public:
    TReceivePath()
    {
        Splitter.StartString = "@";
        Splitter.StopString = "$";
        Splitter.CaseInsensitive = true;
        Splitter.MaxBufferSize = 20480;
        Splitter.OnPacket = [this](TObject* Sender, const std::string& Text) {
            ++Packets;
            Link.PacketReceived(Sender, Text);
        };
    }
    void Feed(const std::uint8_t* Data, std::size_t Size)
    {
        Splitter.HandleData(reinterpret_cast<const char*>(Data), Size);
    }
    void Feed(const std::string& Bytes) { Splitter.HandleData(Bytes.data(), Bytes.size()); }

    TZelComLink Link;
    TComDataPacket Splitter;
    std::size_t Packets = 0;
};

// A packet as the instrument frames it.
inline std::string InstrumentPacket(const std::string& Body) { return "@" + SumDigits(Body) + Body + "$"; }
