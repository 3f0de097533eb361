// What the tool windows and the settings dialog ask of the main window, without its
// header. Each does nothing (or gives null) when the main window does not exist.
#pragma once
#include <string>

class TDockSite;
class TForm;
enum class TToolWindowKind;

// Hides the window menu's entry of a kind the connected device does not serve.
void HideViewAction(TToolWindowKind Kind);
// The dock area windows dock into at start.
TDockSite* MainDockArea();
// Shows the dock panel while a window is dragged, and fits it to what is docked after.
void ShowMainDockPanel();
void UpdateMainDockPanel();
// Loads the language file and applies it to every window.
void ChangeMainLanguage(const std::string& Path);
// The window the link's script notices go to while a script or its dry run runs; without
// one they are dropped (a cycle question then reads 0 and the cycle ends).
void SetScriptNoticeWindow(TForm* Window);
// Stops the notices going to Window, when they go there.
void ReleaseScriptNoticeWindow(TForm* Window);
