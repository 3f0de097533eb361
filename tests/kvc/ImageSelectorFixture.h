// A buffered image on a shown form with a selector over it, for the selector tests. The
// graph lies on pixels 10..100 x 20..70 and carries the values 0..45 x 0..25, so one pixel
// is half a value: pixel (x, y) is value ((x - 10) / 2, (y - 20) / 2).
#pragma once
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WidgetInput.h"
#include "kvc/KvBufferedImage.h"
#include "kvc/KvCustomImageSelector.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/KeyState.h"

template <class TSelector>
struct TImageSelectorFixture : ::testing::Test {
    void SetUp() override
    {
        Form = WidgetInput::NewForm(20, 20, 300, 200);
        Image = WidgetInput::PlaceOn<KVC::TKvBufferedImage>(Form, 0, 0, 120, 80);
        Image->SetColor(clWhite);
        Image->SetBackDrawMode(KVC::bdmStretched);
        Image->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { ++ControlDowns; };
        Image->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { ++ControlUps; };
        Image->OnMouseMove = [this](TObject*, TShiftState, int, int) { ++ControlMoves; };
        Selector = new TSelector(Form);
        Selector->SetGraphBoundsRelatively(false);
        SetRect(Selector->GraphBounds(), 10, 100, 20, 70);
        SetRect(Selector->ValueBounds(), 0, 45, 0, 25);
        Selector->SetWinControl(Image);
        Selector->OnChanging = [this](TObject* Sender) {
            EXPECT_EQ(Sender, Selector);
            ++Changing;
        };
        Selector->OnChanged = [this](TObject* Sender) {
            EXPECT_EQ(Sender, Selector);
            ++Changed;
        };
        WidgetInput::ShowLoaded(Form);
    }
    void TearDown() override
    {
        SetKeyStateSource({});
        if (Form) FreeForm(Form);
    }

    static void SetRect(KVC::TKvRect* R, double Left, double Right, double Top, double Bottom)
    {
        R->Left = Left;
        R->Right = Right;
        R->Top = Top;
        R->Bottom = Bottom;
    }
    // Holds Ctrl (or nothing) for the messages that follow.
    static void HoldCtrl(bool Down)
    {
        if (Down)
            SetKeyStateSource([](int Key) { return Key == VK_CONTROL; });
        else
            SetKeyStateSource({});
    }
    void Press(int X, int Y, Qt::MouseButton Button = Qt::LeftButton)
    {
        WidgetInput::Mouse(Image, QEvent::MouseButtonPress, X, Y, Button);
    }
    void Move(int X, int Y) { WidgetInput::Mouse(Image, QEvent::MouseMove, X, Y); }
    // The mouse passes over without a button held.
    void Hover(int X, int Y) { WidgetInput::PlainMove(Image, X, Y); }
    void Release(int X, int Y, Qt::MouseButton Button = Qt::LeftButton)
    {
        WidgetInput::Mouse(Image, QEvent::MouseButtonRelease, X, Y, Button);
    }
    // Press at From, move through To, release there.
    void Drag(TPoint From, TPoint To)
    {
        Press(From.x, From.y);
        Move(To.x, To.y);
        Release(To.x, To.y);
    }
    TColor Pixel(int X, int Y) const { return Image->Buffer().Canvas()->GetPixel(X, Y); }

    TForm* Form = nullptr;
    KVC::TKvBufferedImage* Image = nullptr;
    TSelector* Selector = nullptr;
    int Changing = 0;
    int Changed = 0;
    int ControlDowns = 0;
    int ControlUps = 0;
    int ControlMoves = 0;
};
