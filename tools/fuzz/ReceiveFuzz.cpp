// Fuzz entry for the link's receive path: bytes from the line through the splitter,
// the checksum and the dispatch of acknowledgements, info and message packets.
#include <cstdint>
#include "tests/hwzel/ReceivePath.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, size_t Size)
{
    static TReceivePath* Path = new TReceivePath;  // one link for the whole run, as on the line
    Path->Feed(Data, Size);
    return 0;
}
