// TFCylinderMembraneDepositionCtrl: cylinder-membrane deposition, the second configuration of
// the disk design.
#pragma once
#include "zel/accessories/Udiskdepositiondesign.h"

// The cylinder-membrane run's table: time and both pressures.
std::unique_ptr<TPTableData> CreateCylinderMembraneDepositionTable(ISXDataSet* DataSet, const std::string& Name);

class TFCylinderMembraneDepositionCtrl : public TDiskDepositionDesign {
public:
    explicit TFCylinderMembraneDepositionCtrl(TComponent* Owner);
    ~TFCylinderMembraneDepositionCtrl() override;
};

extern TFCylinderMembraneDepositionCtrl* FCylinderMembraneDepositionCtrl;
