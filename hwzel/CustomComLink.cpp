#include "hwzel/CustomComLink.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include "hwzel/LinkTexts.h"
#include "platform/serial/ComPort.h"
#include "platform/base/IniFiles.h"
#include "platform/ui/Messages.h"

namespace {

constexpr char PortSection[] = "PortSettings";
constexpr char LogFileName[] = "./recivedData.log";
constexpr int PortBufferSize = 20480;

// "hh:nn:ss:zzz" of the local time of day.
std::string TimeOfDay()
{
    const auto Now = std::chrono::system_clock::now();
    const std::time_t Seconds = std::chrono::system_clock::to_time_t(Now);
    const auto Millis = std::chrono::duration_cast<std::chrono::milliseconds>(Now.time_since_epoch()).count() % 1000;
    std::tm Local{};
    if (const std::tm* Tm = std::localtime(&Seconds)) Local = *Tm;
    char Text[16];
    std::snprintf(Text, sizeof Text, "%02d:%02d:%02d:%03d", Local.tm_hour, Local.tm_min, Local.tm_sec,
                  static_cast<int>(Millis));
    return Text;
}

}  // namespace

TCustomComLink::TCustomComLink() : FPort(std::make_unique<TComPort>()), FPacket(std::make_unique<TComDataPacket>())
{
    FPort->SyncMethod = smNone;
    FPort->InBufSize = PortBufferSize;
    FPort->OutBufSize = PortBufferSize;
    FPort->TriggersOnRxChar = false;
    FPacket->CaseInsensitive = true;
    FPacket->IncludeStrings = false;
    FPacket->MaxBufferSize = PortBufferSize;
    FPacket->StartString = "@";
    FPacket->StopString = "$";
    FPacket->OnPacket = [this](TObject* Sender, const std::string& Text) { PacketReceived(Sender, Text); };
    FPacket->SetComPort(FPort.get());
    // A line lost while nothing is being sent would otherwise go unnoticed: the program
    // hears of it as of any other failed exchange.
    FPort->OnLineLost = [this] { PostNotify(hlnErrorText, reinterpret_cast<LPARAM>(LinkTexts::DeviceNotResponding)); };
}

TCustomComLink::~TCustomComLink() { Shutdown(); }

void TCustomComLink::Shutdown()
{
    if (FShutDown) return;
    FShutDown = true;
    if (FSenderThread) FSenderThread->Stop();
    SaveSettings();
    FPort->Close();
    FPacket->SetComPort(nullptr);
    std::lock_guard<std::mutex> Lock(FLogLock);
    FLogOpen = false;
    if (FLog.is_open()) FLog.close();
}

void TCustomComLink::SetSenderThread(std::unique_ptr<TCustomComPacketSenderThread> Thread)
{
    FSenderThread = std::move(Thread);
}

bool TCustomComLink::Connect()
{
    FPort->Open();
    return FPort->Connected();
}

void TCustomComLink::Disconnect() { FPort->Close(); }

bool TCustomComLink::IsConnected() { return FPort->Connected(); }

void TCustomComLink::SetNotifyTarget(HWND Wnd, UINT Msg)
{
    FNotifyMessage = Msg;
    FNotifyWindow = Wnd;
    if (FSenderThread) FSenderThread->SetNotifyTarget(Wnd, Msg);
}

void TCustomComLink::SetSettingsFile(int, const char* FileName) { FSettingsFile = FileName ? FileName : ""; }

void TCustomComLink::LoadSettings()
{
    if (FSettingsFile.empty()) return;
    TIniFile Ini(FSettingsFile);
    FPort->SetPort(Ini.ReadString(PortSection, "Port", "COM1"));
    FPort->BaudRate = Ini.ReadInteger(PortSection, "BaudRate", br9600);
    FPort->DataBits = Ini.ReadInteger(PortSection, "DataBits", dbEight);
    FPort->StopBits = Ini.ReadInteger(PortSection, "StopBits", sbOneStopBit);
    if (Ini.ReadBool(PortSection, "LogRecivedData", false)) {
        std::lock_guard<std::mutex> Lock(FLogLock);
        if (FLog.is_open()) FLog.close();
        FLog.clear();
        FLog.open(LogFileName, std::ios::out | std::ios::trunc);
        FLogOpen = FLog.is_open();
    }
}

void TCustomComLink::SaveSettings()
{
    if (FSettingsFile.empty()) return;
    TIniFile Ini(FSettingsFile);
    Ini.WriteString(PortSection, "Port", FPort->GetPort());
    Ini.WriteInteger(PortSection, "BaudRate", FPort->BaudRate);
    Ini.WriteInteger(PortSection, "DataBits", FPort->DataBits);
    Ini.WriteInteger(PortSection, "StopBits", FPort->StopBits);
}

