// Fuzz entry for the packet splitter: for start and stop strings of every kind (stop
// inside start included), the packets of a stream do not depend on how it is sliced
// into reads. The first byte picks the strings, the second the slicing.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#include "platform/serial/ComPort.h"

namespace {

struct TFraming {
    const char* Start;
    const char* Stop;
};
const TFraming Framings[] = {{"@", "$"}, {"a$b", "$"}, {"<$>", "$"}, {"@@", "@"}, {"", "$"}, {"ab", "ba"}};

std::vector<std::string> Packets(const TFraming& F, const std::string& Stream, std::size_t Step, bool CaseInsensitive)
{
    TComDataPacket Splitter;
    Splitter.StartString = F.Start;
    Splitter.StopString = F.Stop;
    Splitter.CaseInsensitive = CaseInsensitive;
    Splitter.MaxBufferSize = 1 << 20;
    std::vector<std::string> Got;
    Splitter.OnPacket = [&](TObject*, const std::string& Text) { Got.push_back(Text); };
    for (std::size_t At = 0; At < Stream.size(); At += Step)
        Splitter.HandleData(Stream.data() + At, std::min(Step, Stream.size() - At));
    return Got;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, size_t Size)
{
    if (Size < 2) return 0;
    const TFraming& F = Framings[Data[0] % (sizeof Framings / sizeof Framings[0])];
    const bool CaseInsensitive = Data[0] & 0x80;
    const std::size_t Step = 1 + Data[1] % 16;
    const std::string Stream(reinterpret_cast<const char*>(Data + 2), Size - 2);
    if (Packets(F, Stream, Step, CaseInsensitive) != Packets(F, Stream, Stream.size() + 1, CaseInsensitive))
        std::abort();
    return 0;
}
