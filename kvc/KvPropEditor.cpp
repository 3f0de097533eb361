#include "kvc/KvPropEditor.h"

#include <cmath>

#include "kvc/KvServiceFuncs.h"
#include "platform/base/FloatFormat.h"

using KVC::TKvEdit;

const int TKvPropEditor::border_size = 1;
const int TKvPropEditor::grid_size = 1;

namespace {
// The rounding of a float to a whole number: halves up, by a margin too small to matter.
int RoundedInt(double Value) { return KVC::TypedTruncToInt(Value + 0.5 - 1e-50); }
}  // namespace

// ---------------------------------------------------------------------------------------
// TKvPropItem

TKvPropItem::TKvPropItem(TCollection* Collection) : TCollectionItem(Collection), FFont(std::make_unique<TFont>())
{
    Name = "Item" + std::to_string(GetIndex() + 1);
    if (auto* items = dynamic_cast<TKvPropItemCollection*>(Collection)) {
        FOwner = items->Owner();
        OnChange = [items](TObject* Sender) { items->Changed(Sender); };
    }
    FFont->OnChange = [this](TObject*) { DoChange(); };
}

TKvPropItem::~TKvPropItem() { FFont->OnChange = nullptr; }

void TKvPropItem::DoChange()
{
    if (OnChange) OnChange(this);
}

void TKvPropItem::Assign(const TPersistent* Source)
{
    const auto* source = dynamic_cast<const TKvPropItem*>(Source);
    if (!source) AssignError("TKvPropItem");
    if (source == this) return;
    for (int i = 0; i < 4; ++i) FFlags[i] = source->FFlags[i];
    FColor = source->FColor;
    FRowHeight = source->FRowHeight;
    Name = source->Name;
    FValueType = source->FValueType;
    FEditType = source->FEditType;
    Min = source->Min;
    Max = source->Max;
    FValueStr = source->FValueStr;
    FloatFormat = source->FloatFormat;
    FloatPrecision = source->FloatPrecision;
    FloatDigits = source->FloatDigits;
    Increment = source->Increment;
    FFont->Assign(*source->FFont);
    FListAdmissibleValues = source->FListAdmissibleValues;
}

bool TKvPropItem::GetFlag(int Index) const { return Index >= 0 && Index < 4 && FFlags[Index]; }

void TKvPropItem::SetFlag(int Index, bool Value)
{
    if (Index < 0 || Index >= 4) return;
    FFlags[Index] = Value;
    DoChange();
}

void TKvPropItem::SetColor(TColor Value)
{
    FColor = Value;
    DoChange();
}

void TKvPropItem::SetFont(const TFont* Value)
{
    if (!Value) return;
    FFont->Assign(*Value);
    DoChange();
}

void TKvPropItem::SetCaption(const std::string& Value)
{
    FCaption = Value;
    DoChange();
}

void TKvPropItem::SetRowHeight(int Value)
{
    FRowHeight = Value;
    DoChange();
}

void TKvPropItem::SetValueStr(const std::string& Value)
{
    FValueStr = Value;
    DoChange();
}

std::string TKvPropItem::BoolText(bool Value) const
{
    const int index = Value ? 1 : 0;
    if (index < FListAdmissibleValues.Count()) return FListAdmissibleValues[index];
    return Value ? "true" : "false";
}

int TKvPropItem::GetValueInt() const
{
    switch (FValueType) {
    case pivtDec: {
        int value = 0;
        if (!KVC::TypedParseInt(FValueStr, value))
            throw EConvertError("'" + FValueStr + "' is not a valid integer value");
        return value;
    }
    case pivtHex:
        return KVC::TypedHexValue(FValueStr);
    case pivtFloat:
        return RoundedInt(GetValueFloat());
    case pivtBool:
        return GetValueBool() ? 1 : 0;
    default:
        return 0;
    }
}

double TKvPropItem::GetValueFloat() const
{
    switch (FValueType) {
    case pivtDec:
    case pivtHex:
        return GetValueInt();
    case pivtFloat:
        return StrToFloat(FValueStr, dsPointOrComma);
    case pivtBool:
        return GetValueBool() ? 1 : 0;
    default:
        return 0;
    }
}

