#include "zel/experiment/Usedatasetmanager.h"
#include <string>
#include "platform/tabrix/SXDataSet.h"
#include "platform/ui/Timers.h"
#include "zel/core/Common.h"

TUseDataSetManager UseDataSetManager;

namespace {

void WriteTrace(int Line, const std::string& Message)
{
    OutputDebugString("Trace: " + std::string(__FILE__) + " " + std::to_string(Line) + " " + Message);
}

// One debug-output line naming this module and the line of the statement that traces.
#define TRACE(Message) WriteTrace(__LINE__, (Message))

std::string CountText(ISXDataSet* DataSet, std::uint32_t Count)
{
    return std::string(DataSet->GetFileName()) + " = " + std::to_string(static_cast<std::int32_t>(Count));
}

}  // namespace

TUseDataSetManager::~TUseDataSetManager()
{
    for (auto& Entry : FData) delete Entry.first;
    FData.clear();
}

ISXDataSet* TUseDataSetManager::Create()
{
    ISXDataSet* DataSet = new TSXDataSet();
    FData[DataSet] = 1;
    TRACE("Create data = 1");
    return DataSet;
}

int TUseDataSetManager::AddRef(ISXDataSet* DataSet)
{
    auto Entry = FData.find(DataSet);
    if (Entry == FData.end()) return -1;
    ++Entry->second;
    TRACE(CountText(DataSet, Entry->second));
    return static_cast<int>(Entry->second);
}

int TUseDataSetManager::AddRef(ISXDataField* Table) { return Table ? AddRef(Table->GetDataSet()) : -1; }

int TUseDataSetManager::Release(ISXDataSet* DataSet)
{
    auto Entry = FData.find(DataSet);
    if (Entry == FData.end()) return -1;
    // Owners pair each Release with a Create or AddRef; an unpaired one must not wrap
    // the count around and keep the set alive for ever.
    if (Entry->second > 0) --Entry->second;
    TRACE(CountText(DataSet, Entry->second));
    return static_cast<int>(Entry->second);
}

int TUseDataSetManager::Release(ISXDataField* Table) { return Table ? Release(Table->GetDataSet()) : -1; }

bool TUseDataSetManager::IsKnown(ISXDataSet* DataSet) const { return FData.count(DataSet) != 0; }

void TUseDataSetManager::RunEnded(ISXDataSet* DataSet)
{
    if (IsKnown(DataSet)) FEndedRuns.insert(DataSet);
}

void TUseDataSetManager::Collect()
{
    for (auto Entry = FData.begin(); Entry != FData.end();) {
        ISXDataSet* DataSet = Entry->first;
        const bool Unused = Entry->second == 0;
        const bool EndedRun = FEndedRuns.count(DataSet) != 0;
        if (!Unused && !EndedRun) {
            ++Entry;
            continue;
        }
        auto* Set = dynamic_cast<TSXDataSet*>(DataSet);
        // A set that cannot be written now is kept for the next run rather than lost.
        if (Set && Set->GetModified() && *Set->GetFileName() && Filer && !SaveDataSet(Set->GetFileName(), Set)) {
            ++Entry;
            continue;
        }
        FEndedRuns.erase(DataSet);
        if (!Unused) {
            ++Entry;
            continue;
        }
        Entry = FData.erase(Entry);
        delete DataSet;
    }
}
