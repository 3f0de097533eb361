// Save and load of a large set (20 tables x 50,000 rows x 7 columns) against a plain
// write and read of the same number of bytes as one buffer, in the same folder and run,
// so that the ratio shows what the set-file format costs. Both writes are flushed to
// disk, since a set file is never left unflushed.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>
#include "platform/filer/MpsFormat.h"
#include "platform/tabrix/SXDataSet.h"

namespace {

constexpr int Tables = 20, Rows = 50000, Columns = 7;

std::string Folder()
{
    static const std::string Path = [] {
        std::string Template = (std::filesystem::temp_directory_path() / "filer_bench.XXXXXX").string();
        return std::string(mkdtemp(Template.data())) + "/";
    }();
    return Path;
}

TSXDataSet& LargeSet()
{
    static TSXDataSet* Set = [] {
        auto* New = new TSXDataSet();
        IH<ISXDataProperty> Info = New->AddProperty("ZelExperimentInfoStr", 200);
        for (int t = 0; t < Tables; ++t) {
            TPTableData Table(
                TPTableData::CreateSXTableData(New, "ZelTable", ("Table " + std::to_string(t)).c_str(), Columns, 100));
            for (int r = 0; r < Rows; ++r) {
                Table.AddRows(1);
                for (int c = 0; c < Columns; ++c) Table.SetData(c, r, float(r) * 0.5f + float(c));
            }
        }
        return New;
    }();
    return *Set;
}

std::size_t PlainSize() { return std::size_t(Tables) * Rows * Columns * sizeof(float); }

void BM_SaveSetFile(benchmark::State& State)
{
    TSXDataSet& Set = LargeSet();
    std::string Error;
    for (auto _ : State)
        if (!Mps::SaveSetFile(Folder() + "set.mps", Set, Error)) State.SkipWithError(Error.c_str());
    State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(PlainSize()));
}

void BM_LoadSetFile(benchmark::State& State)
{
    std::string Error;
    Mps::SaveSetFile(Folder() + "set.mps", LargeSet(), Error);
    for (auto _ : State) {
        TSXDataSet Set;
        if (!Mps::LoadSetFile(Folder() + "set.mps", Set, Error)) State.SkipWithError(Error.c_str());
        benchmark::DoNotOptimize(Set);
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(PlainSize()));
}

void BM_PlainWrite(benchmark::State& State)
{
    std::vector<char> Buffer(PlainSize(), 1);
    for (auto _ : State) {
        int File = ::open((Folder() + "plain.bin").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (::write(File, Buffer.data(), Buffer.size()) != ssize_t(Buffer.size())) State.SkipWithError("write");
        ::fsync(File);
        ::close(File);
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(PlainSize()));
}

void BM_PlainRead(benchmark::State& State)
{
    std::vector<char> Buffer(PlainSize(), 1);
    int Out = ::open((Folder() + "plain.bin").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (::write(Out, Buffer.data(), Buffer.size()) != ssize_t(Buffer.size())) State.SkipWithError("write");
    ::close(Out);
    for (auto _ : State) {
        std::vector<char> In(PlainSize());
        int File = ::open((Folder() + "plain.bin").c_str(), O_RDONLY);
        if (::read(File, In.data(), In.size()) != ssize_t(In.size())) State.SkipWithError("read");
        ::close(File);
        benchmark::DoNotOptimize(In);
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(PlainSize()));
}

BENCHMARK(BM_SaveSetFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSetFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Folder());
    return 0;
}
