// TFSettings: the settings dialog: the status and received-data refresh intervals, the
// decimals of surface pressure, and the language file.
#pragma once
#include "platform/kvcls/kvcls.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/RxSpin.h"
#include "platform/ui/StdCtrls.h"

class TFSettings : public TForm {
public:
    explicit TFSettings(TComponent* Owner);

    TPageControl* PageControl;
    TTabSheet* TSData;
    TLabel* lblUpdateStatusInterval;
    TRxSpinEdit* SEUpdateStatusInterval;
    TLabel* lblUpdateReceivedDataInterval;
    TRxSpinEdit* SEUpdateReceivedDataInterval;
    TLabel* lblDataAccuracy;
    TRxSpinEdit* SEDataAccuracy;
    TTabSheet* TSInterface;
    TLabel* lblLanguage;
    TListBox* LBLangFiles;
    TButton* BBOk;
    TButton* BBCancel;

    // The language files found when the dialog opened, and the entry of the language in
    // use then (-1 when it is not among them).
    TFolderFiles LangFiles;
    int InitialLanguageIndex = -1;

    void FormCreate(TObject* Sender);
    void BBOkClick(TObject* Sender);
    void ApplyLanguage();
};
