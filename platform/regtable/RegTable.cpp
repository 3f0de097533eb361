#include "platform/regtable/RegTable.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <tuple>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "platform/base/FileDates.h"
#include "platform/base/Strings.h"

namespace {

constexpr char Magic[8] = {'Z', 'E', 'L', 'R', 'E', 'G', '\r', '\n'};
constexpr std::uint16_t FormatVersion = 1;
constexpr std::size_t HeaderSize = sizeof(Magic) + 2 + 4;
// Seven empty texts, the date and the id: no record body can be shorter.
constexpr std::size_t MinBodySize = 7 * 2 + 9 + 8;

void PutInt(std::string& Out, std::uint64_t Value, int Bytes)
{
    for (int i = 0; i < Bytes; ++i) Out.push_back(static_cast<char>((Value >> (8 * i)) & 0xFF));
}

void PutText(std::string& Out, const std::string& Text, std::size_t Limit)
{
    const std::string Cut = Text.substr(0, std::min(Limit, RegMaxTextSize));
    PutInt(Out, Cut.size(), 2);
    Out += Cut;
}

// Reads from a byte range and remembers the first failure with its offset.
class TReader {
public:
    TReader(const std::string& Bytes, std::size_t Begin, std::size_t End) : FBytes(Bytes), FPos(Begin), FEnd(End) {}
    bool Ok() const { return FError.empty(); }
    const std::string& Error() const { return FError; }
    std::size_t Pos() const { return FPos; }
    std::size_t Left() const { return FEnd - FPos; }

    std::uint64_t Int(int Bytes, const char* What)
    {
        if (!Ok()) return 0;
        if (Left() < static_cast<std::size_t>(Bytes)) {
            Fail(std::string(What) + " is cut off");
            return 0;
        }
        std::uint64_t Value = 0;
        for (int i = 0; i < Bytes; ++i)
            Value |= static_cast<std::uint64_t>(static_cast<unsigned char>(FBytes[FPos + i])) << (8 * i);
        FPos += static_cast<std::size_t>(Bytes);
        return Value;
    }

    std::string Text(std::size_t Limit, const char* What)
    {
        const std::size_t Length = static_cast<std::size_t>(Int(2, What));
        if (!Ok()) return {};
        if (Length > Limit) {
            Fail(std::string(What) + " is longer than its field");
            return {};
        }
        if (Length > Left()) {
            Fail(std::string(What) + " is cut off");
            return {};
        }
        std::string Value = FBytes.substr(FPos, Length);
        FPos += Length;
        return Value;
    }

    void Fail(const std::string& Message)
    {
        if (Ok()) FError = Message + " at byte " + std::to_string(FPos);
    }

private:
    const std::string& FBytes;
    std::size_t FPos;
    std::size_t FEnd;
    std::string FError;
};

// Writes the whole image to a temporary file beside the register and renames it over the
// register only once every byte is on the disk: a full disk or a crash leaves the
// previous register as it was. The register keeps its permissions, and the rename is
// flushed with its folder, as for the set files.
bool WriteWhole(const std::string& FileName, const std::string& Contents, std::string& Error)
{
    return WriteFileAtomically(FileName, Contents, &Error);
}

std::string Folded(const std::string& Text) { return LowerCase(Text); }

bool Before(const TRegRecord& A, const TRegRecord& B, TRegField Field)
{
    if (Field == TRegField::Date) return A.Date < B.Date;
    return Folded(A.Text(Field)) < Folded(B.Text(Field));
}

}  // namespace

bool operator==(const TRegDate& A, const TRegDate& B)
{
    return std::tie(A.Year, A.Month, A.Day, A.Hour, A.Minute, A.Second, A.Millisecond) ==
           std::tie(B.Year, B.Month, B.Day, B.Hour, B.Minute, B.Second, B.Millisecond);
}

bool operator<(const TRegDate& A, const TRegDate& B)
{
    return std::tie(A.Year, A.Month, A.Day, A.Hour, A.Minute, A.Second, A.Millisecond) <
           std::tie(B.Year, B.Month, B.Day, B.Hour, B.Minute, B.Second, B.Millisecond);
}

std::string RegDateText(const TRegDate& Date)
{
    char Text[64];
    std::snprintf(Text, sizeof Text, "%02d/%02d/%04d %d:%02d", Date.Day, Date.Month, Date.Year, Date.Hour, Date.Minute);
    return Text;
}

std::string TRegRecord::DataName() const
{
    const std::size_t Slash = FileName.find_last_of("/\\");
    return Slash == std::string::npos ? FileName : FileName.substr(Slash + 1);
}

