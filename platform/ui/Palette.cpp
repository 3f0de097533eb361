#include "platform/ui/Palette.h"

#include <algorithm>

namespace {
std::vector<TPaletteEntry>& Entries()
{
    static std::vector<TPaletteEntry> entries;
    return entries;
}
}  // namespace

void RegisterComponents(const std::string& Page, const std::vector<TComponentClass>& Classes)
{
    std::vector<TPaletteEntry>& entries = Entries();
    for (const TComponentClass& item : Classes) {
        auto known = std::find_if(entries.begin(), entries.end(),
                                  [&](const TPaletteEntry& Entry) { return Entry.Class.Name == item.Name; });
        if (known != entries.end())
            *known = {Page, item};
        else
            entries.push_back({Page, item});
    }
}

const std::vector<TPaletteEntry>& PaletteEntries() { return Entries(); }
