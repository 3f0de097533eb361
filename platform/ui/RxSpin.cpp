#include "platform/ui/RxSpin.h"

#include <QAction>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>
#include <cmath>

#include "platform/ui/ControlsInternal.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ShowNotice.h"
#include "platform/base/FloatFormat.h"

namespace {

constexpr int ArrowWidth = 16, ArrowHeight = 10;

// The arrows sit inside the line edit, so every key and focus change reaches the edit. They
// are made as the edit shows, after it showed its children, so they show themselves.
QToolButton* AddArrow(QLineEdit* Edit, Qt::ArrowType Arrow, int Left, int Top)
{
    auto* button = new QToolButton(Edit);
    button->setArrowType(Arrow);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
    button->setGeometry(Left, Top, ArrowWidth - 1, ArrowHeight);
    button->show();
    return button;
}

}  // namespace

TRxSpinEdit::TRxSpinEdit(TComponent* Owner) : TWinControl(Owner)
{
    auto* edit = new TShowNotice<QLineEdit>();
    edit->resize(121, 21);
    edit->setTextMargins(0, 0, ArrowWidth, 0);
    edit->BeforeFirstShow = [this] { MakeShownParts(); };
    QObject::connect(edit, &QLineEdit::textChanged, [this](const QString& text) {
        if (FUpdating) return;
        StoreCaption(FromQ(text));
        if (OnChange) OnChange(this);
    });
    OnResize = nullptr;
    SetWidget(edit);
    SetValue(0);
}

// The arrows and the shown text wait until the field first shows: most fields belong to
// hidden windows, and their values are written several times while a window is built.
void TRxSpinEdit::MakeShownParts()
{
    if (!FShownPartsPending) return;
    FShownPartsPending = false;
    auto* edit = static_cast<QLineEdit*>(Widget());
    QToolButton* up = AddArrow(edit, Qt::UpArrow, edit->width() - ArrowWidth, 0);
    QToolButton* down = AddArrow(edit, Qt::DownArrow, edit->width() - ArrowWidth, ArrowHeight);
    QObject::connect(up, &QToolButton::clicked, [this] { UpClick(); });
    QObject::connect(down, &QToolButton::clicked, [this] { DownClick(); });
    ShowCaption();
}

void TRxSpinEdit::ShowCaption()
{
    FUpdating = true;
    static_cast<QLineEdit*>(Widget())->setText(ToQ(GetCaption()));
    FUpdating = false;
}

// The arrows keep to the field's right edge whatever its width: a field narrowed or widened
// after its value was written would otherwise show them outside the field or in its middle.
void TRxSpinEdit::PlaceArrows()
{
    QWidget* edit = Widget();
    const auto arrows = edit->findChildren<QToolButton*>();
    for (int i = 0; i < arrows.size(); ++i) arrows[i]->move(edit->width() - ArrowWidth, i * ArrowHeight);
}

void TRxSpinEdit::Resize()
{
    PlaceArrows();
    TWinControl::Resize();
}

TControl::TTextNeed TRxSpinEdit::TextNeed() const
{
    const auto* edit = static_cast<const QLineEdit*>(Widget());
    // Qt keeps this much room on each side of a line edit's text, and one pixel for the cursor.
    constexpr int EditMargin = 2, Cursor = 1;
    const QMargins margins = edit->textMargins();
    const int content = edit->fontMetrics().horizontalAdvance(ToQ(GetCaption())) + 2 * EditMargin + Cursor +
                        margins.left() + margins.right();
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
    const QSize size(content, edit->fontMetrics().height());
    return {edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option, size, edit).width(), false};
}

void TRxSpinEdit::ApplyCaption()
{
    if (!FShownPartsPending) ShowCaption();
    if (OnChange) OnChange(this);
}

void TRxSpinEdit::SetValueType(TValueType Value)
{
    FValueType = Value;
    SetValue(GetValue());
}

void TRxSpinEdit::SetDecimal(int Value)
{
    FDecimal = std::max(0, Value);
    SetValue(GetValue());
}

double TRxSpinEdit::Clamp(double Value) const
{
    if (FMinValue == FMaxValue) return Value;
    return std::min(std::max(Value, FMinValue), FMaxValue);
}

std::string TRxSpinEdit::Format(double Value) const
{
    if (FValueType == vtInteger) return FloatToStrF(std::round(Value), ffFixed, 18, 0);
    return FloatToStrF(Value, ffFixed, 18, FDecimal);
}

void TRxSpinEdit::SetValue(double Value)
{
    if (!std::isfinite(Value)) Value = FMinValue;
    SetCaption(Format(Clamp(Value)));
}

double TRxSpinEdit::GetValue() const
{
    double value = 0;
    if (!TryStrToFloat(Trim(GetCaption()), value)) return FMinValue;
    return value;
}

int TRxSpinEdit::AsInteger() const
{
    const double value = std::trunc(GetValue());
    if (!(value > -2147483648.0)) return value != value ? 0 : INT32_MIN;
    if (value > 2147483647.0) return INT32_MAX;
    return static_cast<int>(value);
}

void TRxSpinEdit::KeyDown(WORD& Key, TShiftState Shift)
{
    TWinControl::KeyDown(Key, Shift);
    if (Key == VK_UP) {
        UpClick();
        Key = 0;
    } else if (Key == VK_DOWN) {
        DownClick();
        Key = 0;
    }
}

void TRxSpinEdit::KeyPress(char& Key)
{
    TWinControl::KeyPress(Key);
    const auto c = static_cast<unsigned char>(Key);
    // Editing keys (Backspace, Enter, Escape, the control combinations) pass.
    if (c < 0x20 || c == 0x7F) return;
    if ((c >= '0' && c <= '9') || c == '+' || c == '-') return;
    if (FValueType == vtFloat && (c == '.' || c == ',' || c == static_cast<unsigned char>(GetDecimalSeparator()))) {
        // Either key gives the separator the field reads.
        Key = GetDecimalSeparator();
        return;
    }
    Key = 0;
}

void TRxSpinEdit::UpClick()
{
    StepUp();
    if (OnTopClick) OnTopClick(this);
}

void TRxSpinEdit::DownClick()
{
    StepDown();
    if (OnBottomClick) OnBottomClick(this);
}

void TRxSpinEdit::DoExit()
{
    // Leaving the field shows the value as it will be read, inside the bounds.
    SetValue(GetValue());
    TWinControl::DoExit();
}

TDirectoryEdit::TDirectoryEdit(TComponent* Owner) : TEdit(Owner)
{
    auto* edit = static_cast<QLineEdit*>(Widget());
    QAction* browse = edit->addAction(edit->style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
    QObject::connect(browse, &QAction::triggered, [this] { DoClick(); });
}

bool TDirectoryEdit::DoClick()
{
    TDialogRequest request;
    request.Kind = TDialogKind::Folder;
    request.Caption = DialogTitle;
    request.InitialDir = GetText().empty() ? InitialDir : GetText();
    request.FileName = GetText();
    const TDialogAnswer answer = ExecuteDialog(request);
    if (answer.Result != mrOk || answer.FileName.empty()) return false;
    SetText(answer.FileName);
    return true;
}