const std::string& TRegRecord::Text(TRegField Field) const
{
    switch (Field) {
    case TRegField::User:
        return User;
    case TRegField::Compound:
        return Compound;
    case TRegField::Substance:
        return Substance;
    case TRegField::Subphase:
        return Subphase;
    case TRegField::Temperature:
        return Temperature;
    case TRegField::FileName:
    case TRegField::Date:
        break;
    }
    return FileName;
}

std::string& TRegRecord::Text(TRegField Field)
{
    return const_cast<std::string&>(static_cast<const TRegRecord&>(*this).Text(Field));
}

bool operator==(const TRegRecord& A, const TRegRecord& B)
{
    return A.FileName == B.FileName && A.Date == B.Date && A.User == B.User && A.Compound == B.Compound &&
           A.Substance == B.Substance && A.Subphase == B.Subphase && A.Temperature == B.Temperature &&
           A.SXDataSet == B.SXDataSet && A.StrTables == B.StrTables;
}

std::string TRegTable::Encode(const std::vector<TRegRecord>& Records)
{
    std::string Out(Magic, sizeof Magic);
    PutInt(Out, FormatVersion, 2);
    PutInt(Out, Records.size(), 4);
    for (const TRegRecord& R : Records) {
        std::string Body;
        PutText(Body, R.FileName, RegMaxTextSize);
        PutText(Body, R.User, RegNameSize);
        PutText(Body, R.Compound, RegNameSize);
        PutText(Body, R.Substance, RegNameSize);
        PutText(Body, R.Subphase, RegNameSize);
        PutText(Body, R.Temperature, RegTemperatureSize);
        PutText(Body, R.StrTables, RegMaxTextSize);
        PutInt(Body, static_cast<std::uint16_t>(R.Date.Year), 2);
        for (int Part : {R.Date.Month, R.Date.Day, R.Date.Hour, R.Date.Minute, R.Date.Second})
            PutInt(Body, static_cast<std::uint8_t>(Part), 1);
        PutInt(Body, static_cast<std::uint16_t>(R.Date.Millisecond), 2);
        PutInt(Body, static_cast<std::uint64_t>(R.SXDataSet), 8);
        PutInt(Out, Body.size(), 4);
        Out += Body;
    }
    return Out;
}

bool TRegTable::Decode(const std::string& Bytes, std::vector<TRegRecord>& Records, std::string& Error)
{
    Records.clear();
    if (Bytes.size() < sizeof Magic || Bytes.compare(0, sizeof Magic, Magic, sizeof Magic) != 0) {
        Error = "not a register file (its first bytes are wrong)";
        return false;
    }
    TReader Header(Bytes, sizeof Magic, Bytes.size());
    const auto Version = Header.Int(2, "the format version");
    const auto Count = Header.Int(4, "the record count");
    if (!Header.Ok()) {
        Error = Header.Error();
        return false;
    }
    if (Version != FormatVersion) {
        Error = "unknown register format version " + std::to_string(Version);
        return false;
    }
    // Each record needs its length word and a minimal body: a count beyond what the bytes
    // can hold is refused before anything is reserved for it.
    if (Count > (Bytes.size() - HeaderSize) / (4 + MinBodySize)) {
        Error = "the record count " + std::to_string(Count) + " does not fit the file's " +
                std::to_string(Bytes.size()) + " bytes";
        return false;
    }
    std::size_t Pos = HeaderSize;
    for (std::uint64_t i = 0; i < Count; ++i) {
        TReader Length(Bytes, Pos, Bytes.size());
        const std::size_t BodySize = static_cast<std::size_t>(Length.Int(4, "a record length"));
        if (Length.Ok() && (BodySize > Length.Left() || BodySize < MinBodySize))
            Length.Fail("record " + std::to_string(i + 1) + " has a length that does not fit");
        if (!Length.Ok()) {
            Error = Length.Error();
            Records.clear();
            return false;
        }
        const std::size_t BodyEnd = Length.Pos() + BodySize;
        TReader In(Bytes, Length.Pos(), BodyEnd);
        TRegRecord R;
        R.FileName = In.Text(RegMaxTextSize, "the file name");
        R.User = In.Text(RegNameSize, "the user");
        R.Compound = In.Text(RegNameSize, "the compound");
        R.Substance = In.Text(RegNameSize, "the substrate");
        R.Subphase = In.Text(RegNameSize, "the subphase");
        R.Temperature = In.Text(RegTemperatureSize, "the temperature");
        R.StrTables = In.Text(RegMaxTextSize, "the table list");
        R.Date.Year = static_cast<int>(In.Int(2, "the date"));
        int* Parts[] = {&R.Date.Month, &R.Date.Day, &R.Date.Hour, &R.Date.Minute, &R.Date.Second};
        for (int* Part : Parts) *Part = static_cast<int>(In.Int(1, "the date"));
        R.Date.Millisecond = static_cast<int>(In.Int(2, "the date"));
        R.SXDataSet = static_cast<std::int64_t>(In.Int(8, "the data-set id"));
        if (In.Ok() && In.Left() != 0) In.Fail("record " + std::to_string(i + 1) + " has bytes left over");
        if (!In.Ok()) {
            Error = "record " + std::to_string(i + 1) + ": " + In.Error();
            Records.clear();
            return false;
        }
        Records.push_back(std::move(R));
        Pos = BodyEnd;
    }
    if (Pos != Bytes.size()) {
        Error = "bytes follow the last record at byte " + std::to_string(Pos);
        Records.clear();
        return false;
    }
    return true;
}

