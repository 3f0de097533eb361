// The recording link: a stand-in for the device link library for tests of the program's
// side of the link (the hardware provider, the main window, notification routing, the
// manual windows). It is built as the run-time module "recordinglink.so" in the program
// folder, next to hwzel.so, and exports _CreateHardwareLink and _DestroyHardwareLink, so
// it is loaded exactly as the program loads the real link: through TCustomDLL from the
// program folder (RecordingLinkFolder()), or by naming it as the link library (HLFileName)
// in zel.ini.
//
// What it does:
// - records every call of the ten link operations, in order, with its arguments
//   (Calls(); the command lines alone with Lines());
// - answers queries: a reply set with SetReply for a line is copied into the caller's
//   result buffer, cut to the buffer's size, and the rest of the buffer is zero-filled,
//   as the real link delivers a text; a line without a reply leaves the buffer untouched,
//   as the real link does when the instrument stays silent;
// - OnSendCommand, when set, runs after every SendCommand has been recorded (outside the
//   lock), for tests that want the "instrument" to react to a line;
// - plays the instrument's side of the notification channel: PostNotify and SendNotify
//   deliver the notify message (WM_LINKNOTIFY) with a code and a payload to the window
//   given by SetNotifyTarget, through the platform's PostMessage and SendMessage;
//   SendNotifyFromThread sends from a worker thread, as the link's sender thread asks its
//   conversion and cycle questions, and blocks that thread until the GUI thread answers.
//
// Use in a test:
//   TRecordingLinkLibrary Library;            // loads recordinglink.so, makes a link
//   HlProvider.Link = Library.Link;
//   HlProvider.Barrier1Stop();
//   EXPECT_EQ(Library.Link->Lines(), std::vector<std::string>{"Barrier1Stop"});
// A link made by the program itself (zel.ini naming recordinglink.so as the link
// library) is reached with TRecordingLink::From(HlProvider.Link).
//
// The class is defined in full here, so that the module and the test programs run the
// same code on the one object the module made.
#pragma once
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <vector>
#include "hwzel/hwzel.h"
#include "platform/kvcls/kvcls.h"
#include "platform/ui/Messages.h"
#include "support/TestSupport.h"

constexpr const char* RecordingLinkFileName = "recordinglink.so";

// The ten operations of the link, in the interface's order.
enum class TLinkOperation {
    Connect,
    Disconnect,
    IsConnected,
    SetNotifyTarget,
    SetSettingsFile,
    LoadSettings,
    SaveSettings,
    SendCommand,
    RunScript,
    AbortScript,
};

// One recorded call; the fields that do not belong to the operation keep their defaults.
struct TLinkCall {
    explicit TLinkCall(TLinkOperation Op) : Operation(Op) {}

    TLinkOperation Operation;
    std::string Text;        // SendCommand: the line; SetSettingsFile: the path
    bool HasResult = false;  // SendCommand: a result buffer was given
    int ResultSize = 0;      // SendCommand: its size in bytes
    int Reserved = 0;        // SetSettingsFile: the integer argument
    HWND Window = 0;         // SetNotifyTarget
    UINT Message = 0;        // SetNotifyTarget
    TScriptStrings Script;   // RunScript: a copy of the lines (empty for null)
};

class TRecordingLink final : public IHardwareLink {
public:
    // What Connect reports (and IsConnected reports afterwards).
    bool ConnectResult = true;
    // Runs after each SendCommand has been recorded and answered.
    std::function<void(const std::string& Line, void* Result, int ResultSize)> OnSendCommand;

    static TRecordingLink* From(IHardwareLink* Link) { return static_cast<TRecordingLink*>(Link); }

