// Fuzz entry for the register file's reader: any bytes give either records that write
// back to bytes reading as the same records, or no records and a reason.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#include "platform/regtable/RegTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, size_t Size)
{
    const std::string Bytes(reinterpret_cast<const char*>(Data), Size);
    std::vector<TRegRecord> Records;
    std::string Error;
    const bool Ok = TRegTable::Decode(Bytes, Records, Error);
    if (Ok != Error.empty()) std::abort();
    if (!Ok) return 0;
    std::vector<TRegRecord> Again;
    if (!TRegTable::Decode(TRegTable::Encode(Records), Again, Error) || Again.size() != Records.size()) std::abort();
    return 0;
}
