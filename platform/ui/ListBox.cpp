#include "platform/ui/ListBox.h"

#include <QListWidget>

#include "platform/ui/ControlsInternal.h"

namespace {
QListWidget* List(const TControl* Control) { return static_cast<QListWidget*>(Control->Widget()); }
}  // namespace

TListBox::TListBox(TComponent* Owner) : TWinControl(Owner)
{
    auto* list = new QListWidget();
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->resize(121, 97);
    QObject::connect(list, &QListWidget::currentRowChanged, [this](int) {
        if (FUpdating) return;
        if (OnClick) OnClick(this);
    });
    SetWidget(list);
}

void TListBox::SetItems(const TStringList& Items)
{
    FItems = Items;
    FUpdating = true;
    QListWidget* list = List(this);
    list->clear();
    for (const std::string& line : FItems.Lines()) list->addItem(ToQ(line));
    list->setCurrentRow(-1);
    FUpdating = false;
}

void TListBox::AddItem(const std::string& Item)
{
    FItems.Add(Item);
    FUpdating = true;
    List(this)->addItem(ToQ(Item));
    FUpdating = false;
}

int TListBox::GetItemIndex() const
{
    QListWidget* list = List(this);
    const int row = list->currentRow();
    return row >= 0 && list->item(row) && list->item(row)->isSelected() ? row : -1;
}

void TListBox::SetItemIndex(int Value)
{
    FUpdating = true;
    QListWidget* list = List(this);
    if (Value >= 0 && Value < list->count()) {
        list->setCurrentRow(Value);
    } else {
        list->setCurrentRow(-1);
        list->clearSelection();
    }
    FUpdating = false;
}
