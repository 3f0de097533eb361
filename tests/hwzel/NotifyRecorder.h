// A window that records every link notification, copying each record or text while it
// handles the message, as the main window must.
#pragma once
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
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
        if (N.Code == hlnErrorText || N.Code == hlnTypeMismatch || N.Code == hlnScriptStatus)
            N.Text = static_cast<const char*>(P);
        else if (const std::size_t Size = RecordSize(N.Code); Size != 0)
            N.Record.assign(static_cast<const unsigned char*>(P), static_cast<const unsigned char*>(P) + Size);
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
    // The size of the record a code passes by address; 0 for a code without one.
    static std::size_t RecordSize(std::uint32_t Code)
    {
        static const std::pair<std::uint32_t, std::size_t> Sizes[] = {
            {hlnDeviceState, sizeof(TDeviceState)},     {hlnDeviceStateChanged, sizeof(TDeviceState)},
            {hlnIsothermPoint, sizeof(TIsothermPoint)}, {hlnDepositionPoint, sizeof(TDepositionPoint)},
            {hlnTapePoint, sizeof(TTapePoint)},         {hlnRollPoint, sizeof(TRollPoint)},
            {hlnDiskPoint, sizeof(TDiskPoint)},         {hlnCylPoint, sizeof(TCylPoint)},
            {hlnTdarPoint, sizeof(TTdarPoint)},         {hlnFilmPrepPoint, sizeof(TFilmPrepPoint)},
        };
        for (const auto& [code, size] : Sizes)
            if (code == Code) return size;
        return 0;
    }
};
