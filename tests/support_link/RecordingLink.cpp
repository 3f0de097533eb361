// The recording link as a run-time module: the same two exports as the device link
// library, so the program and the tests load it the same way.
#include "support_link/RecordingLink.h"

extern "C" {

__attribute__((visibility("default"))) IHardwareLink* _CreateHardwareLink() { return new TRecordingLink; }

__attribute__((visibility("default"))) void _DestroyHardwareLink(IHardwareLink* Link)
{
    delete TRecordingLink::From(Link);
}
}
