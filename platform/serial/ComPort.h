// The serial line: a port over the system's terminal interface in raw mode with its own
// receive thread, and a packet splitter that cuts the received stream into packets
// framed by a start and a stop string. Events of both run on the receive thread.
#pragma once
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>
#include "platform/base/Types.h"

class EComPort : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Enumeration indexes as settings files store them.
enum TBaudRate {
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
// How events reach their handlers; only "none" (on the receive thread) is offered.
enum TSyncMethod { smThreadSync, smWindowSync, smNone };

// Baud rate of an enumeration index; 0 for brCustom or an index out of range.
int BaudRateValue(int Index);

// "COMn" names the system's n-th serial device; any other name is a device path.
std::string ComPortDevicePath(const std::string& Name);

class TComDataPacket;

class TComPort : public TObject {
public:
    TComPort();
    ~TComPort() override;
    TComPort(const TComPort&) = delete;
    TComPort& operator=(const TComPort&) = delete;

    // Settings take effect at the next Open.
    std::string GetPort() const;
    void SetPort(const std::string& Name);
    int BaudRate = br9600;
    int DataBits = dbEight;
    int StopBits = sbOneStopBit;
    int SyncMethod = smNone;
    int InBufSize = 1024;
    int OutBufSize = 1024;
    bool TriggersOnRxChar = true;

    // Opens the device in raw mode and starts the receive thread; EComPort on failure.
    void Open();
    // Stops the receive thread and closes the device; may be called from any thread.
    void Close();
    bool Connected() const { return FConnected.load(); }
    // True once the peer hung up or the line failed while the port was open; a loss seen
    // by the receive thread closes the port at once.
    bool LineLost() const { return FLineLost.load(); }

    // Writes the whole buffer; the count written, or -1 when the port is closed or the
    // line fails. Safe from any thread; writes do not interleave.
    int Write(const void* Buffer, int Count);

    // Modal set-up dialog for name, rate, data and stop bits; applies the choice.
    void ShowSetupDialog();

    // Received bytes, on the receive thread, before any packet splitter sees them.
    std::function<void(const char* Data, std::size_t Count)> OnRxBuf;
    // Called once per opening when the line is lost without Close being asked for: on the
    // receive thread when the peer hangs up or the line fails (before the port closes
    // itself), or in Write when a write fails. It must not call back into the port.
    // Set it before Open.
    std::function<void()> OnLineLost;

private:
    friend class TComDataPacket;
    void AddPacket(TComDataPacket* Packet);
    void RemovePacket(TComDataPacket* Packet);
    void ReceiveLoop(int Fd, int WakeFd);
    void LoseLine();
    // Marks the line lost and tells OnLineLost the first time.
    void MarkLineLost();

    mutable std::mutex FSettingsLock;
    std::string FPort = "COM1";

    std::mutex FOpenLock;    // open, close and write
    std::mutex FPacketLock;  // the splitter list, also held while data are handed over
    std::vector<TComDataPacket*> FPackets;
    int FFd = -1;
    int FWakePipe[2] = {-1, -1};
    std::thread FReceiver;
    std::atomic<bool> FConnected{false};
    std::atomic<bool> FLineLost{false};
};

// Cuts the byte stream of a port into packets. Bytes outside a start and stop string
// are dropped; a start string seen again before the stop string restarts the packet,
// so stray bytes in front of a packet never spoil it.
class TComDataPacket : public TObject {
public:
    TComDataPacket() = default;
    ~TComDataPacket() override;
    TComDataPacket(const TComDataPacket&) = delete;
    TComDataPacket& operator=(const TComDataPacket&) = delete;

    bool CaseInsensitive = false;
    bool IncludeStrings = false;
    std::size_t MaxBufferSize = 1024;
    std::string StartString;
    std::string StopString;

    void SetComPort(TComPort* Port);
    TComPort* GetComPort() const { return FPort; }

    // Called once per packet with the packet's text.
    std::function<void(TObject* Sender, const std::string& Str)> OnPacket;
    // Called with bytes dropped because the buffer limit was reached without a stop string.
    std::function<void(TObject* Sender, const std::string& Str)> OnDiscard;

    // Feeds received bytes; used by the port's receive thread (and by tests).
    void HandleData(const char* Data, std::size_t Count);
    void ResetBuffer();

private:
    friend class TComPort;
    bool Matches(const std::string& Pattern, std::size_t At) const;
    // True when the bytes from At to the end are the first bytes of the start string.
    bool EndsInStartOf(std::size_t At) const;
    TComPort* FPort = nullptr;
    std::string FBuffer;
    bool FInPacket = false;
};
