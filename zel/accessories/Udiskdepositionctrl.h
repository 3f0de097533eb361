// TFDiskDepositionCtrl: disk deposition, the disk configuration of the disk design.
#pragma once
#include "zel/accessories/Udiskdepositiondesign.h"

// The disk run's table: time and both pressures.
std::unique_ptr<TPTableData> CreateDiskDepositionTable(ISXDataSet* DataSet, const std::string& Name);

class TFDiskDepositionCtrl : public TDiskDepositionDesign {
public:
    explicit TFDiskDepositionCtrl(TComponent* Owner);
    ~TFDiskDepositionCtrl() override;
};

extern TFDiskDepositionCtrl* FDiskDepositionCtrl;