int TCustomComLink::SendCommand(std::string Line, void* Result, int ResultSize)
{
    if (!FSenderThread) return 1;
    const bool LineWasUp = FPort->Connected() && !FPort->LineLost();
    std::shared_ptr<TReplySlot> Slot;
    if (Result) Slot = std::make_shared<TReplySlot>(Result, ResultSize);
    FSenderThread->QueueCommand(TQueuedLine{std::move(Line), Slot});
    if (!Slot) return 1;
    // A plain wait: conversion questions of the sender thread are answered afterwards.
    const bool Released = Slot->Done.WaitFor(ReplyTimeoutMs);
    TReplySlot::TState State;
    {
        std::lock_guard<std::mutex> Lock(Slot->Lock);
        Slot->Detached = true;
        State = Slot->State;
    }
    // A line lost during the wait has been reported by the port already.
    const bool LostMeanwhile = LineWasUp && FPort->LineLost();
    if ((!Released || State == TReplySlot::Failed || State == TReplySlot::Pending) && !LostMeanwhile)
        PostNotify(hlnErrorText, reinterpret_cast<LPARAM>(LinkTexts::DeviceNotResponding));
    return 1;
}

bool TCustomComLink::RunScript(const TScriptStrings* Script)
{
    if (!Script || Script->empty() || !FSenderThread) return false;
    TScriptStrings Copy = *Script;
    // Lines from text with CR LF ends keep their CR; it is no part of a command.
    for (std::string& Line : Copy)
        if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    FSenderThread->QueueScript(std::move(Copy));
    return true;
}

void TCustomComLink::AbortScript()
{
    if (FSenderThread) FSenderThread->Abort();
}

void TCustomComLink::RegisterInfoHandler(const std::string& Kind, TRCmdHandler Handler)
{
    FInfoHandlers.push_back(TRCmdData{Kind, std::move(Handler)});
}

void TCustomComLink::RegisterMessageHandler(const std::string& Code, TRCmdHandler Handler)
{
    FMessageHandlers.push_back(TRCmdData{Code, std::move(Handler)});
}

void TCustomComLink::PostNotify(std::uint32_t Code, LPARAM Payload)
{
    const HWND Wnd = FNotifyWindow;
    if (Wnd) PostMessage(Wnd, FNotifyMessage, Code, Payload);
}

void TCustomComLink::PacketReceived(TObject*, const std::string& Text)
{
    LogToMonitor(LinkTexts::ReceivedPrefix, Text);
    LogToFile(Text);
    const char* Body = nullptr;
    std::size_t Length = 0;
    if (CheckPacket(Text, &Body, &Length)) {
        DispatchPacket(Body, Length);
        return;
    }
    LogToMonitor(LinkTexts::CheckSumPrefix, Text);
    LogToFile(LinkTexts::CheckSumPrefix + Text);
    // A spoiled acknowledgement still answered one attempt; it must not leave the count
    // of answers owed one short.
    if (FSenderThread && Text.size() > 2 && (Text[2] == 'K' || Text[2] == 'k'))
        FSenderThread->SpoiledAcknowledgementReceived();
}

void TCustomComLink::DispatchPacket(const char* Body, std::size_t Length)
{
    const TBodyKind Kind = BodyKind(Body, Length);
    if (Kind == TBodyKind::Acknowledge) {
        if (!FSenderThread) return;
        const bool Positive = Length >= 4 && Body[1] == 'O' && Body[2] == 'K' && Body[3] == '!';
        FSenderThread->AcknowledgeReceived(Positive, Body + 4, static_cast<int>(Length) - 4);
        return;
    }
    if (Kind != TBodyKind::Info && Kind != TBodyKind::Message) return;
    // Info kinds have three characters, message codes two and a skipped blank.
    const std::size_t KeyLength = Kind == TBodyKind::Info ? 3 : 2;
    const TRCmdVector& Table = Kind == TBodyKind::Info ? FInfoHandlers : FMessageHandlers;
    const std::string Key(Body + 1, std::min(KeyLength, Length - 1));
    for (const TRCmdData& Entry : Table) {
        if (Entry.Key != Key) continue;
        TRCmdEventDetails Details;
        Details.Text = Length > 4 ? Body + 4 : Body + Length;
        Details.Length = Length > 4 ? Length - 4 : 0;
        Details.SplitFields();
        Entry.Handler(Details);
        return;
    }
}

void TCustomComLink::LogToMonitor(const char* Prefix, const std::string& Text)
{
    if (!FMonitorAttached) return;
    TResGuard::TGuard Guard(FMonitorLock);
    if (FMonitorSink) FMonitorSink(Prefix, Text);
}

void TCustomComLink::SetMonitorSink(TMonitorSink Sink)
{
    TResGuard::TGuard Guard(FMonitorLock);
    FMonitorSink = std::move(Sink);
    FMonitorAttached = static_cast<bool>(FMonitorSink);
}

void TCustomComLink::LogToFile(const std::string& Text)
{
    if (!FLogOpen) return;
    std::lock_guard<std::mutex> Lock(FLogLock);
    if (!FLog.is_open()) return;
    FLog << '[' << TimeOfDay() << "] " << Text << '\n';
    FLog.flush();
}
