#include "zel/accessories/Udiskdepositionctrl.h"

#include "zel/core/Hlprovider.h"

TFDiskDepositionCtrl* FDiskDepositionCtrl = nullptr;

namespace {

const TAccessoryProcess DiskProcess = {
    TToolWindowKind::Disk,
    pkDiskDeposition,
    "FDiskDepositionCtrl",
    "Disk",
    "Disk Deposition",
    "Disk deposition",
    "Disk deposition",
    "Disk deposition parameters",
    "DiskDeposition",
    CreateDiskDepositionTable,
    true,
    hlnDiskStarted,
    hlnDiskFinished,
};

const TFeedbackWords DiskWords = {
    &THlProvider::SetDdDirection,      &THlProvider::SetDdSpeed,         &THlProvider::SetDdPressure,
    &THlProvider::SetDdRangePressure,  &THlProvider::SetDdFeedbackSpeed, &THlProvider::SetDdApproachSpeed,
    &THlProvider::StartDiskDeposition,
};

const TDoserWords DiskDoserWords = {&THlProvider::SetDdDoserMode, &THlProvider::SetDdDoserSpeed,
                                    &THlProvider::SetDdDoserPresStart, &THlProvider::SetDdDoserPresStop};

}  // namespace

std::unique_ptr<TPTableData> CreateDiskDepositionTable(ISXDataSet* DataSet, const std::string& Name)
{
    return CreateAccessoryTable(DataSet, Name, false);
}

TFDiskDepositionCtrl::TFDiskDepositionCtrl(TComponent* Owner)
    : TDiskDepositionDesign(Owner, DiskProcess, DiskWords, DiskDoserWords, "grpRollDepositionParams")
{
    SetBounds(190, 49, GetWidth(), GetHeight());
    FDiskDepositionCtrl = this;
}

TFDiskDepositionCtrl::~TFDiskDepositionCtrl()
{
    if (FDiskDepositionCtrl == this) FDiskDepositionCtrl = nullptr;
}
