// The port's set-up dialog, which the window layer installs: it opens with the port's
// settings, may change them, and answers true for OK or false for Cancel. Without one
// the settings stay as they are.
#pragma once
#include <functional>
#include <string>
#include <vector>

struct TComSetupChoice {
    std::string Port;
    int BaudRate;
    int DataBits;
    int StopBits;
};

using TComSetupInterceptor = std::function<bool(TComSetupChoice&)>;
void SetComSetupDialog(TComSetupInterceptor Dialog);

// Test access: an interceptor answers in the dialog's place.
// Installs (an empty function removes) the interceptor; returns the previous one.
TComSetupInterceptor SetComSetupInterceptor(TComSetupInterceptor Hook);

// The machine's serial devices the dialog offers: the entries ttyS*, ttyUSB* and ttyACM*
// of Folder, as full paths in name order (any other path may still be typed).
std::vector<std::string> SerialDevices(const std::string& Folder = "/dev");
