// TFAbout: the about box with the running program's version.
#pragma once
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

class TFAbout : public TForm {
public:
    explicit TFAbout(TComponent* Owner);

    TCustomControl* imgLogo;
    TLabel* lblProduct;
    TLabel* lblDescription;
    TLabel* lblVersionCaption;
    TLabel* LBVersion;
    TMemo* mmoCredits;
    TPanel* pnlOk;

    void FormCreate(TObject* Sender);
};
