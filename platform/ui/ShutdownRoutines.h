// Routines that run while the application object is being destroyed: after the message
// loop and the windows are gone, but while the platform (files, settings) still works.
// Objects of static lifetime that must write something at exit use this instead of their
// destructors, which run after the platform has been torn down.
#pragma once

using TShutdownRoutine = void (*)();

// Each routine runs once; adding one that is already waiting does not add it again.
void AddShutdownRoutine(TShutdownRoutine Routine);
void RemoveShutdownRoutine(TShutdownRoutine Routine);
