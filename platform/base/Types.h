// Basic window-system value types shared by every layer of the program.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

using UINT = unsigned int;
using DWORD = std::uint32_t;
using WPARAM = std::uintptr_t;  // pointer-wide: addresses travel in message parameters
using LPARAM = std::intptr_t;   // pointer-wide
using LRESULT = std::intptr_t;
using HWND = std::uintptr_t;  // 0 is "no window"; a handle is never reused

constexpr UINT WM_USER = 0x0400;

// Root of every object that can raise events.
class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;
