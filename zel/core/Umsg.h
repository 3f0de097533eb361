// TFMsg: the deposition window's confirmation box, asking to go on once the barrier has
// returned and substance was added. The deposition window shows it without blocking and
// attaches its handler to both buttons.
#pragma once
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

class TFMsg : public TForm {
public:
    explicit TFMsg(TComponent* Owner);
    ~TFMsg() override;

    TLabel* lblMessage;
    TButton* btnOk;
    TButton* btnCancel;
};

extern TFMsg* FMsg;
