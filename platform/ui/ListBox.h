// TListBox: a list of text items of which the operator selects one.
#pragma once
#include <string>
#include "platform/ui/Controls.h"
#include "platform/base/Strings.h"

class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent* Owner);

    const TStringList& Items() const { return FItems; }
    void SetItems(const TStringList& Items);
    void AddItem(const std::string& Item);
    void ClearItems() { SetItems(TStringList()); }
    int Count() const { return FItems.Count(); }

    // -1 while nothing is selected. Selecting from code runs no handler; an index out of
    // range selects nothing.
    int GetItemIndex() const;
    void SetItemIndex(int Value);

    // Runs when the operator selects an item.
    TNotifyEvent OnClick;

private:
    TStringList FItems;
    bool FUpdating = false;
};
