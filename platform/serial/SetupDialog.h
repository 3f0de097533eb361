// Test access to the port's set-up dialog: an interceptor sees the settings the dialog
// would open with, may change them, and answers true for OK or false for Cancel.
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
// Installs (an empty function removes) the interceptor; returns the previous one.
TComSetupInterceptor SetComSetupInterceptor(TComSetupInterceptor Hook);

// The machine's serial devices the dialog offers: the entries ttyS*, ttyUSB* and ttyACM*
// of Folder, as full paths in name order (any other path may still be typed).
std::vector<std::string> SerialDevices(const std::string& Folder = "/dev");
