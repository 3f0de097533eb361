// Fuzz entry for the set-file reader as the program runs it: from a file on the disk,
// through the threaded reader of large blocks. The first byte chooses what the file is:
//   even: the other bytes are the file, read whole, then again as if the file had been
//         longer when it was opened (it shrank under the reader);
//   odd:  a set of up to three million cells, its size and cells made from the input, is
//         written by the program's own writer, large enough for the reader to split its
//         cells among threads; one byte of the file is then changed, or the file cut,
//         where the input says, or nothing is. An intact file must read back cell for
//         cell, a changed one must be refused with the set left empty.
#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "FuzzFile.h"
#include "platform/filer/MpsFormat.h"
#include "platform/tabrix/SXDataSet.h"

namespace {

bool Empty(TSXDataSet& Set) { return Set.GetPropertyCount() == 0 && Set.GetAllFieldCount() == 0; }

// A load's answer must agree with its reason, and a refused load leaves nothing.
void CheckLoad(bool Ok, const std::string& Error, TSXDataSet& Set)
{
    if (Ok != Error.empty() || (!Ok && !Empty(Set))) std::abort();
}

std::uint32_t Take(const std::uint8_t*& Data, std::size_t& Size, int Bytes)
{
    std::uint32_t Value = 0;
    for (int i = 0; i < Bytes && Size > 0; ++i, ++Data, --Size) Value |= std::uint32_t(*Data) << (8 * i);
    return Value;
}

void ReadRawFile(const std::uint8_t* Data, std::size_t Size)
{
    const std::string Path = FuzzFile("zel_fuzz.mps", Data, Size);
    TSXDataSet Set;
    std::string Error;
    CheckLoad(Mps::LoadSetFile(Path, Set, Error), Error, Set);
    const int File = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC);
    if (File < 0) return;
    TSXDataSet Shrunk;
    if (Mps::ReadSetFile(File, Size + 1 + Size % 4096, Shrunk, Error) || !Empty(Shrunk)) std::abort();
    ::close(File);
}

void ReadWrittenFile(const std::uint8_t* Data, std::size_t Size)
{
    const int Columns = 1 + static_cast<int>(Take(Data, Size, 1) % 4);
    // Rows of every order of size, from none to two million, few of them large.
    const std::uint32_t Height = Take(Data, Size, 3);
    const int Rows = static_cast<int>(
        std::min((Height & 0xFFFF) << (Height >> 16 & 0xFF) % 6, 3000000u / static_cast<std::uint32_t>(Columns)));
    const std::uint32_t Seed = Take(Data, Size, 4);
    const std::uint32_t Damage = Take(Data, Size, 4);
    const std::uint8_t Kind = static_cast<std::uint8_t>(Take(Data, Size, 1));

    TSXDataSet Written;
    IH<ISXDataProperty> Property = Written.AddProperty("Input", static_cast<int>(Size));
    if (Size) std::memcpy(Property->GetData(), Data, Size);
    TPTableData Table(TPTableData::CreateSXTableData(&Written, "ZelTable", "Fuzz", Columns, 0));
    std::vector<float> Cells;
    if (Rows > 0) {
        float* Block = Table.FillRows(Rows);
        std::uint32_t x = Seed | 1;
        for (std::size_t i = 0; i < std::size_t(Rows) * std::size_t(Columns); ++i) {
            x = x * 1664525u + 1013904223u;
            std::memcpy(&Block[i], &x, 4);
        }
        Cells.assign(Block, Block + std::size_t(Rows) * std::size_t(Columns));
    }
    const std::string Path = FuzzFile("zel_fuzz.mps", nullptr, 0);
    std::string Error;
    if (!Mps::SaveSetFile(Path, Written, Error)) return;

    bool Changed = false;
    if (Kind % 3 != 0) {
        const int File = ::open(Path.c_str(), O_RDWR | O_CLOEXEC);
        if (File < 0) return;
        const off_t Length = ::lseek(File, 0, SEEK_END);
        const off_t At = static_cast<off_t>(Damage % static_cast<std::uint32_t>(Length));
        if (Kind % 3 == 1) {
            std::uint8_t Byte = 0;
            Changed = ::pread(File, &Byte, 1, At) == 1 && Kind >> 2 != 0;
            Byte ^= static_cast<std::uint8_t>(Kind >> 2);
            if (::pwrite(File, &Byte, 1, At) != 1) std::abort();
        } else {
            Changed = ::ftruncate(File, At) == 0;
        }
        ::close(File);
    }

    TSXDataSet Read;
    const bool Ok = Mps::LoadSetFile(Path, Read, Error);
    CheckLoad(Ok, Error, Read);
    if (Ok == Changed) std::abort();
    if (!Ok) return;
    TPTableData Back(Read.FindField("ZelTable", "Fuzz"));
    if (Back.GetNumRows() != Rows) std::abort();
    std::vector<float> Column(static_cast<std::size_t>(Rows));
    for (int c = 0; c < Columns; ++c) {
        Back.CopyColumn(c, 0, Rows, Column.data());
        if (Rows && std::memcmp(Column.data(), &Cells[std::size_t(c) * std::size_t(Rows)], Column.size() * 4) != 0)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, size_t Size)
{
    if (Size == 0) return 0;
    if (Data[0] % 2 == 0)
        ReadRawFile(Data + 1, Size - 1);
    else
        ReadWrittenFile(Data + 1, Size - 1);
    return 0;
}
