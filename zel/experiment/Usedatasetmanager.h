// Use counts of data sets. Owners count their uses here instead of deleting sets; the
// main window's collect run deletes the sets that nobody uses any more.
#pragma once
#include <cstdint>
#include <map>
#include <set>

class ISXDataSet;
class ISXDataField;

class TUseDataSetManager {
public:
    TUseDataSetManager() = default;
    ~TUseDataSetManager();  // deletes every set still known, whatever its count
    TUseDataSetManager(const TUseDataSetManager&) = delete;
    TUseDataSetManager& operator=(const TUseDataSetManager&) = delete;

    // A new empty set, counted once for the caller.
    ISXDataSet* Create();
    // The new count, or -1 for a set that is not known (null included). A table counts
    // for its data set.
    int AddRef(ISXDataSet* DataSet);
    int AddRef(ISXDataField* Table);
    // The new count, or -1 for a set that is not known. Never deletes.
    int Release(ISXDataSet* DataSet);
    int Release(ISXDataField* Table);
    bool IsKnown(ISXDataSet* DataSet) const;
    // The run that recorded into the set has ended: from now on the set is written to
    // its file whenever it holds unsaved data, even while others (a graph) still use it.
    void RunEnded(ISXDataSet* DataSet);
    // Deletes every set whose count is 0. A set that was changed since it was last saved
    // or loaded and has a file name is written to that file first, so data of a run that
    // ended without being saved is not lost; when that write fails the set stays for the
    // next run. Unsaved sets of ended runs that are still in use are written too.
    void Collect();

private:
    std::map<ISXDataSet*, std::uint32_t> FData;
    std::set<ISXDataSet*> FEndedRuns;
};

extern TUseDataSetManager UseDataSetManager;
