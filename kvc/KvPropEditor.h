// A two-column property grid: each row shows a caption on the left and a typed value on
// the right; caption rows head groups. Clicking a value row opens a typed edit over the
// value column; the owner reads the entry from that edit. Each row's item keeps its value
// as text with a value type, limits and a float format, and converts it to and from
// integer, float and boolean.
#pragma once
#include <memory>
#include <string>
#include <vector>
#include "kvc/KvEdit.h"
#include "kvc/KvPaintBuffer.h"
#include "platform/ui/Collections.h"
#include "platform/ui/Controls.h"
#include "platform/base/FloatFormat.h"
#include "platform/base/Strings.h"

class TKvPropEditor;
class TKvPropItemCollection;

enum TKvPropItemValueType { pivtStr, pivtDec, pivtHex, pivtFloat, pivtBool };
enum TKvPropItemEditType { pietDefault, pietEdit, pietElipsis, pietFixedList, pietList, pietCheck };

class TKvPropItem : public TCollectionItem {
public:
    // Joins Collection as "Item<n>" (n its index plus 1); the grid is the collection's owner.
    explicit TKvPropItem(TCollection* Collection);
    ~TKvPropItem() override;

    // Copies everything but Caption and Tag; another class raises EAssignError.
    void Assign(const TPersistent* Source) override;
    std::string GetDisplayName() const override { return Name; }

    // 0 ParentColor, 1 ParentFont, 2 ParentRowHeight, 3 IsCaption.
    bool GetFlag(int Index) const;
    void SetFlag(int Index, bool Value);
    bool GetParentColor() const { return GetFlag(0); }
    bool GetParentFont() const { return GetFlag(1); }
    bool GetParentRowHeight() const { return GetFlag(2); }
    bool GetIsCaption() const { return GetFlag(3); }

    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* Value);
    const std::string& GetCaption() const { return FCaption; }
    void SetCaption(const std::string& Value);
    int GetRowHeight() const { return FRowHeight; }
    void SetRowHeight(int Value);
    const std::string& GetValueStr() const { return FValueStr; }
    void SetValueStr(const std::string& Value);

    TKvPropItemValueType GetValueType() const { return FValueType; }
    void SetValueType(TKvPropItemValueType Value) { FValueType = Value; }
    TKvPropItemEditType GetEditType() const { return FEditType; }
    void SetEditType(TKvPropItemEditType Value) { FEditType = Value; }
    // For booleans: the texts of false (line 0) and true (line 1).
    const TStringList& GetListAdmissibleValues() const { return FListAdmissibleValues; }
    void SetListAdmissibleValues(const TStringList& Value) { FListAdmissibleValues = Value; }

    // The value through its type. A decimal item whose text is no integer raises
    // EConvertError; a float item's text reads "." and "," alike.
    int GetValueInt() const;
    double GetValueFloat() const;
    bool GetValueBool() const;
    void SetValueInt(int Value);
    void SetValueFloat(double Value);
    void SetValueBool(bool Value);

    // Appends this item's row (Left, Top, Right, Top + height) to the grid's row table;
    // returns the row's bottom.
    int MeasurementItem(int Top, int Left, int Right);
    // Paints the row in Rect on Canvas.
    void DoPaintItem(TCanvas* Canvas, const TRect& Rect);

    TKvPropEditor* Owner() const { return FOwner; }

    std::string Name;
    int Tag = 0;
    // Limits and step given to the in-place edit.
    double Min = 0;
    double Max = 0;
    float Increment = 1;
    TFloatFormat FloatFormat = ffFixed;
    int FloatPrecision = 12;
    int FloatDigits = 2;
    // Called by every change of the item; the collection's Changed once it joined one.
    TNotifyEvent OnChange;

