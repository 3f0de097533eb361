// TFRollDepositionCtrl: roll deposition. The rotating barrier turns in a direction at a
// speed while barrier 1 keeps the dipper balance's pressure; the instrument may end the
// run itself at its limit switch.
#pragma once
#include "zel/accessories/Ufeedbackdeposition.h"

struct TRollPoint;

// The roll run's table: time, both pressures, the rotating barrier's position.
std::unique_ptr<TPTableData> CreateRollDepositionTable(ISXDataSet* DataSet, const std::string& Name);

class TFRollDepositionCtrl : public TFeedbackDepositionWindow {
public:
    explicit TFRollDepositionCtrl(TComponent* Owner);
    ~TFRollDepositionCtrl() override;

    void AddDataRow(const TRollPoint* Point);

protected:
    void SendParameters() override;
};

extern TFRollDepositionCtrl* FRollDepositionCtrl;
