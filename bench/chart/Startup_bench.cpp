// The program's start-up up to its main window shown, against a trivial Qt Widgets
// program, both on Qt's offscreen platform, alternating in one run. Each process is
// ended by the shown-window hook (ShownHook.cpp) as its window first paints; the time is
// from the start of the process to its end. The program runs from its program folder
// against the instrument emulator, as the operator starts it.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct TRun {
    double Milliseconds = 0;
    bool Shown = false;
};

// Starts Program with the extra environment and waits for its end (at most 30 s).
TRun Run(const std::string& Program, const std::vector<std::string>& Arguments, const std::vector<std::string>& Extra)
{
    std::vector<std::string> env(Extra);
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    std::vector<char*> envp, argv{const_cast<char*>(Program.c_str())};
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    for (const std::string& a : Arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, Program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) return {};
    int status = 0;
    for (;;) {
        if (waitpid(pid, &status, WNOHANG) == pid) break;
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(30)) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return {};
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    TRun run;
    run.Milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.Shown = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

double Median(std::vector<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values.empty() ? 0 : Values[Values.size() / 2];
}

// The emulator on a pseudo-terminal, for as long as the benchmark runs.
struct TEmulator {
    pid_t Pid = 0;
    std::string Port;
    explicit TEmulator(const fs::path& Folder)
    {
        const fs::path log = fs::temp_directory_path() / ("startup_bench." + std::to_string(getpid()) + ".port");
        const std::string command = "exec '" + (Folder / "trough-emulator").string() +
                                    "' --info-ms 500 < <(exec sleep 600 2>/dev/null) > '" + log.string() + "'";
        const char* argv[] = {"bash", "-c", command.c_str(), nullptr};
        posix_spawnp(&Pid, "bash", nullptr, nullptr, const_cast<char**>(argv), environ);
        for (int i = 0; i < 100 && Port.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::ifstream in(log);
            std::getline(in, Port);
        }
        fs::remove(log);
    }
    ~TEmulator()
    {
        if (Pid > 0) {
            kill(Pid, SIGTERM);
            waitpid(Pid, nullptr, 0);
        }
    }
};

}  // namespace

int main()
{
    const fs::path folder = fs::read_symlink("/proc/self/exe").parent_path();
    const std::string hook = "LD_PRELOAD=" + (folder / "libzel_shown_hook.so").string();
    TEmulator emulator(folder);
    if (emulator.Port.empty()) {
        std::printf("the instrument emulator did not start\n");
        return 1;
    }
    // The program's settings in its folder: the device link, the filer and the port.
    const fs::path ini = folder / "zel.ini";
    const fs::path saved = folder / "zel.ini.before-startup-bench";
    if (fs::exists(ini)) fs::copy_file(ini, saved, fs::copy_options::overwrite_existing);
    std::ofstream(ini) << "[Common]\nHLFileName=hwzel.so\nFilerDllFileName=zelfiler.so\n[PortSettings]\nPort="
                       << emulator.Port << "\n";

    const int rounds = 61;
    std::vector<double> program, trivial, ratio;
    int notShown = 0;
    for (int r = -1; r < rounds; ++r) {
        const auto runProgram = [&] {
            return Run((folder / "zel").string(), {},
                       {"QT_QPA_PLATFORM=offscreen", hook, "ZEL_BENCH_WINDOW_TITLE=Zelmora control"});
        };
        const auto runTrivial = [&] {
            return Run((folder / "startup_trivial").string(), {},
                       {"QT_QPA_PLATFORM=offscreen", hook, "ZEL_BENCH_WINDOW_TITLE=Trivial"});
        };
        // Which one goes first alternates, so neither always follows the other's exit.
        TRun a, b;
        if (r % 2 == 0) {
            a = runProgram();
            b = runTrivial();
        } else {
            b = runTrivial();
            a = runProgram();
        }
        notShown += !a.Shown + !b.Shown;
        if (r < 0) continue;  // the first round fills the file cache
        program.push_back(a.Milliseconds);
        trivial.push_back(b.Milliseconds);
        ratio.push_back(a.Milliseconds / b.Milliseconds);
    }
    if (fs::exists(saved)) fs::rename(saved, ini);
    std::printf("start-up to the main window shown (offscreen), median of %d rounds:\n", rounds);
    std::printf("  zel                       %8.1f ms\n", Median(program));
    std::printf("  trivial Qt Widgets        %8.1f ms\n", Median(trivial));
    // The machine's pace drifts over a run; each round's two starts follow each other, so
    // the ratio is taken round by round.
    std::printf("  zel / trivial, round by round             %.3f\n", Median(ratio));
    if (notShown) std::printf("!! %d runs ended without their window shown\n", notShown);
    return notShown ? 1 : 0;
}
