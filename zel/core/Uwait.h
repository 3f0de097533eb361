// TFWait: the box shown while the calibration window calibrates a sensor by itself; its
// Cancel (or closing it) ends the automatic calibration, and the box frees itself.
#pragma once
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

class TFWait : public TForm {
public:
    explicit TFWait(TComponent* Owner);
    ~TFWait() override;

    TLabel* lblWait;
    TButton* btnCancel;
};

// The open box, null while none is open.
extern TFWait* FWait;
