#include "zel/core/Uprogress.h"

#include "platform/ui/ControlBuilder.h"

TFProgress* FProgress = nullptr;

TFProgress::TFProgress(TComponent* Owner) : TForm(Owner)
{
    SetUpForm(this, "FProgress", "", fsStayOnTop, bsNone);
    Position = poScreenCenter;
    SetBounds(0, 0, 300, 64);
    lblProgress = new TLabel(this);
    lblProgress->Name = "lblProgress";
    lblProgress->AutoSize = false;
    lblProgress->SetAlignment(taCenter);
    lblProgress->SetBounds(8, 8, 284, 16);
    lblProgress->SetParent(this);
    ProgressBar = new TProgressBar(this);
    ProgressBar->Name = "ProgressBar";
    ProgressBar->SetMin(0);
    ProgressBar->SetMax(100);
    ProgressBar->SetBounds(8, 32, 284, 18);
    ProgressBar->SetParent(this);
    SetVisible(false);
    FProgress = this;
}

TFProgress::~TFProgress()
{
    if (FProgress == this) FProgress = nullptr;
}
