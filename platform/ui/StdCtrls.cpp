#include "platform/ui/StdCtrls.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QPalette>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QToolButton>

#include "platform/ui/ControlsInternal.h"
#include "platform/ui/Forms.h"
#include "platform/ui/GraphicsQt.h"
#include "platform/ui/TextSize.h"
#include "platform/ui/ShowNotice.h"

namespace {
template <class W>
W* As(const TControl* Control)
{
    return static_cast<W*>(Control->Widget());
}

Qt::Alignment ToAlignment(TAlignment Value)
{
    switch (Value) {
    case taRightJustify:
        return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter:
        return Qt::AlignCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

TForm* ParentForm(TControl* Control)
{
    for (TControl* c = Control; c; c = c->GetParent())
        if (auto* form = dynamic_cast<TForm*>(c)) return form;
    return nullptr;
}

// The width of a caption as the widget shows it (an ampersand marks the next letter).
int CaptionWidth(const QWidget* Widget, const QString& Text) { return CaptionSize(Widget, Text).width(); }
}  // namespace

// ---------------------------------------------------------------------------------------

TLabel::TLabel(TComponent* Owner) : TControl(Owner)
{
    auto* label = new QLabel();
    label->resize(60, 16);
    SetWidget(label);
}

void TLabel::ApplyCaption()
{
    auto* label = As<QLabel>(this);
    label->setText(ToQ(GetCaption()));
    // A label sized to its text has nothing left to grow to.
    if (AutoSize)
        label->resize(LabelTextSize(label));
    else
        GrowToText();
}

void TLabel::SetBounds(int Left, int Top, int Width, int Height)
{
    TControl::SetBounds(Left, Top, Width, Height);
    GrowToText();
}

void TLabel::FontChanged()
{
    TControl::FontChanged();
    GrowToText();
}

TControl::TTextNeed TLabel::TextNeed() const
{
    // A wrapped or aligned label takes the shape its text or its parent gives it.
    if (FWordWrap || GetAlign() != alNone || GetCaption().empty()) return {};
    return {LabelTextSize(As<QLabel>(this)).width(), true};
}

void TLabel::GrowToText()
{
    auto* label = As<QLabel>(this);
    if (FWordWrap || GetAlign() != alNone) return;
    const QSize text = LabelTextSize(label);
    if (label->width() < text.width() || label->height() < text.height())
        label->resize(std::max(label->width(), text.width()), std::max(label->height(), text.height()));
}

void TLabel::SetWordWrap(bool Value)
{
    FWordWrap = Value;
    As<QLabel>(this)->setWordWrap(Value);
}

void TLabel::SetAlignment(TAlignment Value)
{
    FAlignment = Value;
    As<QLabel>(this)->setAlignment(ToAlignment(Value));
}

// ---------------------------------------------------------------------------------------

TButton::TButton(TComponent* Owner) : TWinControl(Owner)
{
    auto* button = new QPushButton();
    button->resize(75, 25);
    QObject::connect(button, &QPushButton::clicked, [this] { Click(); });
    SetWidget(button);
}

void TButton::ApplyCaption() { As<QPushButton>(this)->setText(ToQ(GetCaption())); }

void TButton::Click()
{
    if (!GetEnabled()) return;
    if (ModalResult != 0)
        if (TForm* form = ParentForm(this)) form->ModalResult = ModalResult;
    TWinControl::Click();
}

TControl::TTextNeed TButton::TextNeed() const
{
    const auto* button = As<QPushButton>(this);
    if (button->text().isEmpty()) return {};
    const QStyle* style = button->style();
    int width =
        CaptionWidth(button, button->text()) + 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                                                    style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
    if (!button->icon().isNull()) width += button->iconSize().width() + 4;
    return {width, false};
}

TBitBtn::TBitBtn(TComponent* Owner) : TButton(Owner) {}

void TBitBtn::SetKind(TBitBtnKind Value)
{
    FKind = Value;
    static const struct {
        TBitBtnKind Kind;
        const char* Caption;
        int Result;
    } kinds[] = {{bkOK, "OK", mrOk},
                 {bkCancel, "Cancel", mrCancel},
                 {bkHelp, "&Help", mrNone},
                 {bkYes, "&Yes", mrYes},
                 {bkNo, "&No", mrNo},
                 {bkClose, "&Close", mrNone},
                 {bkAbort, "Abort", mrAbort},
                 {bkRetry, "&Retry", mrRetry},
                 {bkIgnore, "&Ignore", mrIgnore},
                 {bkAll, "&All", mrAll}};
    for (const auto& k : kinds)
        if (k.Kind == Value) {
            if (GetCaption().empty()) SetCaption(k.Caption);
            ModalResult = k.Result;
        }
}

// ---------------------------------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* Owner) : TControl(Owner)
{
    auto* button = new QToolButton();
    button->resize(23, 22);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // The button's state is kept here, so the platform never toggles it by itself.
    QObject::connect(button, &QToolButton::clicked, [this] { OperatorClick(); });
    SetWidget(button);
}

TControl::TTextNeed TSpeedButton::TextNeed() const
{
    const auto* button = As<QToolButton>(this);
    if (button->text().isEmpty()) return {};
    return {button->sizeHint().width(), false};
}

void TSpeedButton::ApplyCaption() { As<QToolButton>(this)->setText(ToQ(GetCaption())); }

void TSpeedButton::SetGroupIndex(int Value)
{
    FGroupIndex = Value;
    auto* button = As<QToolButton>(this);
    button->setCheckable(Value != 0);
    if (Value == 0) SetDown(false);
}

void TSpeedButton::SetDown(bool Value)
{
    if (FGroupIndex == 0) Value = false;
    FDown = Value;
    auto* button = As<QToolButton>(this);
    button->setChecked(Value);
    if (Value) ReleaseGroup();
}

void TSpeedButton::ReleaseGroup()
{
    TWinControl* parent = GetParent();
    if (!parent || FGroupIndex == 0) return;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        auto* other = dynamic_cast<TSpeedButton*>(parent->Controls(i));
        if (other && other != this && other->FGroupIndex == FGroupIndex && other->FDown) {
            other->FDown = false;
            As<QToolButton>(other)->setChecked(false);
        }
    }
}

void TSpeedButton::OperatorClick()
{
    if (FGroupIndex != 0) SetDown(!FDown);
    Click();
}

// ---------------------------------------------------------------------------------------

TCheckBox::TCheckBox(TComponent* Owner) : TWinControl(Owner)
{
    auto* box = new QCheckBox();
    box->resize(97, 17);
    QObject::connect(box, &QCheckBox::toggled, [this](bool) { Click(); });
    SetWidget(box);
}

void TCheckBox::ApplyCaption() { As<QCheckBox>(this)->setText(ToQ(GetCaption())); }
TControl::TTextNeed TCheckBox::TextNeed() const
{
    if (GetCaption().empty()) return {};
    return {As<QCheckBox>(this)->sizeHint().width(), true};
}

bool TCheckBox::GetChecked() const { return As<QCheckBox>(this)->isChecked(); }
void TCheckBox::SetChecked(bool Value) { As<QCheckBox>(this)->setChecked(Value); }

TRadioButton::TRadioButton(TComponent* Owner) : TWinControl(Owner)
{
    auto* button = new QRadioButton();
    button->resize(113, 17);
    QObject::connect(button, &QRadioButton::toggled, [this](bool on) {
        if (on) Click();
    });
    SetWidget(button);
}

void TRadioButton::ApplyCaption() { As<QRadioButton>(this)->setText(ToQ(GetCaption())); }
TControl::TTextNeed TRadioButton::TextNeed() const
{
    if (GetCaption().empty()) return {};
    return {As<QRadioButton>(this)->sizeHint().width(), true};
}

bool TRadioButton::GetChecked() const { return As<QRadioButton>(this)->isChecked(); }
void TRadioButton::SetChecked(bool Value) { As<QRadioButton>(this)->setChecked(Value); }

// ---------------------------------------------------------------------------------------

TComboBox::TComboBox(TComponent* Owner) : TWinControl(Owner)
{
    auto* box = new TShowNotice<QComboBox>();
    box->BeforeFirstShow = [this] { MakeEditField(); };
    box->resize(145, 21);
    QObject::connect(box, &QComboBox::activated, [this](int) {
        StoreCaption(FromQ(As<QComboBox>(this)->currentText()));
        if (OnChange) OnChange(this);
    });
    QObject::connect(box, &QComboBox::editTextChanged, [this](const QString& text) {
        if (FUpdating) return;
        StoreCaption(FromQ(text));
        if (OnChange) OnChange(this);
    });
    SetWidget(box);
}

void TComboBox::MakeEditField()
{
    if (!FEditPending) return;
    FEditPending = false;
    FUpdating = true;
    auto* box = As<QComboBox>(this);
    box->setEditable(true);
    // The field takes the box's colours as they change, as one made with the box does.
    box->lineEdit()->setPalette(QPalette());
    box->setEditText(ToQ(FPendingText));
    FUpdating = false;
    FPendingText.clear();
}

// The field shows the current item's text after every change of the current item.
void TComboBox::KeepPendingText(const std::string& Text)
{
    if (FEditPending) FPendingText = Text;
}

void TComboBox::SetStyle(TComboBoxStyle Value)
{
    FStyle = Value;
    if (FEditPending) {
        // A list from the start never needs the field.
        if (Value == csDropDownList) {
            FEditPending = false;
            FPendingText.clear();
        }
        return;
    }
    FUpdating = true;
    As<QComboBox>(this)->setEditable(Value == csDropDown);
    FUpdating = false;
}

void TComboBox::ApplyCaption()
{
    if (FEditPending) {
        FPendingText = GetCaption();
        return;
    }
    FUpdating = true;
    auto* box = As<QComboBox>(this);
    if (box->isEditable())
        box->setEditText(ToQ(GetCaption()));
    else
        box->setCurrentIndex(box->findText(ToQ(GetCaption())));
    FUpdating = false;
}

TControl::TTextNeed TComboBox::TextNeed() const
{
    const auto* box = As<QComboBox>(this);
    // A box with an edit field (made or still to be made) takes the width it was given.
    if (FStyle == csDropDown || box->count() == 0) return {};
    int text = 0;
    bool pictures = false;
    for (int i = 0; i < box->count(); ++i) {
        text = std::max(text, box->fontMetrics().horizontalAdvance(box->itemText(i)));
        pictures = pictures || !box->itemIcon(i).isNull();
    }
    if (pictures) text += box->iconSize().width() + 4;
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = false;
    option.frame = box->hasFrame();
    const QSize content(text, box->fontMetrics().height());
    return {box->style()->sizeFromContents(QStyle::CT_ComboBox, &option, content, box).width(), false};
}

void TComboBox::SetItems(const TStringList& Items)
{
    FItems = Items;
    FUpdating = true;
    auto* box = As<QComboBox>(this);
    box->clear();
    for (const std::string& line : FItems.Lines()) box->addItem(ToQ(line));
    box->setCurrentIndex(-1);
    KeepPendingText(std::string());
    FUpdating = false;
}

void TComboBox::AddItem(const std::string& Item)
{
    FItems.Add(Item);
    FUpdating = true;
    As<QComboBox>(this)->addItem(ToQ(Item));
    if (FItems.Count() == 1) {
        As<QComboBox>(this)->setCurrentIndex(-1);
        KeepPendingText(std::string());
    }
    FUpdating = false;
}

void TComboBox::ClearItems() { SetItems(TStringList()); }

void TComboBox::SetItemPicture(int Index, const TBitmap& Picture)
{
    auto* box = As<QComboBox>(this);
    if (Index < 0 || Index >= box->count() || Picture.Empty()) return;
    QImage image(Picture.GetWidth(), Picture.GetHeight(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) image.setPixelColor(x, y, ToQColor(Picture.Canvas()->GetPixel(x, y)));
    box->setIconSize(image.size());
    box->setItemIcon(Index, QIcon(QPixmap::fromImage(image)));
}

bool TComboBox::GetItemPicture(int Index, TBitmap& Picture) const
{
    auto* box = As<QComboBox>(this);
    if (Index < 0 || Index >= box->count()) return false;
    const QIcon icon = box->itemIcon(Index);
    if (icon.isNull()) return false;
    const QImage image = icon.pixmap(box->iconSize()).toImage();
    Picture.SetSize(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) Picture.Canvas()->SetPixel(x, y, FromQRgb(image.pixel(x, y)));
    return true;
}

void TComboBox::SetDropDownCount(int Rows) { As<QComboBox>(this)->setMaxVisibleItems(Rows); }
int TComboBox::GetItemIndex() const { return As<QComboBox>(this)->currentIndex(); }

void TComboBox::SetItemIndex(int Value)
{
    FUpdating = true;
    auto* box = As<QComboBox>(this);
    box->setCurrentIndex(Value >= 0 && Value < box->count() ? Value : -1);
    StoreCaption(FromQ(box->currentText()));
    KeepPendingText(FromQ(box->currentText()));
    FUpdating = false;
}

// ---------------------------------------------------------------------------------------

TEdit::TEdit(TComponent* Owner) : TWinControl(Owner)
{
    auto* edit = new QLineEdit();
    edit->resize(121, 21);
    QObject::connect(edit, &QLineEdit::textChanged, [this](const QString& text) {
        if (FUpdating) return;
        StoreCaption(FromQ(text));
        Change();
    });
    SetWidget(edit);
}

void TEdit::ApplyCaption()
{
    FUpdating = true;
    As<QLineEdit>(this)->setText(ToQ(GetCaption()));
    FUpdating = false;
    Change();
}

void TEdit::Change()
{
    if (OnChange) OnChange(this);
}

bool TEdit::GetReadOnly() const { return As<QLineEdit>(this)->isReadOnly(); }
void TEdit::SetReadOnly(bool Value) { As<QLineEdit>(this)->setReadOnly(Value); }
int TEdit::MaxLength() const { return As<QLineEdit>(this)->maxLength(); }
void TEdit::SetMaxLength(int Value) { As<QLineEdit>(this)->setMaxLength(Value > 0 ? Value : 32767); }
void TEdit::SelectAll() { As<QLineEdit>(this)->selectAll(); }

// ---------------------------------------------------------------------------------------

TMemo::TMemo(TComponent* Owner) : TWinControl(Owner)
{
    auto* memo = new QPlainTextEdit();
    memo->resize(185, 89);
    QObject::connect(memo, &QPlainTextEdit::textChanged, [this] {
        if (FUpdating) return;
        StoreCaption(FromQ(As<QPlainTextEdit>(this)->toPlainText()));
        if (OnChange) OnChange(this);
    });
    SetWidget(memo);
}

void TMemo::ApplyCaption()
{
    FUpdating = true;
    As<QPlainTextEdit>(this)->setPlainText(ToQ(GetCaption()));
    FUpdating = false;
    if (OnChange) OnChange(this);
}

TStringList TMemo::GetLines() const
{
    TStringList lines;
    lines.SetText(FromQ(As<QPlainTextEdit>(this)->toPlainText()));
    return lines;
}

void TMemo::SetLines(const TStringList& Lines)
{
    std::string text;
    for (int i = 0; i < Lines.Count(); ++i) text += (i ? "\n" : "") + Lines[i];
    SetCaption(text);
}

void TMemo::Append(const std::string& Line)
{
    TStringList lines = GetLines();
    lines.Add(Line);
    SetLines(lines);
}

void TMemo::Clear() { SetCaption(std::string()); }
bool TMemo::GetReadOnly() const { return As<QPlainTextEdit>(this)->isReadOnly(); }
void TMemo::SetReadOnly(bool Value) { As<QPlainTextEdit>(this)->setReadOnly(Value); }

namespace {

// The editor keeps one character per line end, the memo's callers count two (CR LF).
int EditorToMemo(const QString& Text, int Position)
{
    const int end = std::min<int>(Position, static_cast<int>(Text.size()));
    return Position + static_cast<int>(Text.left(end).count(QChar('\n')));
}

int MemoToEditor(const QString& Text, int Position)
{
    int memo = 0;
    for (int i = 0; i < Text.size(); ++i) {
        const int width = Text[i] == QChar('\n') ? 2 : 1;
        if (memo + width > Position) return i;
        memo += width;
    }
    return static_cast<int>(Text.size());
}

}  // namespace

int TMemo::GetSelStart() const
{
    const auto* memo = As<QPlainTextEdit>(this);
    return EditorToMemo(memo->toPlainText(), memo->textCursor().selectionStart());
}

int TMemo::GetSelLength() const
{
    const auto* memo = As<QPlainTextEdit>(this);
    const QTextCursor cursor = memo->textCursor();
    const QString text = memo->toPlainText();
    return EditorToMemo(text, cursor.selectionEnd()) - EditorToMemo(text, cursor.selectionStart());
}

void TMemo::SetSelStart(int Value)
{
    auto* memo = As<QPlainTextEdit>(this);
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(MemoToEditor(memo->toPlainText(), std::max(0, Value)));
    memo->setTextCursor(cursor);
}

void TMemo::SetSelLength(int Value)
{
    auto* memo = As<QPlainTextEdit>(this);
    const QString text = memo->toPlainText();
    QTextCursor cursor = memo->textCursor();
    const int start = cursor.selectionStart();
    const int end = MemoToEditor(text, EditorToMemo(text, start) + std::max(0, Value));
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
}

// ---------------------------------------------------------------------------------------

TGroupBox::TGroupBox(TComponent* Owner) : TWinControl(Owner)
{
    auto* box = new QGroupBox();
    box->resize(185, 105);
    SetWidget(box);
}

TControl::TTextNeed TGroupBox::TextNeed() const
{
    const auto* box = As<QGroupBox>(this);
    if (box->title().isEmpty()) return {};
    // The title sits inside the frame, a little in from either side.
    return {CaptionWidth(box, box->title()) + 20, false};
}

void TGroupBox::ApplyCaption() { As<QGroupBox>(this)->setTitle(ToQ(GetCaption())); }

TRect TGroupBox::AlignArea() const
{
    const QRect r = As<QGroupBox>(this)->contentsRect();
    return TRect{r.left() + 2, r.top() + 16, r.right() - 1, r.bottom() - 1};
}

TPanel::TPanel(TComponent* Owner) : TWinControl(Owner)
{
    auto* frame = new QLabel();
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setAlignment(Qt::AlignCenter);
    frame->resize(185, 41);
    SetWidget(frame);
}

TSplitter::TSplitter(TComponent* Owner) : TControl(Owner)
{
    // A widget that keeps the presses it gets, so a drag stays with the bar.
    auto* bar = new TPaintWidget(this, nullptr);
    bar->setCursor(Qt::SplitHCursor);
    bar->resize(4, 100);
    SetWidget(bar);
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Control) return;
    FDragging = true;
    FStartX = QCursor::pos().x();
    FStartWidth = Control->GetWidth();
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y)
{
    TControl::MouseMove(Shift, X, Y);
    if (!FDragging || !Control || !GetParent()) return;
    // The cursor's screen position: the bar itself moves while it is dragged.
    const int moved = QCursor::pos().x() - FStartX;
    const int wanted = GetAlign() == alRight ? FStartWidth - moved : FStartWidth + moved;
    const int most = std::max(MinSize, GetParent()->ClientWidth() - GetWidth() - MinSize);
    Control->SetWidth(std::clamp(wanted, MinSize, most));
    GetParent()->AlignControls();
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TControl::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft) FDragging = false;
}

