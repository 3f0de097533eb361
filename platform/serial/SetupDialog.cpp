// The port's set-up: the window layer's dialog, or a test's interceptor in its place.
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/serial/ComPort.h"
#include "platform/serial/SetupDialog.h"

namespace {
TComSetupInterceptor& Interceptor()
{
    static TComSetupInterceptor Hook;
    return Hook;
}

TComSetupInterceptor& SetupDialog()
{
    static TComSetupInterceptor Dialog;
    return Dialog;
}
}  // namespace

void SetComSetupDialog(TComSetupInterceptor Dialog) { SetupDialog() = std::move(Dialog); }

TComSetupInterceptor SetComSetupInterceptor(TComSetupInterceptor Hook)
{
    TComSetupInterceptor Previous = std::move(Interceptor());
    Interceptor() = std::move(Hook);
    return Previous;
}

std::vector<std::string> SerialDevices(const std::string& Folder)
{
    std::vector<std::string> Devices;
    std::error_code Error;
    for (const auto& Entry : std::filesystem::directory_iterator(Folder, Error)) {
        const std::string Name = Entry.path().filename().string();
        for (const char* Prefix : {"ttyS", "ttyUSB", "ttyACM"})
            if (Name.rfind(Prefix, 0) == 0 && Name.size() > std::string(Prefix).size())
                Devices.push_back(Entry.path().string());
    }
    // ttyS2 before ttyS10: by prefix, then by number.
    auto Key = [](const std::string& Path) {
        const std::string Name = std::filesystem::path(Path).filename().string();
        const std::size_t Digits = Name.find_first_of("0123456789");
        return std::make_pair(Name.substr(0, Digits),
                              Digits == std::string::npos ? 0L : std::strtol(Name.c_str() + Digits, nullptr, 10));
    };
    std::sort(Devices.begin(), Devices.end(),
              [&](const std::string& A, const std::string& B) { return Key(A) < Key(B); });
    return Devices;
}

void TComPort::ShowSetupDialog()
{
    TComSetupChoice Choice{GetPort(), BaudRate, DataBits, StopBits};
    bool Accepted = false;
    if (Interceptor())
        Accepted = Interceptor()(Choice);
    else if (SetupDialog())
        Accepted = SetupDialog()(Choice);
    if (!Accepted) return;
    SetPort(Choice.Port);
    BaudRate = Choice.BaudRate;
    DataBits = Choice.DataBits;
    StopBits = Choice.StopBits;
}
