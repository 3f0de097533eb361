#include "kvc/KvLinkLabel.h"

#include "platform/ui/Cursors.h"

namespace KVC {

TKvLinkLabel::TKvLinkLabel(TComponent* Owner)
    : TLabel(Owner), FActiveFont(std::make_unique<TFont>()), FSavedFont(std::make_unique<TFont>())
{
    SetControlCursor(this, crHandPoint);
    Font()->SetStyle(Font()->GetStyle() << fsUnderline);
    FActiveFont->Assign(*Font());
    FActiveFont->SetColor(clBlue);
    FActiveFont->OnChange = [this](TObject*) { Invalidate(); };
}

void TKvLinkLabel::SetActiveFont(const TFont& Value)
{
    FActiveFont->Assign(Value);
    Invalidate();
}

void TKvLinkLabel::WndProc(TMessage& Message)
{
    TLabel::WndProc(Message);
    if (Message.Msg == CM_MOUSEENTER) {
        FSavedFont->Assign(*Font());
        Font()->Assign(*FActiveFont);
    } else if (Message.Msg == CM_MOUSELEAVE) {
        Font()->Assign(*FSavedFont);
    }
}

}  // namespace KVC
