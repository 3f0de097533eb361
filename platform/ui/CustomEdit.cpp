#include "platform/ui/CustomEdit.h"

#include <QLineEdit>
#include <QPainter>
#include <QResizeEvent>
#include <QWidget>

#include "platform/ui/ControlsInternal.h"

// The outer window of the edit: it holds the text field at the client rectangle the
// control computes and lets the control paint the rest.
class TEditFrameWidget : public QWidget {
public:
    explicit TEditFrameWidget(TCustomEdit* Edit) : FEdit(Edit) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        TCanvas* canvas = FEdit->FNonClientCanvas.get();
        canvas->AttachPainter(&painter);
        try {
            FEdit->Perform(WM_NCPAINT);
        } catch (...) {
            canvas->DetachPainter();
            throw;
        }
        canvas->DetachPainter();
    }
    void resizeEvent(QResizeEvent*) override { FEdit->RecalcNonClient(); }

private:
    TCustomEdit* FEdit;
};

namespace {
QLineEdit* LineEdit(const TControl* Control) { return static_cast<QLineEdit*>(Control->Widget()); }

// The characters the platform delivers for keys that carry no printable text.
char ControlCharacter(WPARAM Key)
{
    switch (Key) {
    case VK_RETURN:
        return '\r';
    case VK_BACK:
        return '\b';
    case VK_ESCAPE:
        return '\x1B';
    default:
        return 0;
    }
}
}  // namespace

TCustomEdit::TCustomEdit(TComponent* Owner) : TEdit(Owner), FNonClientCanvas(std::make_unique<TCanvas>())
{
    QLineEdit* edit = LineEdit(this);
    auto* frame = new TEditFrameWidget(this);
    FFrame = frame;
    frame->resize(edit->size());
    frame->setFocusProxy(edit);
    edit->setParent(frame);
    edit->setFrame(false);
    edit->show();
    RecalcNonClient();
}

TCustomEdit::~TCustomEdit()
{
    // The text field goes first (through the control), then its frame.
    QWidget* frame = FFrame;
    FFrame = nullptr;
    if (QWidget* edit = Widget()) edit->setParent(nullptr);
    delete frame;
}

QWidget* TCustomEdit::FrameWidget() const { return FFrame ? FFrame : Widget(); }

bool TCustomEdit::GetModified() const { return LineEdit(this)->isModified(); }
void TCustomEdit::SetModified(bool Value) { LineEdit(this)->setModified(Value); }

int TCustomEdit::GetSelStart() const
{
    const QLineEdit* edit = LineEdit(this);
    return edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
}

void TCustomEdit::SetSelStart(int Value) { LineEdit(this)->setCursorPosition(Value); }

int TCustomEdit::GetSelLength() const { return static_cast<int>(LineEdit(this)->selectedText().size()); }

void TCustomEdit::SetEnabled(bool Value)
{
    if (Value == GetEnabled()) return;
    TEdit::SetEnabled(Value);
    Perform(CM_ENABLEDCHANGED);
}

void TCustomEdit::FontChanged()
{
    TEdit::FontChanged();
    Perform(CM_FONTCHANGED);
}

void TCustomEdit::RecalcNonClient()
{
    if (!FFrame || !Widget()) return;
    TRect client = WindowRect();
    TMessage message{WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&client), 0};
    Perform(message);
    Widget()->setGeometry(client.Left, client.Top, std::max(0, client.Width()), std::max(0, client.Height()));
    FFrame->update();
}

void TCustomEdit::RedrawNonClient()
{
    if (!FFrame) return;
    if (FFrame->isVisible())
        FFrame->repaint();
    else
        FFrame->update();
}

void TCustomEdit::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_NCCALCSIZE:
    case WM_NCPAINT:
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
    case CM_PARENTCOLORCHANGED:
        // Nothing of the platform's own stands behind these.
        return;
    case WM_KEYDOWN: {
        TEdit::WndProc(Message);
        const char character = ControlCharacter(Message.WParam);
        if (character != 0) {
            TMessage charMessage{WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(character)), 0, 0};
            Perform(charMessage);
        }
        return;
    }
    default:
        TEdit::WndProc(Message);
        return;
    }
}
