// Standard controls: label, buttons (push, bitmap, latching speed buttons), check and
// radio boxes, combo box, edit, memo, group box, panel and progress bar.
#pragma once
#include <string>
#include <vector>
#include "platform/ui/Controls.h"
#include "platform/ui/Graphics.h"
#include "platform/base/Strings.h"

class TLabel : public TControl {
public:
    explicit TLabel(TComponent* Owner);
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool AutoSize = true;
    // A single-line label is never narrower or lower than its text: the sizes windows give
    // assume a narrower font than the desktop may have.
    void SetBounds(int Left, int Top, int Width, int Height) override;
    TTextNeed TextNeed() const override;

protected:
    void ApplyCaption() override;
    void FontChanged() override;

private:
    void GrowToText();
    TAlignment FAlignment = taLeftJustify;
    bool FWordWrap = false;
};

// A push button. Click() runs the handler as the operator's click does; a non-zero
// ModalResult also closes a modal form with that result.
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* Owner);
    int ModalResult = 0;
    bool Default = false;
    bool Cancel = false;
    void Click() override;
    TTextNeed TextNeed() const override;

protected:
    void ApplyCaption() override;
};

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };

class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* Owner);
    TBitBtnKind GetKind() const { return FKind; }
    void SetKind(TBitBtnKind Value);

private:
    TBitBtnKind FKind = bkCustom;
};

// A latching button. With a GroupIndex other than 0 it stays down: the operator's click
// toggles it and runs the handler; Click() from code runs the handler only; setting Down
// fires nothing. Going down releases the other buttons of its group on the same parent;
// every button of a group may be up.
class TSpeedButton : public TControl {
public:
    explicit TSpeedButton(TComponent* Owner);
    int GetGroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    bool AllowAllUp = true;
    bool Flat = false;
    bool GetDown() const { return FDown; }
    void SetDown(bool Value);
    TTextNeed TextNeed() const override;

protected:
    void ApplyCaption() override;

private:
    friend struct TSpeedButtonAccess;
    void OperatorClick();
    void ReleaseGroup();
    int FGroupIndex = 0;
    bool FDown = false;
};

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* Owner);
    bool GetChecked() const;
    // A change runs OnClick, as the operator's click does.
    void SetChecked(bool Value);
    TTextNeed TextNeed() const override;

protected:
    void ApplyCaption() override;
};

class TRadioButton : public TWinControl {
public:
    explicit TRadioButton(TComponent* Owner);
    bool GetChecked() const;
    void SetChecked(bool Value);
    TTextNeed TextNeed() const override;

protected:
    void ApplyCaption() override;
};

enum TComboBoxStyle { csDropDown, csDropDownList };

class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* Owner);
    TComboBoxStyle GetStyle() const { return FStyle; }
    void SetStyle(TComboBoxStyle Value);
    const TStringList& Items() const { return FItems; }
    void SetItems(const TStringList& Items);
    void AddItem(const std::string& Item);
    void ClearItems();
    int GetItemIndex() const;
    // Selecting from code runs no handler.
    void SetItemIndex(int Value);
    // A small picture shown before the item's text.
    void SetItemPicture(int Index, const TBitmap& Picture);
    // Copies the item's picture into Picture; false when the item has none.
    bool GetItemPicture(int Index, TBitmap& Picture) const;
    // How many items the open list shows before it scrolls.
    void SetDropDownCount(int Rows);
    // Runs when the operator picks an item or edits the text.
    TNotifyEvent OnChange;
    // A pick-only list needs room for its longest choice; typed text scrolls.
    TTextNeed TextNeed() const override;

protected:
    void ApplyCaption() override;

private:
    // The edit field of a drop-down combo is made when the box is first shown: most boxes
    // become lists before that, and making the field is costly. Until then the box keeps
    // the text the field would hold.
    void MakeEditField();
    void KeepPendingText(const std::string& Text);
    TComboBoxStyle FStyle = csDropDown;
    TStringList FItems;
    bool FUpdating = false;
    bool FEditPending = true;
    std::string FPendingText;
};

class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* Owner);
    bool GetReadOnly() const;
    void SetReadOnly(bool Value);
    int MaxLength() const;
    void SetMaxLength(int Value);
    void SelectAll();
    // Runs on every change of the text, by the operator or from code.
    TNotifyEvent OnChange;

protected:
    void ApplyCaption() override;
    virtual void Change();

private:
    bool FUpdating = false;
};

class TMemo : public TWinControl {
public:
    explicit TMemo(TComponent* Owner);
    TStringList GetLines() const;
    void SetLines(const TStringList& Lines);
    void Append(const std::string& Line);
    void Clear();
    bool GetReadOnly() const;
    void SetReadOnly(bool Value);
    // The selection in characters of the memo's text, each line end counting as the two
    // characters CR LF; positions beyond the text end at it.
    int GetSelStart() const;
    void SetSelStart(int Value);
    int GetSelLength() const;
    void SetSelLength(int Value);
    TNotifyEvent OnChange;

protected:
    void ApplyCaption() override;

private:
    bool FUpdating = false;
};

class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* Owner);
    TTextNeed TextNeed() const override;

protected:
    void ApplyCaption() override;
    TRect AlignArea() const override;
};

enum TPanelBevel { bvNone, bvLowered, bvRaised };

class TPanel : public TWinControl {
public:
    explicit TPanel(TComponent* Owner);
    TPanelBevel GetBevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TPanelBevel Value);
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);

protected:
    void ApplyCaption() override;
    void FontChanged() override;

private:
    TPanelBevel FBevelOuter = bvRaised;
    TAlignment FAlignment = taCenter;
};

// A bar the operator drags to widen or narrow the control aligned beside it (Control, on
// the side the splitter is aligned to). The control keeps at least MinSize pixels, and
// the rest of the parent at least as much.
class TSplitter : public TControl {
public:
    explicit TSplitter(TComponent* Owner);
    TControl* Control = nullptr;
    int MinSize = 30;

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    bool FDragging = false;
    int FStartX = 0;
    int FStartWidth = 0;
};

class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent* Owner);
    int GetMin() const;
    int GetMax() const;
    void SetMin(int Value);
    void SetMax(int Value);
    int GetPosition() const;
    void SetPosition(int Value);
    int Step = 10;
    void StepIt();
    void StepBy(int Delta);
};
