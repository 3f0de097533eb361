#include "platform/ui/ShutdownRoutines.h"

#include <QCoreApplication>

void AddShutdownRoutine(TShutdownRoutine Routine)
{
    if (!Routine) return;
    qRemovePostRoutine(Routine);
    qAddPostRoutine(Routine);
}

void RemoveShutdownRoutine(TShutdownRoutine Routine)
{
    if (Routine) qRemovePostRoutine(Routine);
}
