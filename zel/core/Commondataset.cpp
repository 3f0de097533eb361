// The data-set file routines of Common: saving and loading through the filer, and the
// date stamp of a new data set.
#include <memory>
#include "platform/filer/SXFiler.h"
#include "platform/tabrix/SXDataSet.h"
#include "platform/ui/Application.h"
#include "platform/ui/Messages.h"
#include "platform/base/FileDates.h"
#include "zel/core/Common.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/experiment/Usedatasetmanager.h"

namespace {

// A name without a folder means a file in the program folder, not in whatever folder
// the process happens to run in.
std::string InProgramFolder(const std::string& FileName)
{
    return ExtractFilePath(FileName).empty() ? AppPath + FileName : FileName;
}

}  // namespace

bool SaveDataSet(const std::string& FileName, ISXDataSet* DataSet, std::string* Error)
{
    auto fail = [&](const std::string& Reason) {
        if (Error) *Error = Reason.find(FileName) == std::string::npos ? FileName + ": " + Reason : Reason;
        return false;
    };
    if (!DataSet) return fail("no data set");
    if (!Filer) return fail("no filer is loaded");
    if (FileName.empty()) return fail("no file name");
    const std::string Target = InProgramFolder(FileName);
    const std::string Folder = ExtractFilePath(Target);
    if (!Folder.empty() && !IsExistingFolder(Folder)) ForceDirectories(Folder);
    // The filer's answer is passed on: a save that did not reach the disk is never
    // reported as done.
    if (Filer->Save(Target.c_str(), DataSet, 0)) return true;
    const char* Reason = Filer->GetLastError();
    const std::string Why = Reason && *Reason ? Reason : "unknown error";
    if (Error) *Error = Why.find(Target) == std::string::npos ? Target + ": " + Why : Why;
    return false;
}

bool SaveDataSetAside(const std::string& FileName, ISXDataSet* DataSet, std::string* Error)
{
    auto* Set = dynamic_cast<TSXDataSet*>(DataSet);
    if (!Set || !Application || !IsGuiThread()) return SaveDataSet(FileName, DataSet, Error);
    // The worker reads only the snapshot, which shares the cells, so the window thread
    // may go on using the set; the keeper's extra use keeps the set alive if a handler
    // run meanwhile lets go of the caller's.
    std::unique_ptr<TSXDataSet> Snapshot = Set->Snapshot();
    const std::uint64_t Taken = Set->GetChangeCount();
    const bool Kept = UseDataSetManager.AddRef(DataSet) >= 0;
    bool Saved = false;
    RunAside([&] { Saved = SaveDataSet(FileName, Snapshot.get(), Error); });
    if (Saved && Set->GetChangeCount() == Taken) Set->SetModified(false);
    if (Kept) UseDataSetManager.Release(DataSet);
    return Saved;
}

ISXDataSet* LoadDataSet(const std::string& FileName, std::string* Error)
{
    if (Error) Error->clear();
    if (!Filer || FileName.empty()) return nullptr;
    const std::string Source = InProgramFolder(FileName);
    if (!IsExistingFile(Source)) return nullptr;
    // The caller's use is handed over only once the set is complete: until then any
    // failure gives it back, before it has a file name, so the keeper's collect run
    // deletes it without writing it over the file.
    const auto GiveBack = [](ISXDataSet* Set) { UseDataSetManager.Release(Set); };
    std::unique_ptr<ISXDataSet, decltype(GiveBack)> DataSet(UseDataSetManager.Create(), GiveBack);
    try {
        // A file the filer cannot read gives an empty set; the filer keeps the reason.
        if (!Filer->Load(Source.c_str(), DataSet.get(), 0, 1) && Error) {
            const char* Reason = Filer->GetLastError();
            *Error = Reason && *Reason ? Reason : Source;
        }
        DataSet->SetFileName(Source.c_str());
    } catch (...) {
        if (Error) *Error = Source + ": the file could not be read";
        return nullptr;
    }
    return DataSet.release();
}

void GetNowRecord(TSXDateTime& Record) { Record = MakeSXDateTime(LocalNow()); }
