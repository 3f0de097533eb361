// TFDeviceInfo: the instrument's name, version, maker and date as the instrument reports
// them.
#pragma once
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

class TFDeviceInfo : public TForm {
public:
    explicit TFDeviceInfo(TComponent* Owner);

    TLabel* lblName;
    TLabel* lblVersion;
    TLabel* lblManufacturer;
    TLabel* lblDate;
    TLabel* STName;
    TLabel* STVersion;
    TLabel* STManufacturer;
    TLabel* STDate;
    TPanel* pnlOk;

    void FormCreate(TObject* Sender);
    void ApplyLanguage();
};
