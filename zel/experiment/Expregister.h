// The experiment register without its window: the records of the register file (kept in
// their order by the register table), the sets loaded for them during this run, the texts
// the register shows, and the description a record shares with its set.
#pragma once
#include <cstdint>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include "platform/regtable/RegTable.h"

class ISXDataSet;
class ISXFiler;
class TStringList;

// One column of the register's grid, in grid order.
struct TRegColumn {
    const char* Title;
    TRegField Field;  // what a click on the title sorts by
    bool Sorts;
    bool Editable;  // the operator's text; the others are computed or fixed by the set
};
inline constexpr TRegColumn RegColumns[] = {
    {"Name", TRegField::FileName, true, false},      {"Date", TRegField::Date, true, false},
    {"User", TRegField::User, true, true},           {"Compound", TRegField::Compound, true, true},
    {"Substance", TRegField::Substance, true, true}, {"Subphase", TRegField::Subphase, true, true},
    {"T", TRegField::Temperature, true, true},       {"Loaded", TRegField::Date, false, false},
    {"FileName", TRegField::FileName, true, true},
};
inline constexpr int RegColumnCount = static_cast<int>(std::size(RegColumns));

// Writes the image of a file on a worker through Write (by default whole beside the
// file and renamed over it) while the window thread keeps handling events, the operator's
// input excepted. A change handled meanwhile writes its own, newer image: the writes of
// one file take turns, and an image older than one already written is dropped, so the
// file always ends as the newest change left it. Off the window thread it simply writes.
using TFileImageWriter = std::function<bool(const std::string& FileName, const std::string& Image, std::string& Error)>;
bool WriteFileAside(const std::string& FileName, const std::string& Image, std::string& Error,
                    const TFileImageWriter& Write = {});

class TExpRegister : public TRegTable {
public:
    // The register file is written on a worker while the window thread goes on with
    // whatever else comes (the operator's input waits), so a slow disk never holds a
    // running process's window.
    TExpRegister();

    // The text of the record in the grid column (0 for the first).
    static std::string CellText(const TRegRecord& Record, int Column);

    // The set a record holds in this run (null when not loaded). A record carries a
    // run-local id, never an address: ids left in the file from an earlier run name nothing.
    ISXDataSet* RecordSet(const TRegRecord& Record) const;
    // Gives the record the set's id (a new one for a set it did not hold), or 0 for null.
    void SetRecordSet(TRegRecord& Record, ISXDataSet* DataSet);
    void ForgetSet(const TRegRecord& Record) { FSets.erase(Record.SXDataSet); }
    void ForgetSets() { FSets.clear(); }

    // The first record whose data name is exactly DataName, or -1.
    int FindByDataName(const std::string& DataName) const;
    // The first record holding the set, or -1.
    int FindBySet(ISXDataSet* DataSet) const;
    // Appends the table items of every record; gives how many.
    int ListTables(TStringList* List) const;

    // Date and description from the set's properties: its date (the current time
    // without one) and, when it has them, the five description texts.
    static void FillFromSet(TRegRecord& Record, ISXDataSet* DataSet);
    // The record's table list for its set: one item per table, the data name without
    // ".mps", a point and the table name, as comma text; empty without a set.
    static std::string TableList(const TRegRecord& Record, ISXDataSet* DataSet);
    // Whether a description text differs between the two records.
    static bool DescriptionDiffers(const TRegRecord& Before, const TRegRecord& After);
    // Writes the description texts that differ into the set's description (made when
    // missing); true when one was written.
    static bool WriteDescription(ISXDataSet* DataSet, const TRegRecord& Before, const TRegRecord& After);
    // The same for a record whose set is not loaded: the description is read from the
    // set file's properties and, when a text differs, written back into them; the file's
    // tables are neither read into memory nor rewritten as cells. False with a reason when
    // the file cannot be read or written.
    static bool WriteDescriptionToFile(ISXFiler* Filer, const std::string& FileName, const TRegRecord& Before,
                                       const TRegRecord& After, std::string& Error);

private:
    std::map<std::int64_t, ISXDataSet*> FSets;
    std::int64_t FNextSetId = 1;
};
