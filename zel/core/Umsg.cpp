#include "zel/core/Umsg.h"

#include "platform/ui/ControlBuilder.h"

TFMsg* FMsg = nullptr;

TFMsg::TFMsg(TComponent* Owner) : TForm(Owner)
{
    SetUpForm(this, "FMsg", "Deposition control", fsStayOnTop, bsDialog);
    Position = poScreenCenter;
    SetBounds(0, 0, 320, 130);
    lblMessage = new TLabel(this);
    lblMessage->Name = "lblMessage";
    lblMessage->AutoSize = false;
    lblMessage->SetAlignment(taCenter);
    lblMessage->SetWordWrap(true);
    lblMessage->SetBounds(8, 8, 304, 60);
    lblMessage->SetCaption("Wait the completions of the moving the barrier and add the substance. Continue?");
    lblMessage->SetParent(this);
    btnOk = new TButton(this);
    btnOk->Name = "btnOk";
    btnOk->SetCaption("OK");
    btnOk->SetBounds(72, 80, 75, 25);
    btnOk->SetParent(this);
    btnCancel = new TButton(this);
    btnCancel->Name = "btnCancel";
    btnCancel->SetCaption("Cancel");
    btnCancel->SetBounds(172, 80, 75, 25);
    btnCancel->SetParent(this);
    // Closing by the frame is the operator's Cancel: whoever waits on the box hears of it.
    OnClose = [this](TObject*, TCloseAction& Action) {
        Action = caHide;
        btnCancel->Click();
    };
    SetVisible(false);
    FMsg = this;
}

TFMsg::~TFMsg()
{
    if (FMsg == this) FMsg = nullptr;
}
