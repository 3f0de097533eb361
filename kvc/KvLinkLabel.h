// A label that shows another font (ActiveFont, blue by default) while the mouse is over it.
#pragma once
#include <memory>
#include "platform/ui/StdCtrls.h"

namespace KVC {

class TKvLinkLabel : public TLabel {
public:
    explicit TKvLinkLabel(TComponent* Owner);
    TFont* ActiveFont() const { return FActiveFont.get(); }
    // Copies Value.
    void SetActiveFont(const TFont& Value);

protected:
    void WndProc(TMessage& Message) override;

private:
    std::unique_ptr<TFont> FActiveFont;
    std::unique_ptr<TFont> FSavedFont;
};

}  // namespace KVC
