// The protocol half of the device link: the serial port with its packet splitter, the
// sender thread, the routing of received packets to handlers by kind, the settings of
// the port and the received-data log. The instrument's link derives from it.
#pragma once
#include <atomic>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include "hwzel/CustomComPacketSenderThread.h"
#include "hwzel/WireProtocol.h"
#include "hwzel/hwzel.h"
#include "platform/kvcls/kvcls.h"

class TComPort;
class TComDataPacket;

// Receives the monitor's lines (prefix and text) on the thread that produced them.
using TMonitorSink = std::function<void(const std::string& Prefix, const std::string& Text)>;

class TCustomComLink : public IHardwareLink {
public:
    TCustomComLink();
    virtual ~TCustomComLink();
    TCustomComLink(const TCustomComLink&) = delete;
    TCustomComLink& operator=(const TCustomComLink&) = delete;

    bool Connect() override;
    void Disconnect() override;
    bool IsConnected() override;
    void SetNotifyTarget(HWND Wnd, UINT Msg) override;
    void SetSettingsFile(int Reserved, const char* FileName) override;
    void LoadSettings() override;
    void SaveSettings() override;
    int SendCommand(std::string Line, void* Result, int ResultSize) override;
    bool RunScript(const TScriptStrings* Script) override;
    void AbortScript() override;

    void RegisterInfoHandler(const std::string& Kind, TRCmdHandler Handler);
    void RegisterMessageHandler(const std::string& Code, TRCmdHandler Handler);

    // The splitter's packet event (receive thread): checksum, logs, dispatch.
    void PacketReceived(TObject* Sender, const std::string& Text);
    void DispatchPacket(const char* Body, std::size_t Length);

    void LogToMonitor(const char* Prefix, const std::string& Text);
    void LogToFile(const std::string& Text);
    // The traffic monitor attaches here; an empty sink detaches it.
    void SetMonitorSink(TMonitorSink Sink);

    TComPort* Port() const { return FPort.get(); }
    TCustomComPacketSenderThread* SenderThread() const { return FSenderThread.get(); }

    // How long a caller of SendCommand waits for its reply.
    static constexpr unsigned ReplyTimeoutMs = 10000;

protected:
    void PostNotify(std::uint32_t Code, LPARAM Payload);
    // Stops the sender thread and the receive thread; a derived link calls it first in
    // its destructor, since both threads use what the derived link owns.
    void Shutdown();
    void SetSenderThread(std::unique_ptr<TCustomComPacketSenderThread> Thread);
    const std::string& SettingsFile() const { return FSettingsFile; }

private:
    std::string FSettingsFile;
    std::unique_ptr<TComPort> FPort;
    std::unique_ptr<TComDataPacket> FPacket;
    std::unique_ptr<TCustomComPacketSenderThread> FSenderThread;
    TResGuard FMonitorLock;
    TMonitorSink FMonitorSink;
    // Checked before the locks, so the receive path pays nothing while no one listens.
    std::atomic<bool> FMonitorAttached{false};
    std::atomic<bool> FLogOpen{false};
    TRCmdVector FInfoHandlers;
    TRCmdVector FMessageHandlers;
    std::atomic<UINT> FNotifyMessage{0};
    std::atomic<HWND> FNotifyWindow{0};
    std::mutex FLogLock;
    std::ofstream FLog;
    bool FShutDown = false;
};
