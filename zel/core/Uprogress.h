// TFProgress: the progress window of a script's dry run; shown, stepped and hidden by the
// script window.
#pragma once
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

class TFProgress : public TForm {
public:
    explicit TFProgress(TComponent* Owner);
    ~TFProgress() override;

    TLabel* lblProgress;
    TProgressBar* ProgressBar;
};

extern TFProgress* FProgress;
