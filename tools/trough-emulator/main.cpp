// trough-emulator: opens a pseudo-terminal, prints its device path as the first line of
// its output, then plays the instrument on it: the demonstration trough's physical model,
// in real time or faster (--speed-up). Report lines follow on standard output
// ("frame <microseconds> <bytes>", "bad ...", "silent", "cut"). Lines on standard input
// steer it: "send <body>" sends a packet, "raw <bytes>" writes bytes as they are
// ("<NN>" for a byte in hex), "cut" cuts the line, "quit" ends it; end of input ends it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "Emulator.h"
#include "platform/base/FloatFormat.h"

namespace {

std::int64_t NowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Usage()
{
    std::fprintf(stderr,
                 "usage: trough-emulator [--nak N] [--silent N] [--bad-checksum N] [--cut-after N]\n"
                 "                       [--garbage] [--split] [--ack-before-reply] [--ack-delay MS]\n"
                 "                       [--info-ms MS] [--name TEXT] [--speed-up F]\n"
                 "  --speed-up: the trough's model runs F times faster than real time (default 1)\n"
                 "  N: the first N frames are affected, -1 every frame\n");
}

std::string Unescape(const std::string& Text)
{
    std::string Out;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '<' && i + 3 < Text.size() && Text[i + 3] == '>') {
            Out += static_cast<char>(std::strtoul(Text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 3;
        } else {
            Out += Text[i];
        }
    }
    return Out;
}

int Master = -1;

void WriteAll(const std::string& Bytes)
{
    std::size_t Done = 0;
    while (Master >= 0 && Done < Bytes.size()) {
        const ssize_t N = ::write(Master, Bytes.data() + Done, Bytes.size() - Done);
        if (N > 0)
            Done += static_cast<std::size_t>(N);
        else if (N < 0 && errno != EINTR && errno != EAGAIN)
            return;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    TEmulatorOptions Options;
    for (int i = 1; i < argc; ++i) {
        const std::string A = argv[i];
        auto Number = [&]() -> int {
            if (i + 1 >= argc) {
                Usage();
                std::exit(2);
            }
            return std::atoi(argv[++i]);
        };
        if (A == "--nak")
            Options.NakFirst = Number();
        else if (A == "--silent")
            Options.SilentFirst = Number();
        else if (A == "--bad-checksum")
            Options.BadChecksumFirst = Number();
        else if (A == "--cut-after")
            Options.CutAfter = Number();
        else if (A == "--ack-delay")
            Options.AckDelayMs = Number();
        else if (A == "--info-ms")
            Options.InfoIntervalMs = Number();
        else if (A == "--garbage")
            Options.Garbage = true;
        else if (A == "--split")
            Options.Split = true;
        else if (A == "--ack-before-reply")
            Options.AckBeforeReply = true;
        else if (A == "--speed-up" && i + 1 < argc && TryStrToFloat(argv[i + 1], Options.SpeedUp, dsPointOrComma) &&
                 Options.SpeedUp > 0)
            ++i;
        else if (A == "--name" && i + 1 < argc)
            Options.DeviceName = argv[++i];
        else {
            Usage();
            return 2;
        }
    }

    Master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (Master < 0 || ::grantpt(Master) != 0 || ::unlockpt(Master) != 0) {
        std::perror("pseudo-terminal");
        return 1;
    }
    const std::string Path = ::ptsname(Master);
    // Hold the device open in raw mode, so nothing is echoed or translated before the
    // link has set it up, and the line stays up while the link reconnects.
    const int Slave = ::open(Path.c_str(), O_RDWR | O_NOCTTY);
    termios Tio{};
    if (Slave < 0 || ::tcgetattr(Slave, &Tio) != 0) {
        std::perror("pseudo-terminal device");
        return 1;
    }
    ::cfmakeraw(&Tio);
    ::tcsetattr(Slave, TCSANOW, &Tio);
    std::printf("%s\n", Path.c_str());
    std::fflush(stdout);

    TTroughEmulator Emulator(Options);
    bool Cut = false;
    Emulator.Write = [&](const std::string& Bytes) {
        WriteAll(Bytes);
        if (Options.Split) ::usleep(500);
    };
    Emulator.Log = [](const std::string& Line) {
        std::printf("%s\n", Line.c_str());
        std::fflush(stdout);
    };
    Emulator.CutLine = [&] { Cut = true; };

    std::string Input;
    for (;;) {
        const std::int64_t Next = Emulator.Tick(NowUs());
        if (Cut) break;
        int Timeout = -1;
        if (Next >= 0) Timeout = static_cast<int>(std::max<std::int64_t>(0, (Next - NowUs() + 999) / 1000));
        pollfd Fds[2] = {{Master, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        const int R = ::poll(Fds, 2, Timeout);
        if (R < 0 && errno != EINTR) break;
        if (R <= 0) continue;
        if (Fds[0].revents & POLLIN) {
            char Buffer[4096];
            const ssize_t N = ::read(Master, Buffer, sizeof Buffer);
            if (N > 0) Emulator.Received(Buffer, static_cast<std::size_t>(N), NowUs());
        }
        if (Cut) break;
        if (Fds[1].revents & (POLLIN | POLLHUP)) {
            char Buffer[4096];
            const ssize_t N = ::read(STDIN_FILENO, Buffer, sizeof Buffer);
            if (N <= 0) break;
            Input.append(Buffer, static_cast<std::size_t>(N));
            std::size_t End;
            bool Quit = false;
            while ((End = Input.find('\n')) != std::string::npos) {
                const std::string Line = Input.substr(0, End);
                Input.erase(0, End + 1);
                if (Line.rfind("send ", 0) == 0)
                    Emulator.SendBody(Unescape(Line.substr(5)));
                else if (Line.rfind("raw ", 0) == 0)
                    WriteAll(Unescape(Line.substr(4)));
                else if (Line == "cut")
                    Cut = true;
                else if (Line == "quit")
                    Quit = true;
                std::printf("done %s\n", Line.c_str());
                std::fflush(stdout);
            }
            if (Quit || Cut) break;
        }
    }
    if (Cut) {
        std::printf("cut\n");
        std::fflush(stdout);
    }
    ::close(Master);
    ::close(Slave);
    return 0;
}
