#include "zel/experiment/Ushowexperimentinfo.h"

TFShowExperimentInfo::TFShowExperimentInfo(TComponent* Owner) : TForm(Owner)
{
    SetCaption("Show experiment info");
    SetBorderStyle(bsDialog);
    Position = poScreenCenter;
    SetBounds(0, 0, 255, 318);
    mmo = new TMemo(this);
    mmo->SetParent(this);
    mmo->SetBounds(0, 0, 255, 280);
    mmo->SetReadOnly(true);
    btnOk = new TButton(this);
    btnOk->SetParent(this);
    btnOk->SetCaption("OK");
    btnOk->SetBounds(90, 286, 75, 25);
    btnOk->ModalResult = mrOk;
    btnOk->Default = true;
}

void TFShowExperimentInfo::SetInfoText(const std::string& Text)
{
    TStringList Lines;
    Lines.SetText(Text);
    mmo->SetLines(Lines);
}