bool TKvPropItem::GetValueBool() const
{
    switch (FValueType) {
    case pivtDec:
    case pivtHex:
    case pivtFloat:
        return GetValueInt() != 0;
    case pivtBool:
        return FValueStr == (FListAdmissibleValues.Count() >= 2 ? FListAdmissibleValues[1] : std::string("true"));
    default:
        return false;
    }
}

void TKvPropItem::SetValueInt(int Value)
{
    switch (FValueType) {
    case pivtHex:
        SetValueStr(KVC::TypedHexText(Value));
        break;
    case pivtFloat:
        SetValueFloat(Value);
        break;
    case pivtBool:
        SetValueBool(Value != 0);
        break;
    default:
        SetValueStr(std::to_string(Value));
        break;
    }
}

void TKvPropItem::SetValueFloat(double Value)
{
    switch (FValueType) {
    case pivtDec:
    case pivtHex:
        SetValueInt(RoundedInt(Value));
        break;
    case pivtBool:
        SetValueBool(Value != 0);
        break;
    default:
        SetValueStr(FloatToStrF(Value, FloatFormat, FloatPrecision, FloatDigits));
        break;
    }
}

void TKvPropItem::SetValueBool(bool Value)
{
    switch (FValueType) {
    case pivtDec:
    case pivtHex:
        SetValueInt(Value ? 1 : 0);
        break;
    case pivtFloat:
        SetValueStr(FloatToStrF(Value ? 1 : 0, FloatFormat, FloatPrecision, FloatDigits));
        break;
    default:
        SetValueStr(BoolText(Value));
        break;
    }
}

int TKvPropItem::MeasurementItem(int Top, int Left, int Right)
{
    if (!FOwner) return Top;
    const int height = GetParentRowHeight() ? FOwner->GetDefaultRowHeight() : FRowHeight;
    FOwner->FRows.push_back(TKvPropEditRow{Rect(Left, Top, Right, Top + height), this});
    return Top + height;
}

void TKvPropItem::DoPaintItem(TCanvas* Canvas, const TRect& Row)
{
    if (!FOwner) return;
    const bool caption = GetIsCaption();
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(GetParentColor() ? FOwner->GetColorProp(caption ? 1 : 0) : FColor);
    Canvas->FillRect(Rect(Row.Left, Row.Top, Row.Right + 1, Row.Bottom + 1));
    Canvas->Font()->Assign(!GetParentFont() ? *FFont
                           : caption        ? *FOwner->DefaultCaptionFont()
                                            : *FOwner->DefaultItemFont());
    const unsigned format = DT_VCENTER | DT_NOPREFIX | (FOwner->GetBoolProp(0) ? DT_WORDBREAK : DT_SINGLELINE);
    TRect area = Rect(Row.Left + 3, Row.Top, Row.Right, Row.Bottom);
    if (caption) {
        area.Right -= 3;
        if (FOwner->GetBoolProp(1)) {
            const int top = area.Top + (area.Height() - 7) / 2;
            const TRect box = Rect(area.Left, top, area.Left + 7, top + 7);
            Canvas->Pen()->SetStyle(psSolid);
            Canvas->Pen()->SetColor(clBlack);
            Canvas->Brush()->SetColor(clWhite);
            Canvas->Rectangle(box);
            Canvas->MoveTo(box.Left + 2, top + 3);
            Canvas->LineTo(box.Right - 2, top + 3);
            Canvas->MoveTo(box.Left + 3, top + 2);
            Canvas->LineTo(box.Left + 3, box.Bottom - 2);
            area.Left += 10;
        }
        Canvas->Brush()->SetStyle(bsClear);
        Canvas->DrawText(FCaption, area, format);
        return;
    }
    area.Right = FOwner->GetLeftColumnWidth() - 3;
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->DrawText(FCaption, area, format);
    TRect value = Rect(FOwner->GetLeftColumnWidth() + TKvPropEditor::grid_size + 3, Row.Top, Row.Right - 3, Row.Bottom);
    Canvas->DrawText(FValueStr, value, format);
}

// ---------------------------------------------------------------------------------------
// TKvPropItemCollection

