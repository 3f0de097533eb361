// Fuzz entry for whole scripts: every line of any text is matched against the command
// words and, where a word is found, its value is read and its payloads built as a
// script line would have them.
#include <cstdint>
#include <string>
#include "ScriptLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, size_t Size)
{
    const std::string Script(reinterpret_cast<const char*>(Data), Size);
    std::size_t Begin = 0;
    while (Begin <= Script.size()) {
        std::size_t End = Script.find('\n', Begin);
        if (End == std::string::npos) End = Script.size();
        ReadScriptLine(Script.substr(Begin, End - Begin));
        Begin = End + 1;
    }
    return 0;
}
