// Serial port over termios in raw mode. The receive thread waits in poll() on the device
// and on a wake-up pipe, so Close never waits for a byte to arrive.
#include "platform/serial/ComPort.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

const int BaudRates[] = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                         14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};

speed_t SpeedConstant(int Baud)
{
    switch (Baud) {
    case 110:
        return B110;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return 0;
    }
}

std::string SystemError(const std::string& What) { return What + ": " + std::strerror(errno); }

// How long one write may wait for room in the device's output buffer.
constexpr int WriteTimeoutMs = 2000;

}  // namespace

int BaudRateValue(int Index)
{
    if (Index < 0 || Index >= static_cast<int>(std::size(BaudRates))) return 0;
    return BaudRates[Index];
}

std::string ComPortDevicePath(const std::string& Name)
{
    if (Name.size() > 3 && (Name.compare(0, 3, "COM") == 0 || Name.compare(0, 3, "com") == 0)) {
        const std::string Digits = Name.substr(3);
        if (std::all_of(Digits.begin(), Digits.end(), [](unsigned char c) { return std::isdigit(c); }) &&
            Digits.size() < 6) {
            const int Number = std::stoi(Digits);
            if (Number >= 1) return "/dev/ttyS" + std::to_string(Number - 1);
        }
    }
    return Name;
}

TComPort::TComPort() = default;

TComPort::~TComPort()
{
    Close();
    std::lock_guard<std::mutex> Lock(FPacketLock);
    for (TComDataPacket* Packet : FPackets) Packet->FPort = nullptr;
}

std::string TComPort::GetPort() const
{
    std::lock_guard<std::mutex> Lock(FSettingsLock);
    return FPort;
}

void TComPort::SetPort(const std::string& Name)
{
    std::lock_guard<std::mutex> Lock(FSettingsLock);
    FPort = Name;
}

