#include "zel/accessories/Urolldepositionctrl.h"

#include "hwzel/hwzel.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Notices.h"

TFRollDepositionCtrl* FRollDepositionCtrl = nullptr;

namespace {

const TAccessoryProcess RollProcess = {
    TToolWindowKind::Roll,
    pkRollDeposition,
    "FRollDepositionCtrl",
    "Roll",
    "Roll Deposition",
    "Roll deposition",
    "Roll deposition",
    "Roll deposition parameters",
    "RollDeposition",
    CreateRollDepositionTable,
    true,
    hlnRollStarted,
    hlnRollFinished,
};

const TFeedbackWords RollWords = {
    &THlProvider::SetRdDirection,        &THlProvider::SetRdSpeed,         &THlProvider::SetRdPressureDip,
    &THlProvider::SetRdRangePressureDip, &THlProvider::SetRdFeedbackSpeed, &THlProvider::SetRdApproachSpeed,
    &THlProvider::StartRollDeposition,
};

}  // namespace

std::unique_ptr<TPTableData> CreateRollDepositionTable(ISXDataSet* DataSet, const std::string& Name)
{
    return CreateAccessoryTable(DataSet, Name, true);
}

TFRollDepositionCtrl::TFRollDepositionCtrl(TComponent* Owner)
    : TFeedbackDepositionWindow(Owner, RollProcess, RollWords, "grpRollDepositionParams")
{
    HandleNotice(hlnRollPoint, [this](LPARAM P) { AddDataRow(NoticeRecord<TRollPoint>(P)); });
    // The limit switch ends the run as its finished notice does.
    HandleNotice(hlnRollLimitSwitch, [this](LPARAM P) { ProcessFinished(NoticeNumber(P)); });
    BuildStartStop(BelowParameters() + grpRotbar->GetHeight() + 8);
    FRollDepositionCtrl = this;
}

TFRollDepositionCtrl::~TFRollDepositionCtrl()
{
    if (FRollDepositionCtrl == this) FRollDepositionCtrl = nullptr;
}

void TFRollDepositionCtrl::SendParameters()
{
    TFeedbackDepositionWindow::SendParameters();
    SendStart();
}

void TFRollDepositionCtrl::AddDataRow(const TRollPoint* Point)
{
    if (Point) RecordPoint(Point->balance, Point->doserBalance, Point->rotBarrierPos, Point->status);
}
