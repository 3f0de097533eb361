// Fuzz entry for script files (.zds): any file is read into lines by the script window's
// loader, each line's words read as the link reads them. The lines, written back as the
// window saves a script (each ended by CR LF), load again as the same lines.
#include <cstdint>
#include <cstdlib>
#include <string>
#include "FuzzFile.h"
#include "ScriptLine.h"
#include "platform/base/Strings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, size_t Size)
{
    TStringList Lines;
    if (!Lines.LoadFromFile(FuzzFile("zel_fuzz.zds", Data, Size))) std::abort();
    std::string Saved;
    for (const std::string& Line : Lines.Lines()) {
        if (Line.find_first_of("\r\n") != std::string::npos) std::abort();
        ReadScriptLine(Line);
        Saved += Line + "\r\n";
    }
    TStringList Again;
    const auto* Bytes = reinterpret_cast<const std::uint8_t*>(Saved.data());
    if (!Again.LoadFromFile(FuzzFile("zel_fuzz.zds", Bytes, Saved.size())) || Again.Lines() != Lines.Lines())
        std::abort();
    return 0;
}
