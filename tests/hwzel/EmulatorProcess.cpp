#include "EmulatorProcess.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include "TestSupport.h"
#include "platform/ui/Application.h"

TEmulatorProcess::TEmulatorProcess(const std::vector<std::string>& Options)
{
    int ToChild[2], FromChild[2];
    if (::pipe2(ToChild, O_CLOEXEC) != 0 || ::pipe2(FromChild, O_CLOEXEC) != 0) return;
    const std::string Program = ProgramDir() + "/trough-emulator";
    std::vector<char*> Argv;
    Argv.push_back(const_cast<char*>(Program.c_str()));
    std::vector<std::string> Arguments = Options;
    if (std::find(Arguments.begin(), Arguments.end(), "--speed-up") == Arguments.end())
        Arguments.insert(Arguments.end(), {"--speed-up", SpeedUp});
    for (const std::string& O : Arguments) Argv.push_back(const_cast<char*>(O.c_str()));
    Argv.push_back(nullptr);
    posix_spawn_file_actions_t Actions;
    ::posix_spawn_file_actions_init(&Actions);
    ::posix_spawn_file_actions_adddup2(&Actions, ToChild[0], 0);
    ::posix_spawn_file_actions_adddup2(&Actions, FromChild[1], 1);
    ::posix_spawn_file_actions_addclose(&Actions, ToChild[1]);
    ::posix_spawn_file_actions_addclose(&Actions, FromChild[0]);
    pid_t Pid = -1;
    if (::posix_spawn(&Pid, Program.c_str(), &Actions, nullptr, Argv.data(), environ) == 0) FPid = Pid;
    ::posix_spawn_file_actions_destroy(&Actions);
    ::close(ToChild[0]);
    ::close(FromChild[1]);
    FIn = ToChild[1];
    FOut = FromChild[0];
    FReader = std::thread([this] { ReadLoop(); });
    WaitFor([](const std::vector<std::string>& L) { return !L.empty(); }, ConditionWaitMs);
    std::lock_guard<std::mutex> Lock(FLock);
    if (!FLines.empty() && FLines[0].rfind("/dev/", 0) == 0) FDevice = FLines[0];
}

TEmulatorProcess::~TEmulatorProcess()
{
    if (FIn >= 0) ::close(FIn);
    if (FPid > 0) {
        int Status = 0;
        for (int i = 0; i < 200 && ::waitpid(FPid, &Status, WNOHANG) == 0; ++i) ::usleep(10000);
        if (::waitpid(FPid, &Status, WNOHANG) == 0) {
            ::kill(FPid, SIGKILL);
            ::waitpid(FPid, &Status, 0);
        }
    }
    if (FReader.joinable()) FReader.join();
    if (FOut >= 0) ::close(FOut);
}

bool TEmulatorProcess::Signal(int Number) const { return FPid > 0 && ::kill(FPid, Number) == 0; }

void TEmulatorProcess::ReadLoop()
{
    std::string Pending;
    char Buffer[4096];
    for (;;) {
        const ssize_t N = ::read(FOut, Buffer, sizeof Buffer);
        if (N <= 0) break;
        Pending.append(Buffer, static_cast<std::size_t>(N));
        std::size_t End;
        std::lock_guard<std::mutex> Lock(FLock);
        while ((End = Pending.find('\n')) != std::string::npos) {
            FLines.push_back(Pending.substr(0, End));
            Pending.erase(0, End + 1);
        }
        FChanged.notify_all();
    }
}

bool TEmulatorProcess::WaitFor(const std::function<bool(const std::vector<std::string>&)>& Done, unsigned TimeoutMs)
{
    std::unique_lock<std::mutex> Lock(FLock);
    return FChanged.wait_for(Lock, std::chrono::milliseconds(TimeoutMs), [&] { return Done(FLines); });
}

bool TEmulatorProcess::Control(const std::string& Line, unsigned TimeoutMs)
{
    const std::string Text = Line + "\n";
    if (::write(FIn, Text.data(), Text.size()) != static_cast<ssize_t>(Text.size())) return false;
    const std::string Done = "done " + Line;
    return WaitFor(
        [&](const std::vector<std::string>& L) {
            for (const std::string& S : L)
                if (S == Done) return true;
            return false;
        },
        TimeoutMs);
}

std::vector<std::string> TEmulatorProcess::Lines() const
{
    std::lock_guard<std::mutex> Lock(FLock);
    return FLines;
}

std::size_t TEmulatorProcess::CountLines(const std::string& Prefix) const
{
    std::lock_guard<std::mutex> Lock(FLock);
    std::size_t Count = 0;
    for (const std::string& S : FLines) Count += S.rfind(Prefix, 0) == 0;
    return Count;
}

std::vector<std::string> TEmulatorProcess::FrameTexts() const
{
    std::vector<std::string> Result;
    for (const TFrame& F : Frames()) Result.push_back(F.Bytes);
    return Result;
}

std::vector<std::string> TEmulatorProcess::FrameTexts(std::size_t Count) const
{
    Application->ProcessMessagesUntil([&] { return Frames().size() >= Count; }, ConditionWaitMs);
    return FrameTexts();
}

std::vector<TEmulatorProcess::TFrame> TEmulatorProcess::Frames() const
{
    std::vector<TFrame> Result;
    for (const std::string& S : Lines()) {
        if (S.rfind("frame ", 0) != 0) continue;
        const std::size_t Blank = S.find(' ', 6);
        Result.push_back(TFrame{std::stoll(S.substr(6, Blank - 6)), S.substr(Blank + 1)});
    }
    return Result;
}

bool TEmulatorProcess::WaitForFrames(std::size_t Count, unsigned TimeoutMs)
{
    return WaitFor(
        [&](const std::vector<std::string>& L) {
            std::size_t N = 0;
            for (const std::string& S : L) N += S.rfind("frame ", 0) == 0;
            return N >= Count;
        },
        TimeoutMs);
}
