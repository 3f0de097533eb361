// The viewer of a data set's experiment description text.
#pragma once
#include <string>
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

class TFShowExperimentInfo : public TForm {
public:
    explicit TFShowExperimentInfo(TComponent* Owner);
    void SetInfoText(const std::string& Text);

    TMemo* mmo;
    TButton* btnOk;
};
