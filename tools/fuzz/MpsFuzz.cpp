// Fuzz entry for the set-file reader: any bytes, with and without the checksum test,
// must give either a filled set or an empty set with a reason.
#include <cstdint>
#include <cstdlib>
#include <string>
#include "platform/filer/MpsFormat.h"
#include "platform/tabrix/SXDataSet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, size_t Size)
{
    for (bool VerifyChecksum : {false, true}) {
        TSXDataSet Set;
        std::string Error;
        bool Ok = Mps::DecodeSetImage(Data, Size, VerifyChecksum, Set, Error);
        if (Ok != Error.empty()) std::abort();
        if (!Ok && (Set.GetPropertyCount() != 0 || Set.GetAllFieldCount() != 0)) std::abort();
    }
    return 0;
}
