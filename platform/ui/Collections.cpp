#include "platform/ui/Collections.h"

#include <algorithm>
#include <stdexcept>

// The collection hears of a new item once it is complete (Add reports it): during this
// constructor the derived item does not exist yet.
TCollectionItem::TCollectionItem(TCollection* Collection)
{
    if (Collection) Collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* Value)
{
    if (Value == FCollection) return;
    if (FCollection) FCollection->RemoveItem(this);
    if (Value) {
        Value->InsertItem(this);
        Value->Changed();
    }
}

int TCollectionItem::GetIndex() const { return FCollection ? FCollection->IndexOf(this) : -1; }

std::string TCollectionItem::GetDisplayName() const { return "TCollectionItem"; }

void TCollectionItem::Assign(const TPersistent* /*Source*/) { AssignError("TCollectionItem"); }

void TCollectionItem::Changed(bool AllItems)
{
    if (FCollection) FCollection->ItemChanged(AllItems ? nullptr : this);
}

TCollection::TCollection(TItemFactory ItemFactory) : FItemFactory(std::move(ItemFactory)) {}

TCollection::~TCollection()
{
    FUpdateCount = 1;  // no reports to a derived collection that is already gone
    FClearing = true;
    while (!FItems.empty()) delete FItems.back();
}

TCollectionItem* TCollection::Add()
{
    if (!FItemFactory) throw std::logic_error("The collection has no item class");
    TCollectionItem* item = FItemFactory(this);
    if (item->GetCollection() != this)
        item->SetCollection(this);
    else
        Changed();
    return item;
}

void TCollection::Delete(int Index) { delete GetItem(Index); }

void TCollection::Clear()
{
    if (FItems.empty()) return;
    BeginUpdate();
    while (!FItems.empty()) delete FItems.back();
    EndUpdate();
}

int TCollection::IndexOf(const TCollectionItem* Item) const
{
    const auto at = std::find(FItems.begin(), FItems.end(), Item);
    return at == FItems.end() ? -1 : static_cast<int>(at - FItems.begin());
}

void TCollection::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Assign(const TPersistent* Source)
{
    const auto* source = dynamic_cast<const TCollection*>(Source);
    if (!source) AssignError("TCollection");
    if (source == this) return;
    BeginUpdate();
    try {
        Clear();
        for (const TCollectionItem* item : source->FItems) Add()->Assign(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::Update(TCollectionItem* /*Item*/) {}

void TCollection::Changed()
{
    if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item)
{
    FItems.push_back(Item);
    Item->FCollection = this;
}

void TCollection::RemoveItem(TCollectionItem* Item)
{
    const auto at = std::find(FItems.begin(), FItems.end(), Item);
    if (at != FItems.end()) FItems.erase(at);
    Item->FCollection = nullptr;
    Changed();
}

void TCollection::ItemChanged(TCollectionItem* Item)
{
    if (FUpdateCount == 0) Update(Item);
}
