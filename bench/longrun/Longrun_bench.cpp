// A 24-hour isotherm at 10 points a second (864,000 rows) fed through the real windows on
// the offscreen platform: the main window routes each notice of the recording link to the
// isotherm window, which writes the table, tells the graph and the register, and saves
// the set at the end. The program's clock is stepped 100 ms per point through the
// injectable tick source, so a run of a day takes as long as the program's own work.
//
// Reports: the cost of a point at 1k, 100k and 864k rows; the longest time between two
// events the window thread delivers (while feeding, at stroke start and end, at the end
// of the run with its save, and while the register selects the record); the resident
// memory over the data held; the edit of the unloaded record's description; the set
// file's save and load against a plain write (with its flush) and a plain read of the
// same bytes. Not a test: configure a release build with -DZEL_BENCH=ON and run
// bin/longrun_bench.
#include <QCoreApplication>
#include <QObject>
#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>
#include "TestSupport.h"
#include "platform/filer/MpsFormat.h"
#include "platform/tabrix/SXDataSet.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Timers.h"
#include "support_link/RecordingLink.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Common.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Umain.h"
#include "zel/experiment/Uexpsetup.h"
#include "zel/experiment/Usedatasetmanager.h"
#include "zel/trough/Uisothermcontrol.h"

namespace {

using TClock = std::chrono::steady_clock;

double MillisecondsSince(TClock::time_point Start)
{
    return std::chrono::duration<double, std::milli>(TClock::now() - Start).count();
}

// The longest time between two events the window thread delivers while watching: an
// event handled too long shows as the gap before the next one. A timer keeps events
// coming, as the program's own timers do, so a nested loop that keeps turning shows
// short gaps while one that does not shows its whole length.
class TTurnWatch final : public QObject {
public:
    void Start()
    {
        Longest = 0;
        FLast = TClock::now();
        FWatching = true;
    }
    double Stop()
    {
        FWatching = false;
        return Longest;
    }
    double Longest = 0;

protected:
    bool eventFilter(QObject*, QEvent*) override
    {
        if (!FWatching) return false;
        const auto now = TClock::now();
        Longest = std::max(Longest, std::chrono::duration<double, std::milli>(now - FLast).count());
        FLast = now;
        return false;
    }

private:
    bool FWatching = false;
    TClock::time_point FLast;
};

long ResidentBytes()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

double Median(std::vector<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

class TLongRun {
public:
    static constexpr int Points = 864000;
    static constexpr int BackPoints = 100;  // the way back, so that a second stroke starts
    static constexpr int Columns = 7;

    void Run()
    {
        StartProgram();
        IdleBytes = ResidentBytes();
        Window->BBGo->Click();
        // The cost of a point: the mean over the 1,000 points that end at these rows.
        const int timedRows[] = {1000, 100000, Points};
        std::vector<double> costs;
        TClock::time_point windowStart;
        Watch.Start();
        double strokeStart = Turn([&] { Notify(hlnIsothermCycle, 0); });
        const double firstStrokeStart = strokeStart;
        for (int row = 0; row < Points; ++row) {
            for (int end : timedRows)
                if (row == end - 1000) windowStart = TClock::now();
            Point(row, Points);
            for (int end : timedRows)
                if (row == end - 1) costs.push_back(MillisecondsSince(windowStart));  // ms per 1000 = us each
        }
        const double feedGap = Watch.Stop();

        Watch.Start();
        const double strokeEnd = Turn([&] { Notify(hlnIsothermCompleted, 0); });
        const double strokeEndGap = Watch.Stop();
        Watch.Start();
        strokeStart = Turn([&] { Notify(hlnIsothermCycle, 1); });
        const double strokeStartGap = Watch.Stop();
        for (int row = 0; row < BackPoints; ++row) Point(Points - row, Points);
        FileName = Window->DataSet ? Window->DataSet->GetFileName() : "";
        Watch.Start();
        const double runEnd = Turn([&] { Notify(hlnIsothermCompleted, 1); });
        const double runEndGap = Watch.Stop();

        Watch.Start();
        const double select = Turn([&] {
            ExpSetup->Scroll(0);
            Application->ProcessMessages();
        });
        const double selectGap = Watch.Stop();
        const long endBytes = ResidentBytes();
        // The day-long record unloaded, its user changed: only the set file's description
        // is rewritten.
        ExpSetup->UnloadAll();
        ExpSetup->Scroll(0);
        Watch.Start();
        const double edit = Turn([&] { ExpSetup->EditField(TRegField::User, "Bob"); });
        const double editGap = Watch.Stop();
        const double dataBytes = double(Points + BackPoints) * Columns * sizeof(float);

        std::printf("longrun: %d rows fed through the main window, %d more on the way back\n", Points, BackPoints);
        std::printf("point cost, microseconds: at 1k rows %.2f, at 100k %.2f, at 864k %.2f\n", costs[0], costs[1],
                    costs[2]);
        std::printf(
            "longest event-loop gap, ms: feeding %.1f, stroke end %.1f, stroke start %.1f, run end %.1f, "
            "register selection %.1f\n",
            feedGap, strokeEndGap, strokeStartGap, runEndGap, selectGap);
        std::printf(
            "turns, ms: first stroke start %.1f, stroke end (864k rows) %.1f, second stroke start %.1f, "
            "run end with its save %.1f (the window thread keeps turning meanwhile), register selection %.1f\n",
            firstStrokeStart, strokeEnd, strokeStart, runEnd, select);
        std::printf("description edit of the unloaded record: %.1f ms, longest event-loop gap %.1f ms\n", edit,
                    editGap);
        std::printf("resident memory above idle: %.1f MB for %.1f MB of data (%.2f times)\n",
                    (endBytes - IdleBytes) / 1e6, dataBytes / 1e6, (endBytes - IdleBytes) / dataBytes);
        CompareFiles();
        Finish();
    }

private:
    void StartProgram()
    {
        Application->SetExeName(Dir.File("zel"));
        WriteFileText(Dir.File("zel.ini"), "[Common]\nHLFileName=" + RecordingLinkFolder() + RecordingLinkFileName +
                                               "\nFilerDllFileName=" + RecordingLinkFolder() + "zelfiler.so\n");
        InitCommon();
        Main = CreateForm<TFMain>(nullptr);
        // The watchdog is fed by hand with the stepped clock.
        Main->UpdateProcessTimer->SetEnabled(false);
        ExpSetup = CreateForm<TFExpSetup>(nullptr);
        FExpSetup = ExpSetup;
        ExpSetup->CBCompoundName->SetText("DPPC");
        ExpSetup->CBUserName->SetText("Ann");
        SetTickCountSource([this] { return Tick; });
        Main->UpdateResponseTick();
        TClbBallance& balance = CalibrateParam.ballance;
        balance.SetShMin(0);
        balance.SetShMax(80);
        balance.SetHwMin(0);
        balance.SetHwMax(8000);
        balance.Recalc();
        ExpSetup->EDCompositionCount->SetValueInt(1);
        ExpSetup->SGNodes->SetCells(2, 1, "1000");
        ExpSetup->SGNodes->SetCells(3, 1, "0.001");
        ExpSetup->EDVolumeOfSolvent->SetText("10");
        ExpSetup->EDAliquot->SetText("0.05");
        Window = CreateForm<TFIsothermCtrl>(nullptr);
        Window->SENumCycles->SetValue(1);
        Window->CBBackward->SetChecked(true);
        Window->chkRec->SetChecked(true);
        Link = TRecordingLink::From(HlProvider.Link);
        Heartbeat.SetInterval(5);
        Heartbeat.OnTimer = [](TObject*) {};
        Heartbeat.SetEnabled(true);
        qApp->installEventFilter(&Watch);
    }

    void Notify(THlNotifyCode Code, LPARAM Payload)
    {
        Link->PostNotify(Code, Payload);
        Application->ProcessMessages();
    }

    // One point 100 ms after the last: the barriers close over the stroke, the pressure
    // rises with a ripple.
    void Point(int Row, int Rows)
    {
        Tick += 100;
        Main->UpdateResponseTick();
        const double travel = 60.0 * Row / Rows;
        TIsothermPoint point{};
        point.barrier1Pos = static_cast<std::uint32_t>(DoubleToInt32(CalibrateParam.barrier1.ShToHw(10 + travel)));
        point.barrier2Pos = static_cast<std::uint32_t>(DoubleToInt32(CalibrateParam.barrier2.ShToHw(10 + travel)));
        point.balance = static_cast<std::uint32_t>(7000 - 60 * travel + (Row % 17));
        point.time = static_cast<std::uint32_t>(Row);
        Notify(hlnIsothermPoint, reinterpret_cast<LPARAM>(&point));
    }

    static double Turn(const std::function<void()>& Work)
    {
        const auto start = TClock::now();
        Work();
        return MillisecondsSince(start);
    }

    // The finished run's file saved and loaded again against a plain write (with its
    // flush) and a plain read of as many bytes, alternating, median of five. A plain read
    // is timed twice: into a new buffer, as a reader that allocates would (whose cost
    // depends on what the allocator has at hand), and into a buffer already in place,
    // which is the copy from the cache alone.
    void CompareFiles()
    {
        TSXDataSet set;
        std::string error;
        if (!Mps::LoadSetFile(FileName, set, error)) {
            std::printf("cannot load %s: %s\n", FileName.c_str(), error.c_str());
            return;
        }
        const std::string saved = Dir.File("again.mps"), plain = Dir.File("plain.bin");
        std::vector<double> save, write, load, read, copy;
        const auto readInto = [&](char* Target, std::size_t Size) {
            const int file = ::open(plain.c_str(), O_RDONLY);
            if (::read(file, Target, Size) != static_cast<ssize_t>(Size)) std::printf("plain read failed\n");
            ::close(file);
        };
        for (int round = 0; round < 5; ++round) {
            save.push_back(Turn([&] { Mps::SaveSetFile(saved, set, error); }));
            const long size = FileSize(saved);
            std::vector<char> bytes(static_cast<size_t>(size), 1);
            write.push_back(Turn([&] {
                const int file = ::open(plain.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                if (::write(file, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
                    std::printf("plain write failed\n");
                ::fsync(file);
                ::close(file);
            }));
            load.push_back(Turn([&] {
                TSXDataSet again;
                if (!Mps::LoadSetFile(saved, again, error)) std::printf("load failed: %s\n", error.c_str());
            }));
            read.push_back(Turn([&] {
                std::vector<char> in(static_cast<size_t>(size));
                readInto(in.data(), in.size());
            }));
            copy.push_back(Turn([&] { readInto(bytes.data(), bytes.size()); }));
        }
        std::printf(
            "set file of %.1f MB: save %.1f ms against a plain write with its flush %.1f ms (%.2f times); "
            "load %.1f ms against a plain read into a new buffer %.1f ms (%.2f times) and into a buffer in place "
            "%.1f ms (%.2f times)\n",
            FileSize(saved) / 1e6, Median(save), Median(write), Median(save) / Median(write), Median(load),
            Median(read), Median(load) / Median(read), Median(copy), Median(load) / Median(copy));
    }

    static long FileSize(const std::string& Path)
    {
        const int file = ::open(Path.c_str(), O_RDONLY);
        const long size = file >= 0 ? static_cast<long>(::lseek(file, 0, SEEK_END)) : 0;
        if (file >= 0) ::close(file);
        return size;
    }

    void Finish()
    {
        qApp->removeEventFilter(&Watch);
        Heartbeat.SetEnabled(false);
        SetTickCountSource({});
        DestroyForms();
        DoneCommon();
        UseDataSetManager.Collect();
    }

    TTempDir Dir;
    TFMain* Main = nullptr;
    TFExpSetup* ExpSetup = nullptr;
    TFIsothermCtrl* Window = nullptr;
    TRecordingLink* Link = nullptr;
    TTimer Heartbeat;
    TTurnWatch Watch;
    DWORD Tick = 100000;
    long IdleBytes = 0;
    std::string FileName;
};

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TApplication application(argc, argv);
    Application->Title = "Zelmora Control";
    SetDialogInterceptor([](const TDialogRequest&) { return TDialogAnswer{IDOK, {}, 0}; });
    TLongRun run;
    run.Run();
    return 0;
}