private:
    void DoChange();
    std::string BoolText(bool Value) const;

    bool FFlags[4] = {true, true, true, false};
    TColor FColor = clSilver;
    std::unique_ptr<TFont> FFont;
    int FRowHeight = 20;
    TKvPropEditor* FOwner = nullptr;
    std::string FCaption;
    TKvPropItemValueType FValueType = pivtStr;
    TKvPropItemEditType FEditType = pietDefault;
    TStringList FListAdmissibleValues;
    std::string FValueStr;
};

class TKvPropItemCollection : public TCollection {
public:
    explicit TKvPropItemCollection(TKvPropEditor* Owner);
    TKvPropEditor* Owner() const { return FOwner; }
    TKvPropItem* GetItem(int Index) const { return static_cast<TKvPropItem*>(TCollection::GetItem(Index)); }
    void SetItem(int Index, const TKvPropItem* Source) { GetItem(Index)->Assign(Source); }
    // Adds an item; the grid lays its rows out again.
    TKvPropItem* Add();
    // Reports a change to OnChange (the grid repaints).
    void Changed(TObject* Sender);
    // Lays the items' rows out from Top, Gap apart; returns the bottom.
    int MeasurementItems(int Top, int Left, int Right, int Gap);

    TNotifyEvent OnChange;

protected:
    void Update(TCollectionItem* Item) override;

private:
    TKvPropEditor* FOwner;
};

// One laid-out row: where it is and the item it shows.
struct TKvPropEditRow {
    TRect Rect;
    TKvPropItem* Item = nullptr;
};

class TKvPropEditor : public TCustomControl {
public:
    static const int border_size;
    static const int grid_size;

    explicit TKvPropEditor(TComponent* Owner);
    ~TKvPropEditor() override;

    TKvPropItemCollection* Items() const { return FItems.get(); }
    // Copies the items of Value.
    void SetItems(const TKvPropItemCollection* Value);

    // 0 DefaultRowHeight, 1 TreeIndent, 2 LeftColumnWidth, 3 the selected row.
    int GetIntProp(int Index) const;
    void SetIntProp(int Index, int Value);
    int GetDefaultRowHeight() const { return GetIntProp(0); }
    int GetLeftColumnWidth() const { return GetIntProp(2); }
    int SelectedRow() const { return GetIntProp(3); }
    // 0 DefaultItemColor, 1 DefaultCaptionColor, 2 GridColor, 3 SelectedColor.
    TColor GetColorProp(int Index) const;
    void SetColorProp(int Index, TColor Value);
    // 0 MultiLineRows, 1 CollapsedCaptions, 2 ShowGridVert, 3 ShowGridHoriz.
    bool GetBoolProp(int Index) const;
    void SetBoolProp(int Index, bool Value);
    TFont* DefaultItemFont() const { return FDefaultItemFont.get(); }
    TFont* DefaultCaptionFont() const { return FDefaultCaptionFont.get(); }
    void SetDefaultItemFont(const TFont& Value) { FDefaultItemFont->Assign(Value); }
    void SetDefaultCaptionFont(const TFont& Value) { FDefaultCaptionFont->Assign(Value); }

    // Lays the rows out again from the items.
    void ReorderRows();
    const std::vector<TKvPropEditRow>& Rows() const { return FRows; }
    // The in-place edit of the selected row (null when it has none).
    KVC::TKvEdit* PropEdit() const { return FEdit; }
    const TBitmap& Picture() const { return FBuffer.Bitmap(); }

protected:
    void Loaded() override;
    void Resize() override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    friend class TKvPropItem;
    void CreateEditPropControl();
    void FreeEdit();

    std::unique_ptr<TKvPropItemCollection> FItems;
    int FInts[4] = {15, 10, 50, -1};
    TColor FColors[4];
    bool FBools[4] = {false, true, true, true};
    std::unique_ptr<TFont> FDefaultItemFont;
    std::unique_ptr<TFont> FDefaultCaptionFont;
    std::vector<TKvPropEditRow> FRows;
    KVC::TKvEdit* FEdit = nullptr;
    KVC::TKvPaintBuffer FBuffer;
};
