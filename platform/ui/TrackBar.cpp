#include "platform/ui/TrackBar.h"

#include <QSlider>

namespace {
QSlider* Slider(const TControl* Control) { return static_cast<QSlider*>(Control->Widget()); }
}  // namespace

TTrackBar::TTrackBar(TComponent* Owner) : TWinControl(Owner)
{
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(0, 10);
    slider->setSingleStep(1);
    slider->setPageStep(2);
    slider->setFocusPolicy(Qt::StrongFocus);
    slider->resize(150, 45);
    QObject::connect(slider, &QSlider::valueChanged, [this](int) { Changed(); });
    SetWidget(slider);
    ApplyTicks();
}

int TTrackBar::GetMin() const { return Slider(this)->minimum(); }
void TTrackBar::SetMin(int Value) { Slider(this)->setMinimum(Value); }
int TTrackBar::GetMax() const { return Slider(this)->maximum(); }
void TTrackBar::SetMax(int Value) { Slider(this)->setMaximum(Value); }
int TTrackBar::GetPosition() const { return Slider(this)->value(); }
void TTrackBar::SetPosition(int Value) { Slider(this)->setValue(Value); }
int TTrackBar::GetLineSize() const { return Slider(this)->singleStep(); }
void TTrackBar::SetLineSize(int Value) { Slider(this)->setSingleStep(Value); }
int TTrackBar::GetPageSize() const { return Slider(this)->pageStep(); }
void TTrackBar::SetPageSize(int Value) { Slider(this)->setPageStep(Value); }

void TTrackBar::SetFrequency(int Value)
{
    FFrequency = Value;
    ApplyTicks();
}

void TTrackBar::SetTickMarks(TTickMark Value)
{
    FTickMarks = Value;
    ApplyTicks();
}

void TTrackBar::ApplyTicks()
{
    QSlider* slider = Slider(this);
    slider->setTickInterval(FFrequency);
    const bool horizontal = FOrientation == trHorizontal;
    switch (FTickMarks) {
    case tmTopLeft:
        slider->setTickPosition(horizontal ? QSlider::TicksAbove : QSlider::TicksLeft);
        break;
    case tmBoth:
        slider->setTickPosition(QSlider::TicksBothSides);
        break;
    default:
        slider->setTickPosition(horizontal ? QSlider::TicksBelow : QSlider::TicksRight);
        break;
    }
}

void TTrackBar::SetOrientation(TTrackBarOrientation Value)
{
    if (Value == FOrientation) return;
    FOrientation = Value;
    QSlider* slider = Slider(this);
    slider->setOrientation(Value == trHorizontal ? Qt::Horizontal : Qt::Vertical);
    // A vertical bar has its minimum at the top and Down moves towards the maximum.
    slider->setInvertedAppearance(Value == trVertical);
    slider->setInvertedControls(Value == trVertical);
    ApplyTicks();
    if (!Loading()) SetBounds(GetLeft(), GetTop(), GetHeight(), GetWidth());
}

void TTrackBar::Changed()
{
    if (OnChange) OnChange(this);
}
