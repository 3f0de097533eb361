// Collections of like items that a component keeps and stores with its form (thumbs of a
// slider, rows of a property grid, series of a chart). The collection owns its items; an
// item knows its collection and its index, and tells the collection when it changes.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include "platform/ui/Persistent.h"

class TCollection;

class TCollectionItem : public TPersistent {
public:
    // Joins Collection (when given) as its last item; the collection reports the change
    // when Add made the item, else the derived item reports it when complete.
    explicit TCollectionItem(TCollection* Collection);
    // Leaves the collection.
    ~TCollectionItem() override;
    TCollectionItem(const TCollectionItem&) = delete;
    TCollectionItem& operator=(const TCollectionItem&) = delete;

    TCollection* GetCollection() const { return FCollection; }
    void SetCollection(TCollection* Value);
    // Position in the collection, -1 outside one.
    int GetIndex() const;
    virtual std::string GetDisplayName() const;
    // Takes the values of Source; the base knows no values and refuses every source.
    void Assign(const TPersistent* Source) override;

protected:
    // Tells the collection that this item (or, with AllItems, every item) changed.
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
};

class TCollection : public TPersistent {
public:
    // Makes one new item joined to the given collection.
    using TItemFactory = std::function<TCollectionItem*(TCollection*)>;
    explicit TCollection(TItemFactory ItemFactory);
    ~TCollection() override;
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises std::out_of_range for an index outside the collection.
    TCollectionItem* GetItem(int Index) const { return FItems.at(static_cast<size_t>(Index)); }
    TCollectionItem* Add();
    void Delete(int Index);
    void Clear();
    int IndexOf(const TCollectionItem* Item) const;

    // Change reports wait while an update bracket is open and come once at its end.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    // Replaces the items by copies of the items of Source, a collection (each new item
    // assigned from its source); one change report at the end.
    void Assign(const TPersistent* Source) override;

protected:
    // A change of Item, or of the whole collection when Item is null (items added,
    // removed, reordered).
    virtual void Update(TCollectionItem* Item);
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);
    void ItemChanged(TCollectionItem* Item);

    TItemFactory FItemFactory;
    std::vector<TCollectionItem*> FItems;
    int FUpdateCount = 0;
    bool FClearing = false;
};
