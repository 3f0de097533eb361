#include "zel/core/Uwait.h"

#include "platform/ui/ControlBuilder.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Windowroles.h"

TFWait* FWait = nullptr;

TFWait::TFWait(TComponent* Owner) : TForm(Owner)
{
    SetUpForm(this, "FWait", "Device calibrate", fsStayOnTop, bsDialog);
    Position = poScreenCenter;
    SetBounds(0, 0, 220, 100);
    lblWait = new TLabel(this);
    lblWait->Name = "lblWait";
    lblWait->SetCaption("Please, wait...");
    lblWait->SetBounds(16, 16, 188, 16);
    lblWait->SetParent(this);
    btnCancel = new TButton(this);
    btnCancel->Name = "btnCancel";
    btnCancel->SetCaption("Cancel");
    btnCancel->SetBounds(72, 52, 75, 25);
    btnCancel->SetParent(this);
    btnCancel->OnClick = [this](TObject*) { Close(); };
    OnClose = [](TObject*, TCloseAction& Action) {
        Action = caFree;
        if (auto* calibration = FindRole<IAutoCalibration>(TToolWindowKind::Calibration))
            calibration->CancelAutoCalibration();
    };
    FWait = this;
}

TFWait::~TFWait()
{
    if (FWait == this) FWait = nullptr;
}
