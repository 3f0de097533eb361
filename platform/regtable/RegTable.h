// The experiment register's table: one record per data-set file, kept in one file that is
// read whole when the table opens and written whole after every change. Records are kept
// in the order of one field (the date unless the operator chose another), texts compared
// without regard to case.
//
// File format (all integers little-endian):
//   offset 0   8 bytes   magic "ZELREG\r\n"
//   offset 8   uint16    format version (1)
//   offset 10  uint32    record count N
//   then N records, each:
//     uint32   byte length L of the record body that follows
//     body:    FileName, User, Compound, Substance, Subphase, Temperature, StrTables as
//              texts (uint16 length, then that many bytes, no terminating zero), then the
//              date (uint16 year, uint8 month, day, hour, minute, second, uint16
//              milliseconds) and the loaded set's run-local id (int64).
// Every length is checked against the bytes left and the field's limit; the body must be
// used up exactly; nothing may follow the last record. A file that breaks any rule is
// refused whole with a message naming what is wrong and where.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TRegDate {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};
bool operator==(const TRegDate& A, const TRegDate& B);
// Chronological order.
bool operator<(const TRegDate& A, const TRegDate& B);
// "dd/mm/yyyy h:nn", the way the register shows a date.
std::string RegDateText(const TRegDate& Date);

// The fields the register can be sorted by.
enum class TRegField { FileName, Date, User, Compound, Substance, Subphase, Temperature };

// One register record. The data name and the loaded state are computed from it.
struct TRegRecord {
    std::string FileName;
    TRegDate Date;
    std::string User, Compound, Substance, Subphase, Temperature;
    std::int64_t SXDataSet = 0;  // run-local id of the loaded set, 0 when not loaded
    std::string StrTables;

    // The file-name part of FileName.
    std::string DataName() const;
    bool Loaded() const { return SXDataSet != 0; }
    // The text of a text field. The date is no text: it gives the file name, which is
    // what tells records apart when the date is shown instead.
    const std::string& Text(TRegField Field) const;
    std::string& Text(TRegField Field);
};
bool operator==(const TRegRecord& A, const TRegRecord& B);

// Sizes of the description texts; longer texts are cut on storing, as the register's
// fields hold no more. File names and table lists are kept whole: a cut path would name
// another file.
constexpr std::size_t RegNameSize = 50;
constexpr std::size_t RegTemperatureSize = 20;
constexpr std::size_t RegMaxTextSize = 65535;

class TRegTable {
public:
    // Reads the file. A missing file opens an empty register. A damaged file opens an
    // empty register too, but first moves the damaged file aside (same name plus
    // ".damaged") so that the next write cannot destroy what may still be recovered;
    // the answer is then false and Error() tells what was wrong.
    bool Open(const std::string& FileName);
    void Close();
    bool Active() const { return FActive; }
    const std::string& FileName() const { return FFileName; }
    const std::string& Error() const { return FError; }

    int Count() const { return static_cast<int>(FRecords.size()); }
    const TRegRecord& Record(int Index) const { return FRecords.at(static_cast<std::size_t>(Index)); }

    // Each change writes the file and keeps the order; the answers give the record's
    // index after the change. A failed write keeps the change in memory and the previous
    // file on disk, and reports through WriteFailed()/Error().
    int Append(const TRegRecord& Record);
    int Update(int Index, const TRegRecord& Record);
    void Delete(int Index);
    void Clear();

    // Orders the register by the field from now on.
    void SortBy(TRegField Field);
    TRegField SortField() const { return FSortField; }

    bool WriteFailed() const { return FWriteFailed; }
    // Told Error() when a write fails after the previous one worked, so the owner can
    // show it once rather than at every change while the disk stays full.
    std::function<void(const std::string& Error)> OnWriteFailed;
    // How the image of the register reaches the disk; by default written whole beside
    // the register and renamed over it, on the calling thread. An owner may put the
    // waiting elsewhere, but the file must be replaced whole and in the order of the
    // changes. False with a reason when the image did not reach the disk.
    std::function<bool(const std::string& FileName, const std::string& Image, std::string& Error)> WriteFile;

    // The byte image of a register and its reading (false and a message when damaged).
    static std::string Encode(const std::vector<TRegRecord>& Records);
    static bool Decode(const std::string& Bytes, std::vector<TRegRecord>& Records, std::string& Error);

private:
    int Place(std::size_t Index);
    void Write();
    std::string FFileName;
    std::string FError;
    std::vector<TRegRecord> FRecords;
    TRegField FSortField = TRegField::Date;
    bool FActive = false;
    bool FWriteFailed = false;
};
