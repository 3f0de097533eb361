// The start-up sequence: settings, the program's windows in their fixed order, the
// message loop, and the windows' destruction in reverse order.
#pragma once

// Runs everything between the application object's creation and its end. An exception
// that escapes is shown in an error box; the function then returns.
void RunProgram();

// True while the program runs with every window of its start-up made.
bool ProgramStarted();

// A layer-by-layer set-up has no use for the deposition feedback and experiment set-up
// windows: with that device type they are hidden (the feedback window first), when they
// exist.
void HideWindowsOfDeviceType();
