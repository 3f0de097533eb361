#include "platform/ui/SaveDialog.h"

#include <algorithm>
#include <cctype>
#include <vector>
#include "platform/ui/Dialogs.h"

namespace {

std::string Lower(std::string Text)
{
    std::transform(Text.begin(), Text.end(), Text.begin(), [](unsigned char c) { return std::tolower(c); });
    return Text;
}

// The extension of the file part of Name, without the dot; empty when it has none.
std::string ExtensionOf(const std::string& Name)
{
    const size_t slash = Name.find_last_of('/');
    const size_t dot = Name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return Name.substr(dot + 1);
}

std::vector<std::string> Split(const std::string& Text, char Separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = Text.find(Separator, start);
        parts.push_back(Text.substr(start, end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

}  // namespace

int TFileDialog::FilterOfName(const std::string& Name) const
{
    const std::string extension = Lower(ExtensionOf(Name));
    if (extension.empty()) return 0;
    const std::vector<std::string> parts = Split(Filter, '|');
    for (size_t i = 1; i < parts.size(); i += 2)
        for (const std::string& pattern : Split(parts[i], ';'))
            if (Lower(pattern) == "*." + extension) return static_cast<int>(i / 2) + 1;
    return 0;
}

bool TFileDialog::Execute()
{
    const auto chosen = FSave ? PromptForSaveFile(Title, Filter, InitialDir, FileName)
                              : PromptForOpenFile(Title, Filter, InitialDir, FileName);
    if (!chosen || chosen->empty()) return false;
    std::string name = *chosen;
    const int filter = FilterOfName(name);
    if (filter == 0 && ExtensionOf(name).empty() && !DefaultExt.empty()) name += "." + DefaultExt;
    FileName = name;
    if (filter != 0 && filter != FilterIndex) {
        FilterIndex = filter;
        if (OnTypeChange) OnTypeChange(this);
    }
    return true;
}
