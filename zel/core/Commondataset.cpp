// The data-set file routines of Common: saving and loading through the filer, and the
// date stamp of a new data set.
#include "platform/filer/SXFiler.h"
#include "platform/tabrix/SXDataSet.h"
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

bool SaveDataSet(const std::string& FileName, ISXDataSet* DataSet)
{
    if (!DataSet || !Filer || FileName.empty()) return false;
    const std::string Target = InProgramFolder(FileName);
    const std::string Folder = ExtractFilePath(Target);
    if (!Folder.empty() && !IsExistingFolder(Folder)) ForceDirectories(Folder);
    // The filer's answer is passed on: a save that did not reach the disk is never
    // reported as done.
    return Filer->Save(Target.c_str(), DataSet, 0);
}

ISXDataSet* LoadDataSet(const std::string& FileName)
{
    if (!Filer || FileName.empty()) return nullptr;
    const std::string Source = InProgramFolder(FileName);
    if (!IsExistingFile(Source)) return nullptr;
    ISXDataSet* DataSet = UseDataSetManager.Create();
    Filer->Load(Source.c_str(), DataSet, 0, 1);
    DataSet->SetFileName(Source.c_str());
    return DataSet;
}

void GetNowRecord(TSXDateTime& Record) { Record = MakeSXDateTime(LocalNow()); }