void TComPort::Open()
{
    std::lock_guard<std::mutex> Lock(FOpenLock);
    if (FConnected) return;
    const std::string Path = ComPortDevicePath(GetPort());
    const int Baud = BaudRateValue(BaudRate);
    const speed_t Speed = SpeedConstant(Baud);
    if (Speed == 0) throw EComPort("Baud rate index " + std::to_string(BaudRate) + " is not supported by port " + Path);
    if (DataBits < dbFive || DataBits > dbEight)
        throw EComPort("Data bits index " + std::to_string(DataBits) + " is not valid");
    if (StopBits < sbOneStopBit || StopBits > sbTwoStopBits)
        throw EComPort("Stop bits index " + std::to_string(StopBits) + " is not valid");

    const int Fd = ::open(Path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (Fd < 0) throw EComPort(SystemError("Cannot open port " + Path));

    termios Tio{};
    if (::tcgetattr(Fd, &Tio) != 0) {
        const std::string Message = SystemError("Port " + Path + " is not a serial device");
        ::close(Fd);
        throw EComPort(Message);
    }
    ::cfmakeraw(&Tio);
    Tio.c_cflag |= CLOCAL | CREAD;
    Tio.c_cflag &= ~CSIZE;
    static const tcflag_t Sizes[] = {CS5, CS6, CS7, CS8};
    Tio.c_cflag |= Sizes[DataBits];
    // One and a half stop bits do not exist here; the nearest setting is two.
    if (StopBits == sbOneStopBit)
        Tio.c_cflag &= ~CSTOPB;
    else
        Tio.c_cflag |= CSTOPB;
    Tio.c_cc[VMIN] = 1;
    Tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&Tio, Speed);
    ::cfsetospeed(&Tio, Speed);
    if (::tcsetattr(Fd, TCSANOW, &Tio) != 0) {
        const std::string Message = SystemError("Cannot set up port " + Path);
        ::close(Fd);
        throw EComPort(Message);
    }
    ::tcflush(Fd, TCIOFLUSH);

    if (::pipe2(FWakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        const std::string Message = SystemError("Cannot start the receive thread of " + Path);
        ::close(Fd);
        throw EComPort(Message);
    }
    {
        std::lock_guard<std::mutex> PacketLock(FPacketLock);
        for (TComDataPacket* Packet : FPackets) Packet->ResetBuffer();
    }
    FFd = Fd;
    FLineLost = false;
    FConnected = true;
    FReceiver = std::thread(&TComPort::ReceiveLoop, this, Fd, FWakePipe[0]);
}

void TComPort::Close()
{
    std::thread Receiver;
    int Fd, WakeRead, WakeWrite;
    {
        std::lock_guard<std::mutex> Lock(FOpenLock);
        if (FFd < 0) return;
        FConnected = false;
        Receiver = std::move(FReceiver);
        Fd = FFd;
        WakeRead = FWakePipe[0];
        WakeWrite = FWakePipe[1];
        FFd = -1;
        FWakePipe[0] = FWakePipe[1] = -1;
    }
    // Joined outside the lock: a packet handler on the receive thread may still write.
    const char Wake = 1;
    [[maybe_unused]] const ssize_t Written = ::write(WakeWrite, &Wake, 1);
    if (Receiver.joinable()) {
        // A handler of the receive thread that closes the port must not wait for itself.
        if (Receiver.get_id() == std::this_thread::get_id())
            Receiver.detach();
        else
            Receiver.join();
    }
    ::close(WakeRead);
    ::close(WakeWrite);
    ::close(Fd);
}

int TComPort::Write(const void* Buffer, int Count)
{
    std::lock_guard<std::mutex> Lock(FOpenLock);
    if (FFd < 0 || FLineLost || Count < 0) return -1;
    const char* Data = static_cast<const char*>(Buffer);
    int Done = 0;
    while (Done < Count) {
        const ssize_t N = ::write(FFd, Data + Done, static_cast<size_t>(Count - Done));
        if (N > 0) {
            Done += static_cast<int>(N);
            continue;
        }
        if (N < 0 && errno == EINTR) continue;
        if (N < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd P{FFd, POLLOUT, 0};
            const int R = ::poll(&P, 1, WriteTimeoutMs);
            if (R > 0 && !(P.revents & (POLLERR | POLLHUP))) continue;
        }
        MarkLineLost();
        return Done > 0 ? Done : -1;
    }
    return Done;
}

void TComPort::ReceiveLoop(int Fd, int WakeFd)
{
    char Buffer[4096];
    pollfd Fds[2] = {{Fd, POLLIN, 0}, {WakeFd, POLLIN, 0}};
    for (;;) {
        const int R = ::poll(Fds, 2, -1);
        if (R < 0) {
            if (errno == EINTR) continue;
            LoseLine();
            return;
        }
        if (Fds[1].revents) return;
        if (Fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t N = ::read(Fd, Buffer, sizeof Buffer);
            if (N > 0) {
                if (OnRxBuf) OnRxBuf(Buffer, static_cast<std::size_t>(N));
                std::lock_guard<std::mutex> Lock(FPacketLock);
                for (TComDataPacket* Packet : FPackets) Packet->HandleData(Buffer, static_cast<std::size_t>(N));
                continue;
            }
            if (N < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            // End of file or an error: the peer has gone; reading again would only spin.
            LoseLine();
            return;
        }
    }
}

void TComPort::LoseLine()
{
    // Told before the port closes, so that the owner hears of the loss before anything
    // can find the port merely closed and give up on it without a word.
    MarkLineLost();
    // The device is gone: the port is closed at once, so it reads as disconnected and
    // the next Open finds the device afresh instead of keeping the dead one.
    Close();
}

void TComPort::MarkLineLost()
{
    if (!FLineLost.exchange(true) && OnLineLost) OnLineLost();
}

void TComPort::AddPacket(TComDataPacket* Packet)
{
    std::lock_guard<std::mutex> Lock(FPacketLock);
    FPackets.push_back(Packet);
}

void TComPort::RemovePacket(TComDataPacket* Packet)
{
    std::lock_guard<std::mutex> Lock(FPacketLock);
    FPackets.erase(std::remove(FPackets.begin(), FPackets.end(), Packet), FPackets.end());
}

// ---------------------------------------------------------------------------------------

TComDataPacket::~TComDataPacket() { SetComPort(nullptr); }

void TComDataPacket::SetComPort(TComPort* Port)
{
    if (Port == FPort) return;
    if (FPort) FPort->RemovePacket(this);
    FPort = Port;
    if (FPort) FPort->AddPacket(this);
}

void TComDataPacket::ResetBuffer()
{
    FBuffer.clear();
    FInPacket = false;
}

bool TComDataPacket::Matches(const std::string& Pattern, std::size_t At) const
{
    if (Pattern.empty() || At + Pattern.size() > FBuffer.size()) return false;
    for (std::size_t i = 0; i < Pattern.size(); ++i) {
        const unsigned char A = static_cast<unsigned char>(FBuffer[At + i]);
        const unsigned char B = static_cast<unsigned char>(Pattern[i]);
        if (CaseInsensitive ? std::toupper(A) != std::toupper(B) : A != B) return false;
    }
    return true;
}

bool TComDataPacket::EndsInStartOf(std::size_t At) const
{
    const std::size_t Rest = FBuffer.size() - At;
    if (StartString.empty() || Rest >= StartString.size()) return false;
    for (std::size_t i = 0; i < Rest; ++i) {
        const unsigned char A = static_cast<unsigned char>(FBuffer[At + i]);
        const unsigned char B = static_cast<unsigned char>(StartString[i]);
        if (CaseInsensitive ? std::toupper(A) != std::toupper(B) : A != B) return false;
    }
    return true;
}

void TComDataPacket::HandleData(const char* Data, std::size_t Count)
{
    std::size_t Scan = FBuffer.size();
    FBuffer.append(Data, Count);
    // A pattern may have begun in the previous chunk.
    const std::size_t Longest = std::max(StartString.size(), StopString.size());
    Scan = Scan >= Longest ? Scan - Longest + 1 : 0;
    std::size_t Begin = 0;  // start of the current packet's text in FBuffer
    std::size_t Free = 0;   // bytes before this were used by a packet and its stop string
    if (!FInPacket) Scan = 0;
    std::size_t i = Scan;
    for (; i < FBuffer.size(); ++i) {
        if (!FInPacket) {
            if (StartString.empty() || Matches(StartString, i)) {
                FInPacket = true;
                Begin = i + StartString.size();
                i = Begin - 1;  // wraps for an empty start string at 0; the loop's ++ undoes it
            }
            continue;
        }
        if (!StartString.empty() && Matches(StartString, i)) {
            Begin = i + StartString.size();  // restart: the bytes before were not a packet
            i = Begin - 1;
            continue;
        }
        // The received bytes may end in the first part of a start string; whether it is
        // one decides what the bytes from here mean (a stop string may lie inside it), so
        // they wait for the next read, as they would if the stream came in one piece.
        if (EndsInStartOf(i)) break;
        if (Matches(StopString, i)) {
            std::string Text = IncludeStrings ? StartString + FBuffer.substr(Begin, i - Begin) + StopString
                                              : FBuffer.substr(Begin, i - Begin);
            FInPacket = false;
            Free = i + StopString.size();
            i = Free - 1;
            if (OnPacket) OnPacket(this, Text);
        }
    }
    if (!FInPacket) {
        // Keep only what may be the first bytes of a start string, and never a byte of
        // the stop string just used: read in one piece, those bytes could not begin a
        // packet either.
        const std::size_t Keep = StartString.empty() ? 0 : StartString.size() - 1;
        FBuffer.erase(0, std::max(Free, FBuffer.size() > Keep ? FBuffer.size() - Keep : 0));
        return;
    }
    FBuffer.erase(0, Begin);
    if (FBuffer.size() > MaxBufferSize) {
        std::string Dropped;
        Dropped.swap(FBuffer);
        FInPacket = false;
        if (OnDiscard) OnDiscard(this, Dropped);
    }
}
