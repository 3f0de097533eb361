// The instrument's link: the device-state and point records filled from info packets,
// the handlers of info and message packets, and the two local lines of SendCommand.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include "hwzel/CustomComLink.h"
#include "hwzel/ZelComPacketSenderThread.h"

// Records go to the program by address and are read there later, while newer packets
// keep arriving. Each packet therefore fills the next record of a ring, starting from a
// copy of the last one, so a record is not touched again until many newer ones came.
template <typename T, std::size_t N = 256>
class TRecordRing {
public:
    TRecordRing() = default;
    // The record to fill for the next packet, holding the values of the last one.
    T& Next()
    {
        const std::size_t Last = FLast.load(std::memory_order_relaxed);
        const std::size_t Index = (Last + 1) % N;
        FRecords[Index] = FRecords[Last];
        FPending = Index;
        return FRecords[Index];
    }
    // Makes the record from Next the last one; its address for the notification. The
    // index is published after the record is filled, so that another thread (the sender's
    // cell move) that reads the last record sees it whole.
    const T* Commit()
    {
        FLast.store(FPending, std::memory_order_release);
        return &FRecords[FPending];
    }
    const T& Last() const { return FRecords[FLast.load(std::memory_order_acquire)]; }

private:
    std::array<T, N> FRecords{};
    std::atomic<std::size_t> FLast{0};
    std::size_t FPending = 0;
};

class TZelComLink : public TCustomComLink {
public:
    TZelComLink();
    ~TZelComLink() override;

    void LoadSettings() override;
    int SendCommand(std::string Line, void* Result, int ResultSize) override;

    // Creates the traffic monitor window on first use and shows it.
    void ShowTrafficMonitor();

    TZelComPacketSenderThread* Thread() const { return FThread; }
    // The last values, as the receive thread left them (the receive thread, the sender's
    // cell move and tests read them).
    const TDeviceState& DeviceState() const { return FDeviceState.Last(); }

private:
    void RegisterReceiveHandlers();
    bool InfoDeviceState(const TRCmdEventDetails& D);
    bool InfoDeviceStateRotator(const TRCmdEventDetails& D);
    bool InfoCylBalance(const TRCmdEventDetails& D);
    bool InfoIsotherm(const TRCmdEventDetails& D);
    bool InfoDeposition(const TRCmdEventDetails& D);
    bool InfoTape(const TRCmdEventDetails& D);
    bool InfoRoll(const TRCmdEventDetails& D);
    bool InfoDisk(const TRCmdEventDetails& D);
    bool InfoCyl(const TRCmdEventDetails& D);
    bool InfoTdar(const TRCmdEventDetails& D);
    bool InfoFilmPrep(const TRCmdEventDetails& D);

    TZelComPacketSenderThread* FThread = nullptr;  // owned by the base
    TRecordRing<TDeviceState> FDeviceState;
    TRecordRing<TIsothermPoint> FIsothermPoint;
    TRecordRing<TDepositionPoint> FDepositionPoint;
    TRecordRing<TTapePoint> FTapePoint;
    TRecordRing<TRollPoint> FRollPoint;
    TRecordRing<TDiskPoint> FDiskPoint;
    TRecordRing<TCylPoint> FCylPoint;
    TRecordRing<TTdarPoint> FTdarPoint;
    TRecordRing<TFilmPrepPoint> FFilmPrepPoint;
};
