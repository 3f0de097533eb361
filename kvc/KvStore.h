// The one rule of every published property's setter: compare, store, and tell the caller
// whether anything changed (it then reports the change).
#pragma once

namespace KVC {

template <class T>
bool Store(T& Field, const T& Value)
{
    if (Field == Value) return false;
    Field = Value;
    return true;
}

}  // namespace KVC
