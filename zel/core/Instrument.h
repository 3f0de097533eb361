// The instrument's state as the windows see it: the last device state, the running
// process, and the program's own messages to the main window. Windows include this,
// not the main window's header.
#pragma once
#include "hwzel/hwzel.h"
#include "platform/ui/Dialogs.h"
#include "platform/base/Strings.h"
#include "zel/core/Common.h"

// Sent to the active child window to save its content; both parameters 0.
constexpr UINT WM_SAVE = 3026;
// A message box raised by the main window for another window: first parameter the address
// of a zero-terminated text that stays valid until the message is handled (a posted
// message needs a text of static storage), second the box type (0 warning, 1 error,
// 2 information, 3 confirmation).
constexpr UINT WM_SHOWMESSAGE = WM_USER + 2001;  // 3025

// The last device state the instrument reported (zeros until the first report).
extern TDeviceState DeviceState;

// Posts a text of static storage to the main window, which shows it in a box of the type;
// false when the main window does not exist.
bool PostShowMessage(const char* StaticText, TMsgDlgType Type);

// What the operator is told when a run ends because the line to the device went.
inline constexpr char LostLineFailureText[] = "Process failed: the connection to the device was lost.";

// The running process; pkNone without a main window.
TProcessKind RunningProcess();
// Records the running process: the process windows' STARTs follow it, and the
// simulation runs it when the program simulates; with pkNone the process panel names
// nothing. Nothing without a main window.
void SetProcess(TProcessKind Kind);
// The lines of the main window's process panel (a null list changes nothing).
void SetProcessList(const TStringList* List);
// One line in place of the process panel's lines ("cancelled" after a Stop).
void SetProcessText(const std::string& Text);