    // IHardwareLink
    bool Connect() override
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        FCalls.emplace_back(TLinkOperation::Connect);
        FConnected = ConnectResult;
        return FConnected;
    }
    void Disconnect() override
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        FCalls.emplace_back(TLinkOperation::Disconnect);
        FConnected = false;
    }
    bool IsConnected() override
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        FCalls.emplace_back(TLinkOperation::IsConnected);
        return FConnected;
    }
    void SetNotifyTarget(HWND Wnd, UINT Msg) override
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        TLinkCall Call{TLinkOperation::SetNotifyTarget};
        Call.Window = Wnd;
        Call.Message = Msg;
        FCalls.push_back(Call);
        FNotifyWindow = Wnd;
        FNotifyMessage = Msg;
    }
    void SetSettingsFile(int Reserved, const char* FileName) override
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        TLinkCall Call{TLinkOperation::SetSettingsFile};
        Call.Reserved = Reserved;
        Call.Text = FileName ? FileName : "";
        FCalls.push_back(Call);
    }
    void LoadSettings() override { Record(TLinkOperation::LoadSettings); }
    void SaveSettings() override { Record(TLinkOperation::SaveSettings); }
    int SendCommand(std::string Line, void* Result, int ResultSize) override
    {
        {
            std::lock_guard<std::mutex> Lock(FMutex);
            TLinkCall Call{TLinkOperation::SendCommand};
            Call.Text = Line;
            Call.HasResult = Result != nullptr;
            Call.ResultSize = ResultSize;
            FCalls.push_back(Call);
            const auto Reply = FReplies.find(Line);
            if (Result && ResultSize > 0 && Reply != FReplies.end()) {
                const std::size_t Size = static_cast<std::size_t>(ResultSize);
                const std::size_t Count = Reply->second.size() < Size ? Reply->second.size() : Size;
                std::memcpy(Result, Reply->second.data(), Count);
                std::memset(static_cast<char*>(Result) + Count, 0, Size - Count);
            }
        }
        if (OnSendCommand) OnSendCommand(Line, Result, ResultSize);
        return 1;
    }
    bool RunScript(const TScriptStrings* Script) override
    {
        {
            std::lock_guard<std::mutex> Lock(FMutex);
            TLinkCall Call{TLinkOperation::RunScript};
            if (Script) Call.Script = *Script;
            FCalls.push_back(Call);
        }
        const bool Accepted = Script && !Script->empty() && !RefuseScripts;
        if (Accepted && OnRunScript) OnRunScript(*Script);
        return Accepted;
    }
    // Runs after every accepted RunScript has been recorded (outside the lock), for tests
    // that play the script engine's notices.
    std::function<void(const TScriptStrings& Script)> OnRunScript;
    // Refuse every script, as a link without a sender thread does.
    bool RefuseScripts = false;
    void AbortScript() override { Record(TLinkOperation::AbortScript); }

    // Records
    std::vector<TLinkCall> Calls() const
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        return FCalls;
    }
    // The lines of every SendCommand, in order.
    std::vector<std::string> Lines() const
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        std::vector<std::string> Result;
        for (const TLinkCall& Call : FCalls)
            if (Call.Operation == TLinkOperation::SendCommand) Result.push_back(Call.Text);
        return Result;
    }
    void ClearCalls()
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        FCalls.clear();
    }

    // Replies: the bytes a query line gets in its result buffer.
    void SetReply(const std::string& Line, const std::string& Bytes)
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        FReplies[Line] = Bytes;
    }
    template <typename TRecord>
    void SetReplyRecord(const std::string& Line, const TRecord& Record)
    {
        SetReply(Line, std::string(reinterpret_cast<const char*>(&Record), sizeof Record));
    }
    void ClearReplies()
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        FReplies.clear();
    }

    // Connection state as a test wants it, without a recorded call.
    void SetConnected(bool Connected)
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        FConnected = Connected;
    }

    // The notification channel set by SetNotifyTarget.
    HWND NotifyWindow() const
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        return FNotifyWindow;
    }
    UINT NotifyMessage() const
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        return FNotifyMessage;
    }
    // False when no live notify window is set.
    bool PostNotify(WPARAM Code, LPARAM Payload) const
    {
        return PostMessage(NotifyWindow(), NotifyMessage(), Code, Payload);
    }
    // The window's answer; 0 when no live notify window is set.
    LRESULT SendNotify(WPARAM Code, LPARAM Payload) const
    {
        return SendMessage(NotifyWindow(), NotifyMessage(), Code, Payload);
    }
    // Sends from a worker thread; the answer arrives once the GUI thread has handled the
    // message, so the test must keep the GUI thread handling messages until then.
    std::future<LRESULT> SendNotifyFromThread(WPARAM Code, LPARAM Payload) const
    {
        const HWND Wnd = NotifyWindow();
        const UINT Msg = NotifyMessage();
        return std::async(std::launch::async, [=] { return SendMessage(Wnd, Msg, Code, Payload); });
    }

private:
    void Record(TLinkOperation Operation)
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        FCalls.emplace_back(Operation);
    }

    mutable std::mutex FMutex;
    std::vector<TLinkCall> FCalls;
    std::map<std::string, std::string> FReplies;
    bool FConnected = false;
    HWND FNotifyWindow = 0;
    UINT FNotifyMessage = 0;
};

// The program folder that holds the module.
inline std::string RecordingLinkFolder() { return ProgramDir(); }

// Loads recordinglink.so from the program folder through TCustomDLL, as the program loads
// its link library, and makes one link with _CreateHardwareLink; destroys the link before
// the library goes. (A test program lives outside the program folder, so the module is
// named by its full path there.)
class TRecordingLinkLibrary {
public:
    TRecordingLinkLibrary()
    {
        Library.SetFileName(RecordingLinkFolder() + RecordingLinkFileName);
        const auto Create =
            reinterpret_cast<TCreateHardwareLinkFunc>(GetProcAddress(Library.Handle, CreateHardwareLinkName));
        FDestroy = reinterpret_cast<TDestroyHardwareLinkFunc>(GetProcAddress(Library.Handle, DestroyHardwareLinkName));
        if (Create) Link = TRecordingLink::From(Create());
    }
    ~TRecordingLinkLibrary()
    {
        if (Link && FDestroy) FDestroy(Link);
    }
    TRecordingLinkLibrary(const TRecordingLinkLibrary&) = delete;
    TRecordingLinkLibrary& operator=(const TRecordingLinkLibrary&) = delete;

    TCustomDLL Library;
    // Null when the module or its export could not be found (Library.LoadError() says why).
    TRecordingLink* Link = nullptr;

private:
    TDestroyHardwareLinkFunc FDestroy = nullptr;
};
