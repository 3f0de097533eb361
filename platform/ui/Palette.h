// The component palette: the classes a library offers, by page, each with a factory that
// makes a live component. Registering a class name again replaces its entry.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include "platform/ui/Controls.h"

struct TComponentClass {
    std::string Name;
    std::function<TComponent*(TComponent* Owner)> Create;
};

struct TPaletteEntry {
    std::string Page;
    TComponentClass Class;
};

void RegisterComponents(const std::string& Page, const std::vector<TComponentClass>& Classes);
const std::vector<TPaletteEntry>& PaletteEntries();

// Makes the factory of a class that is built from its owner alone.
template <class T>
TComponentClass ComponentClass(const char* Name)
{
    return {Name, [](TComponent* Owner) -> TComponent* { return new T(Owner); }};
}