TKvPropItemCollection::TKvPropItemCollection(TKvPropEditor* Owner)
    : TCollection([](TCollection* Collection) { return new TKvPropItem(Collection); }), FOwner(Owner)
{
}

TKvPropItem* TKvPropItemCollection::Add()
{
    auto* item = static_cast<TKvPropItem*>(TCollection::Add());
    item->OnChange = [this](TObject* Sender) { Changed(Sender); };
    if (FOwner) FOwner->ReorderRows();
    Changed(this);
    return item;
}

void TKvPropItemCollection::Changed(TObject* Sender)
{
    if (OnChange) OnChange(Sender);
}

// Items added, removed or copied in: the rows are laid out again so that none points at
// an item that is gone.
void TKvPropItemCollection::Update(TCollectionItem* Item)
{
    if (!Item && FOwner) FOwner->ReorderRows();
    Changed(Item ? static_cast<TObject*>(Item) : this);
}

int TKvPropItemCollection::MeasurementItems(int Top, int Left, int Right, int Gap)
{
    if (!FOwner) return Top;
    for (int i = 0; i < Count(); ++i) Top = GetItem(i)->MeasurementItem(Top, Left, Right) + Gap;
    return Top;
}

// ---------------------------------------------------------------------------------------
// TKvPropEditor

TKvPropEditor::TKvPropEditor(TComponent* Owner)
    : TCustomControl(Owner),
      FColors{clBtnFace, clBtnFace, RGB(160, 150, 131), RGB(247, 222, 156)},
      FDefaultItemFont(std::make_unique<TFont>()),
      FDefaultCaptionFont(std::make_unique<TFont>())
{
    FItems = std::make_unique<TKvPropItemCollection>(this);
    FItems->OnChange = [this](TObject*) { Invalidate(); };
    FDefaultItemFont->OnChange = [this](TObject*) { Invalidate(); };
    FDefaultCaptionFont->OnChange = [this](TObject*) { Invalidate(); };
    SetBounds(0, 0, 185, 105);
}

TKvPropEditor::~TKvPropEditor()
{
    // The rows point into the items: both go before the control does.
    FRows.clear();
    FItems->OnChange = nullptr;
    FItems.reset();
    FDefaultItemFont->OnChange = nullptr;
    FDefaultCaptionFont->OnChange = nullptr;
}

void TKvPropEditor::SetItems(const TKvPropItemCollection* Value)
{
    if (Value) FItems->Assign(Value);
    Invalidate();
}

int TKvPropEditor::GetIntProp(int Index) const { return Index >= 0 && Index < 4 ? FInts[Index] : 0; }

void TKvPropEditor::SetIntProp(int Index, int Value)
{
    switch (Index) {
    case 0:
        FInts[0] = Value;
        ReorderRows();
        break;
    case 1:
    case 2:
        FInts[Index] = Value;
        break;
    case 3:
        if (Value != FInts[3]) {
            FreeEdit();
            FInts[3] = Value;
            CreateEditPropControl();
        }
        break;
    default:
        return;
    }
    Invalidate();
}

TColor TKvPropEditor::GetColorProp(int Index) const { return Index >= 0 && Index < 4 ? FColors[Index] : clNone; }

void TKvPropEditor::SetColorProp(int Index, TColor Value)
{
    if (Index < 0 || Index >= 4) return;
    FColors[Index] = Value;
    Invalidate();
}

bool TKvPropEditor::GetBoolProp(int Index) const { return Index >= 0 && Index < 4 && FBools[Index]; }

void TKvPropEditor::SetBoolProp(int Index, bool Value)
{
    if (Index < 0 || Index >= 4) return;
    FBools[Index] = Value;
    Invalidate();
}

void TKvPropEditor::ReorderRows()
{
    FRows.clear();
    if (FItems) FItems->MeasurementItems(border_size, border_size, GetWidth() - border_size, grid_size);
    // An edit over a row that is no longer there would edit nothing.
    if (FEdit && (FInts[3] < 0 || FInts[3] >= static_cast<int>(FRows.size()))) FreeEdit();
}

void TKvPropEditor::Loaded()
{
    TCustomControl::Loaded();
    ReorderRows();
}