bool TRegTable::Open(const std::string& FileName)
{
    FFileName = FileName;
    FError.clear();
    FWriteFailed = false;
    FRecords.clear();
    FActive = true;
    if (!IsExistingFile(FileName)) return true;
    std::string Bytes;
    if (std::FILE* File = std::fopen(FileName.c_str(), "rb")) {
        char Buffer[65536];
        std::size_t Got;
        while ((Got = std::fread(Buffer, 1, sizeof Buffer, File)) > 0) Bytes.append(Buffer, Got);
        const bool ReadError = std::ferror(File) != 0;
        std::fclose(File);
        if (ReadError) {
            FError = "The register file " + FileName + " cannot be read";
            FActive = false;
            return false;
        }
    } else {
        FError = "The register file " + FileName + " cannot be opened";
        FActive = false;
        return false;
    }
    std::string Why;
    if (Decode(Bytes, FRecords, Why)) {
        SortBy(FSortField);
        return true;
    }
    const std::string Aside = FileName + ".damaged";
    std::remove(Aside.c_str());
    const bool Moved = std::rename(FileName.c_str(), Aside.c_str()) == 0;
    FError = "The register file " + FileName + " is damaged: " + Why + ". ";
    if (Moved) {
        FError += "It was kept as " + Aside + " and the register starts empty.";
    } else {
        // What cannot be moved aside must not be overwritten either.
        FError += "It could not be moved aside, so the register is not used.";
        FActive = false;
    }
    return false;
}

void TRegTable::Close()
{
    FRecords.clear();
    FActive = false;
}

int TRegTable::Place(std::size_t Index)
{
    TRegRecord Moving = std::move(FRecords[Index]);
    FRecords.erase(FRecords.begin() + static_cast<std::ptrdiff_t>(Index));
    const auto Less = [this](const TRegRecord& A, const TRegRecord& B) { return Before(A, B, FSortField); };
    const auto Equal = std::equal_range(FRecords.begin(), FRecords.end(), Moving, Less);
    // A record still in order keeps its place among equal keys: walking the register
    // while posting must not meet a record twice or miss one.
    const auto Old = FRecords.begin() + static_cast<std::ptrdiff_t>(Index);
    auto At = Old >= Equal.first && Old <= Equal.second ? Old : Equal.second;
    At = FRecords.insert(At, std::move(Moving));
    return static_cast<int>(At - FRecords.begin());
}

void TRegTable::Write()
{
    if (!FActive || FFileName.empty()) return;
    std::string Why;
    const bool FailedBefore = FWriteFailed;
    const std::string Image = Encode(FRecords);
    FWriteFailed = !(WriteFile ? WriteFile(FFileName, Image, Why) : WriteWhole(FFileName, Image, Why));
    if (!FWriteFailed) return;
    FError = "The register file " + FFileName + " cannot be written: " + Why;
    if (!FailedBefore && OnWriteFailed) OnWriteFailed(FError);
}

int TRegTable::Append(const TRegRecord& Record)
{
    FRecords.push_back(Record);
    const int Index = Place(FRecords.size() - 1);
    Write();
    return Index;
}

int TRegTable::Update(int Index, const TRegRecord& Record)
{
    if (Index < 0 || Index >= Count()) return -1;
    FRecords[static_cast<std::size_t>(Index)] = Record;
    const int NewIndex = Place(static_cast<std::size_t>(Index));
    Write();
    return NewIndex;
}

void TRegTable::Delete(int Index)
{
    if (Index < 0 || Index >= Count()) return;
    FRecords.erase(FRecords.begin() + Index);
    Write();
}

void TRegTable::Clear()
{
    FRecords.clear();
    Write();
}

void TRegTable::SortBy(TRegField Field)
{
    FSortField = Field;
    std::stable_sort(FRecords.begin(), FRecords.end(),
                     [Field](const TRegRecord& A, const TRegRecord& B) { return Before(A, B, Field); });
}
