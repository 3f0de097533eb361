// Test access to the port's set-up dialog: an interceptor sees the settings the dialog
// would open with, may change them, and answers true for OK or false for Cancel.
#pragma once
#include <functional>
#include <string>

struct TComSetupChoice {
    std::string Port;
    int BaudRate;
    int DataBits;
    int StopBits;
};

using TComSetupInterceptor = std::function<bool(TComSetupChoice&)>;
// Installs (an empty function removes) the interceptor; returns the previous one.
TComSetupInterceptor SetComSetupInterceptor(TComSetupInterceptor Hook);