void TPanel::ApplyCaption() { As<QLabel>(this)->setText(ToQ(GetCaption())); }

void TPanel::FontChanged() { TWinControl::FontChanged(); }

void TPanel::SetBevelOuter(TPanelBevel Value)
{
    FBevelOuter = Value;
    auto* frame = As<QLabel>(this);
    switch (Value) {
    case bvNone:
        frame->setFrameStyle(QFrame::NoFrame);
        break;
    case bvLowered:
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        break;
    default:
        frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
        break;
    }
}

void TPanel::SetAlignment(TAlignment Value)
{
    FAlignment = Value;
    As<QLabel>(this)->setAlignment(ToAlignment(Value));
}

// ---------------------------------------------------------------------------------------

TProgressBar::TProgressBar(TComponent* Owner) : TWinControl(Owner)
{
    auto* bar = new QProgressBar();
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->resize(150, 16);
    SetWidget(bar);
}

int TProgressBar::GetMin() const { return As<QProgressBar>(this)->minimum(); }
int TProgressBar::GetMax() const { return As<QProgressBar>(this)->maximum(); }
void TProgressBar::SetMin(int Value) { As<QProgressBar>(this)->setMinimum(Value); }
void TProgressBar::SetMax(int Value) { As<QProgressBar>(this)->setMaximum(Value); }
int TProgressBar::GetPosition() const { return As<QProgressBar>(this)->value(); }

void TProgressBar::SetPosition(int Value)
{
    auto* bar = As<QProgressBar>(this);
    bar->setValue(std::clamp(Value, bar->minimum(), bar->maximum()));
}

void TProgressBar::StepIt() { StepBy(Step); }
void TProgressBar::StepBy(int Delta) { SetPosition(GetPosition() + Delta); }
