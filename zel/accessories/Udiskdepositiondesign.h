// The one design of the disk and the cylinder-membrane deposition windows: the roll
// design's parameters and a doser group, the rotating barrier's position kept in a
// hidden group. Each of the two windows gives its identity and its words.
#pragma once
#include "zel/accessories/Ufeedbackdeposition.h"

class TDiskDepositionDesign : public TFeedbackDepositionWindow {
public:
    TDiskDepositionDesign(TComponent* Owner, const TAccessoryProcess& Process, const TFeedbackWords& Words,
                          const TDoserWords& DoserWords, const char* GroupName);

    // The two windows' points have one layout.
    void AddDataRow(const TDiskPoint* Point);
    void edDoserSpeedTopClick(TObject* Sender);
    void edDoserSpeedBottomClick(TObject* Sender);

protected:
    void PrepareWindow() override;
    void ApplyRules() override;
    std::vector<TStoredValue> StoredValues() override;
    void ParameterLines(std::string& Text) override;
    void SendParameters() override;

private:
    const TDoserWords& FDoserWords;
};
