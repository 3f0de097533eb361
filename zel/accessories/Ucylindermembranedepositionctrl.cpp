#include "zel/accessories/Ucylindermembranedepositionctrl.h"

#include "zel/core/Hlprovider.h"

TFCylinderMembraneDepositionCtrl* FCylinderMembraneDepositionCtrl = nullptr;

namespace {

const TAccessoryProcess CylinderProcess = {
    TToolWindowKind::CylinderMembrane,
    pkCylinderMembraneDeposition,
    "FCylinderMembraneDepositionCtrl",
    "CMD",
    "Cylinder Membrane Deposition",
    "CylinderMembrane deposition",
    "Cylinder membrane deposition",
    "Cylinder membrane deposition parameters",
    "CylinderMembraneDeposition",
    CreateCylinderMembraneDepositionTable,
    true,
    hlnCylStarted,
    hlnCylFinished,
};

const TFeedbackWords CylinderWords = {
    &THlProvider::SetCdDirection,     &THlProvider::SetCdSpeed,         &THlProvider::SetCdPressure,
    &THlProvider::SetCdRangePressure, &THlProvider::SetCdFeedbackSpeed, &THlProvider::SetCdApproachSpeed,
    &THlProvider::StartCylDeposition,
};

const TDoserWords CylinderDoserWords = {&THlProvider::SetCdDoserMode, &THlProvider::SetCdDoserSpeed,
                                        &THlProvider::SetCdDoserPresStart, &THlProvider::SetCdDoserPresStop};

}  // namespace

std::unique_ptr<TPTableData> CreateCylinderMembraneDepositionTable(ISXDataSet* DataSet, const std::string& Name)
{
    return CreateAccessoryTable(DataSet, Name, false);
}

TFCylinderMembraneDepositionCtrl::TFCylinderMembraneDepositionCtrl(TComponent* Owner)
    : TDiskDepositionDesign(Owner, CylinderProcess, CylinderWords, CylinderDoserWords,
                            "grpCylinderMembraneDepositionParams")
{
    SetBounds(824, 205, GetWidth(), GetHeight());
    FCylinderMembraneDepositionCtrl = this;
}

TFCylinderMembraneDepositionCtrl::~TFCylinderMembraneDepositionCtrl()
{
    if (FCylinderMembraneDepositionCtrl == this) FCylinderMembraneDepositionCtrl = nullptr;
}
