// The run-time module's exports, looked up by name by the program.
#include <new>
#include "hwzel/ZelComLink.h"

extern "C" __attribute__((visibility("default"))) IHardwareLink* _CreateHardwareLink()
{
    return new (std::nothrow) TZelComLink();
}

extern "C" __attribute__((visibility("default"))) void _DestroyHardwareLink(IHardwareLink* Link)
{
    delete static_cast<TZelComLink*>(Link);
}
