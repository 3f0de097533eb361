// A window that records every link notification, copying each record or text while it
// handles the message, as the main window must.
#pragma once
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>
#include "TestSupport.h"
#include "hwzel/hwzel.h"
#include "platform/ui/Application.h"
#include "platform/ui/Messages.h"

struct TNote {
    std::uint32_t Code = 0;
    LPARAM Payload = 0;
    std::string Text;                   // codes 0, 10, 103
    std::vector<unsigned char> Record;  // records passed by address
};

class TNotifyRecorder : public TMessageTarget {
public:
    std::vector<TNote> Notes;
    // Answer of the sent questions (code 104 and conversions); default 0.
    std::function<LRESULT(std::uint32_t Code, LPARAM Payload)> Answer;

    void WndProc(TMessage& M) override
    {
        if (M.Msg != WM_LINKNOTIFY) {
            TMessageTarget::WndProc(M);
            return;
        }
        TNote N;
        N.Code = static_cast<std::uint32_t>(M.WParam);
        N.Payload = M.LParam;
        const void* P = reinterpret_cast<const void*>(M.LParam);
        switch (N.Code) {
        case hlnErrorText:
        case hlnTypeMismatch:
        case hlnScriptStatus:
            N.Text = static_cast<const char*>(P);
            break;
        case hlnDeviceState:
        case hlnDeviceStateChanged:
            Copy<TDeviceState>(N, P);
            break;
        case hlnIsothermPoint:
            Copy<TIsothermPoint>(N, P);
            break;
        case hlnDepositionPoint:
            Copy<TDepositionPoint>(N, P);
            break;
        case hlnTapePoint:
            Copy<TTapePoint>(N, P);
            break;
        case hlnRollPoint:
            Copy<TRollPoint>(N, P);
            break;
        case hlnDiskPoint:
            Copy<TDiskPoint>(N, P);
            break;
        case hlnCylPoint:
            Copy<TCylPoint>(N, P);
            break;
        case hlnTdarPoint:
            Copy<TTdarPoint>(N, P);
            break;
        case hlnFilmPrepPoint:
            Copy<TFilmPrepPoint>(N, P);
            break;
        default:
            break;
        }
        M.Result = Answer ? Answer(N.Code, N.Payload) : 0;
        Notes.push_back(std::move(N));
    }

    std::vector<TNote> WithCode(std::uint32_t Code) const
    {
        std::vector<TNote> R;
        for (const TNote& N : Notes)
            if (N.Code == Code) R.push_back(N);
        return R;
    }
    bool WaitForCode(std::uint32_t Code, std::size_t Count = 1, unsigned TimeoutMs = ConditionWaitMs)
    {
        return Application->ProcessMessagesUntil([&] { return WithCode(Code).size() >= Count; }, TimeoutMs);
    }
    template <typename T>
    static T As(const TNote& N)
    {
        T R{};
        if (N.Record.size() == sizeof(T)) std::memcpy(&R, N.Record.data(), sizeof(T));
        return R;
    }

private:
    template <typename T>
    static void Copy(TNote& N, const void* P)
    {
        N.Record.resize(sizeof(T));
        std::memcpy(N.Record.data(), P, sizeof(T));
    }
};