void TKvPropEditor::Resize()
{
    TCustomControl::Resize();
    ReorderRows();
}

void TKvPropEditor::FreeEdit()
{
    delete FEdit;
    FEdit = nullptr;
}

void TKvPropEditor::CreateEditPropControl()
{
    const int index = FInts[3];
    if (index < 0 || index >= static_cast<int>(FRows.size())) return;
    const TKvPropEditRow row = FRows[static_cast<size_t>(index)];
    TKvPropItem* item = row.Item;
    if (!item || item->GetIsCaption()) return;
    TKvPropItemEditType kind = item->GetEditType();
    if (kind == pietDefault) kind = item->GetValueType() == pivtBool ? pietCheck : pietEdit;
    if (kind != pietEdit) return;

    FEdit = new TKvEdit(this);
    FEdit->SetParent(this);
    FEdit->EndLoading();
    const int left = FInts[2] + grid_size;
    FEdit->SetBounds(left, row.Rect.Top, row.Rect.Right - FInts[2] + grid_size, row.Rect.Height());
    switch (item->GetValueType()) {
    case pivtStr:
        FEdit->SetTypeValue(KVC::tvString);
        FEdit->SetText(item->GetValueStr());
        return;
    case pivtDec:
    case pivtHex:
    case pivtFloat:
        FEdit->SetTypeValue(item->GetValueType() == pivtDec   ? KVC::tvDecimal
                            : item->GetValueType() == pivtHex ? KVC::tvHexadecimal
                                                              : KVC::tvFloat);
        FEdit->SetSigned(item->GetValueType() != pivtHex);
        FEdit->Min = item->Min;
        FEdit->Max = item->Max;
        FEdit->Increment = item->Increment;
        FEdit->FloatFormat = item->FloatFormat;
        FEdit->FloatDigits = item->FloatDigits;
        FEdit->FloatPrecision = item->FloatPrecision;
        break;
    case pivtBool:
        FEdit->SetTypeValue(KVC::tvDecimal);
        FEdit->SetSigned(false);
        FEdit->Min = 0;
        FEdit->Max = 1;
        FEdit->Increment = 1;
        break;
    }
    // A stored text that does not convert opens the edit at its default value instead
    // of failing the click.
    try {
        if (item->GetValueType() == pivtFloat)
            FEdit->SetValueFloat(item->GetValueFloat());
        else
            FEdit->SetValueInt(item->GetValueInt());
    } catch (const EConvertError&) {
        FEdit->SetText(FEdit->DefaultValue);
    }
}

void TKvPropEditor::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    for (size_t i = 0; i < FRows.size(); ++i) {
        if (PtInRect(FRows[i].Rect, Point(X, Y))) {
            SetIntProp(3, static_cast<int>(i));
            return;
        }
    }
}

void TKvPropEditor::Paint()
{
    const int width = ClientWidth(), height = ClientHeight();
    TCanvas* canvas = FBuffer.Begin(width, height);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(GetColor());
    canvas->FillRect(Rect(0, 0, width, height));
    for (const TKvPropEditRow& row : FRows)
        if (row.Item) row.Item->DoPaintItem(canvas, row.Rect);
    canvas->Pen()->SetColor(FColors[2]);
    if (FBools[3] && !FRows.empty()) {
        canvas->Pen()->SetStyle(psDot);
        for (size_t i = 1; i < FRows.size(); ++i) {
            canvas->MoveTo(0, FRows[i].Rect.Top);
            canvas->LineTo(width, FRows[i].Rect.Top);
        }
    }
    // The line between the columns runs down each value row.
    if (FBools[2]) {
        canvas->Pen()->SetStyle(psSolid);
        for (const TKvPropEditRow& row : FRows) {
            if (!row.Item || row.Item->GetIsCaption()) continue;
            canvas->MoveTo(FInts[2], row.Rect.Top);
            canvas->LineTo(FInts[2], row.Rect.Bottom);
        }
    }
    canvas->Pen()->SetStyle(psSolid);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(FColors[2]);
    canvas->FrameRect(Rect(0, 0, width, height));
    FBuffer.CopyTo(Canvas());
}
