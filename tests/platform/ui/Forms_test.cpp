// The forms layer on real widgets (offscreen): message chain, keys, latching buttons,
// the numeric entry field, placement through a settings file, actions, menus and docking.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QColor>
#include <functional>
#include <QLineEdit>
#include <QComboBox>
#include <QImage>
#include <QPixmap>
#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMdiSubWindow>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QWidget>
#include <QWindow>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "FormFixture.h"
#include "TestSupport.h"
#include "kvc/WidgetInput.h"
#include "platform/ui/Application.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ControlBuilder.h"
#include "platform/base/FloatFormat.h"
#include "platform/ui/Forms.h"
#include "platform/base/IniFiles.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Placement.h"
#include "platform/ui/RxSpin.h"
#include "platform/ui/StdCtrls.h"

namespace {

void SendKey(QWidget* Target, QEvent::Type Type, int Key, Qt::KeyboardModifiers Mods, const QString& Text,
             bool Repeat = false)
{
    QKeyEvent event(Type, Key, Mods, Text, Repeat);
    QApplication::sendEvent(Target, &event);
}

// ---------------------------------------------------------------------------------------

TEST_F(TFormFixture, MessageChainRunsBeforeOuterFirstAndAfterInnerFirst)
{
    auto* panel = new TPanel(Form);
    panel->SetParent(Form);
    std::vector<std::string> order;
    struct TProbe : TPanel {
        using TPanel::TPanel;
    };
    const UINT probe = WM_USER + 77;
    THookId first = panel->AttachHook({[&](TMessage& m) {
                                           if (m.Msg == probe) order.push_back("before1");
                                           return false;
                                       },
                                       [&](TMessage& m) {
                                           if (m.Msg == probe) order.push_back("after1");
                                       }});
    THookId second = panel->AttachHook({[&](TMessage& m) {
                                            if (m.Msg == probe) order.push_back("before2");
                                            return false;
                                        },
                                        [&](TMessage& m) {
                                            if (m.Msg == probe) order.push_back("after2");
                                        }});
    panel->Perform(probe, 1, 2);
    EXPECT_EQ(order, (std::vector<std::string>{"before2", "before1", "after1", "after2"}));

    // A consuming entry hides the message from the inner entries and the control; the
    // entries outside it still see it afterwards.
    order.clear();
    THookId consumer = panel->AttachHook({[&](TMessage& m) {
                                              if (m.Msg == probe) {
                                                  order.push_back("consume");
                                                  m.Result = 9;
                                                  return true;
                                              }
                                              return false;
                                          },
                                          [&](TMessage& m) {
                                              if (m.Msg == probe) order.push_back("afterConsumer");
                                          }});
    THookId outer = panel->AttachHook({[&](TMessage& m) {
                                           if (m.Msg == probe) order.push_back("outerBefore");
                                           return false;
                                       },
                                       [&](TMessage& m) {
                                           if (m.Msg == probe) order.push_back("outerAfter");
                                       }});
    EXPECT_EQ(panel->Perform(probe), 9);
    EXPECT_EQ(order, (std::vector<std::string>{"outerBefore", "consume", "outerAfter"}));

    // Detaching in any order, even from inside the chain, leaves the rest working.
    panel->DetachHook(consumer);
    order.clear();
    THookId selfDetaching = 0;
    selfDetaching = panel->AttachHook({[&](TMessage& m) {
                                           if (m.Msg == probe) {
                                               order.push_back("once");
                                               panel->DetachHook(selfDetaching);
                                               panel->DetachHook(first);
                                           }
                                           return false;
                                       },
                                       nullptr});
    panel->Perform(probe);
    EXPECT_EQ(order, (std::vector<std::string>{"once", "outerBefore", "before2", "after2", "outerAfter"}));
    order.clear();
    panel->DetachHook(outer);
    panel->DetachHook(second);
    panel->Perform(probe);
    EXPECT_TRUE(order.empty());
}

TEST_F(TFormFixture, SelfPaintingControlPaintsOnItsCanvasAndHooksDrawAfterIt)
{
    struct TSquare : TCustomControl {
        using TCustomControl::TCustomControl;
        void Paint() override
        {
            Canvas()->Brush()->SetColor(clRed);
            Canvas()->FillRect(Rect(0, 0, GetWidth(), GetHeight()));
        }
    };
    auto* square = new TSquare(Form);
    square->SetBounds(10, 10, 40, 30);
    square->SetParent(Form);
    // An overlay draws over the control's own picture, through the same canvas.
    square->AttachHook({nullptr, [square](TMessage& m) {
                            if (m.Msg != WM_PAINT) return;
                            square->Canvas()->Brush()->SetColor(clBlue);
                            square->Canvas()->FillRect(Rect(0, 0, 10, 10));
                        }});
    Form->Show();
    const QImage picture = square->Widget()->grab().toImage();
    EXPECT_EQ(QColor(picture.pixel(20, 20)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(picture.pixel(5, 5)), QColor(0, 0, 255));

    int clicks = 0;
    square->OnClick = [&](TObject*) { ++clicks; };
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(square->Widget(), &press);
    QApplication::sendEvent(square->Widget(), &release);
    EXPECT_EQ(clicks, 1);
}

TEST_F(TFormFixture, PostedMessagesReachTheControlThroughItsHandle)
{
    auto* panel = new TPanel(Form);
    panel->SetParent(Form);
    std::vector<LPARAM> seen;
    panel->AttachHook({nullptr, [&](TMessage& m) {
                           if (m.Msg == WM_USER + 5) seen.push_back(m.LParam);
                       }});
    ASSERT_TRUE(PostMessage(panel->Handle(), WM_USER + 5, 0, 42));
    Application->ProcessMessages();
    EXPECT_EQ(seen, std::vector<LPARAM>{42});
    const HWND handle = panel->Handle();
    delete panel;
    EXPECT_FALSE(IsWindow(handle));
}

TEST_F(TFormFixture, WidgetEventsPassThroughTheChainAroundTheWidget)
{
    auto* edit = new TEdit(Form);
    edit->SetParent(Form);
    Form->Show();
    std::vector<std::string> order;
    edit->AttachHook({[&](TMessage& m) {
                          if (m.Msg == WM_LBUTTONDOWN) order.push_back("before");
                          return false;
                      },
                      [&](TMessage& m) {
                          if (m.Msg == WM_LBUTTONDOWN) order.push_back("after");
                      }});
    edit->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
        order.push_back("down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 6), QPointF(5, 6), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(edit->Widget(), &press);
    EXPECT_EQ(order, (std::vector<std::string>{"before", "down 0 5,6", "after"}));
}

TEST_F(TFormFixture, KeyDownAndCharacterHooksSwallowApartAndRepeatReleasesAreDropped)
{
    auto* edit = new TEdit(Form);
    edit->SetParent(Form);
    std::vector<std::string> keys;
    edit->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
        keys.push_back("down " + std::to_string(key));
        if (key == 'B') key = 0;  // swallows B before the edit sees it
    };
    edit->OnKeyPress = [&](TObject*, char& key) {
        keys.push_back(std::string("char ") + key);
        if (key == 'c') key = 0;
        if (key == 'd') key = 'x';
    };
    edit->OnKeyUp = [&](TObject*, WORD& key, TShiftState) { keys.push_back("up " + std::to_string(key)); };
    QWidget* w = edit->Widget();
    SendKey(w, QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    SendKey(w, QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, "b");
    SendKey(w, QEvent::KeyPress, Qt::Key_C, Qt::NoModifier, "c");
    SendKey(w, QEvent::KeyPress, Qt::Key_D, Qt::NoModifier, "d");
    SendKey(w, QEvent::KeyRelease, Qt::Key_D, Qt::NoModifier, "d", true);
    SendKey(w, QEvent::KeyRelease, Qt::Key_D, Qt::NoModifier, "d", false);
    EXPECT_EQ(edit->GetText(), "ax");
    // A swallowed key-down still brings its character to the character hook (which is
    // separate), but the edit never sees the key.
    EXPECT_EQ(keys, (std::vector<std::string>{"down 65", "char a", "down 66", "char b", "down 67", "char c", "down 68",
                                              "char d", "up 68"}));
}

TEST_F(TFormFixture, LoadingBracketEndsWithLoadedOnceForEveryComponent)
{
    struct TCounted : TPanel {
        using TPanel::TPanel;
        int LoadedCount = 0;
        bool LoadingInLoaded = true;
        void Loaded() override
        {
            ++LoadedCount;
            LoadingInLoaded = Loading();
            TPanel::Loaded();
        }
    };
    auto* form = new TForm(nullptr);
    auto* outer = new TCounted(form);
    auto* inner = new TCounted(outer);
    EXPECT_TRUE(outer->Loading());
    EXPECT_EQ(inner->LoadedCount, 0);
    form->EndLoading();
    form->EndLoading();
    EXPECT_EQ(outer->LoadedCount, 1);
    EXPECT_EQ(inner->LoadedCount, 1);
    EXPECT_FALSE(inner->LoadingInLoaded);
    FreeForm(form);
}

TEST_F(TFormFixture, AlignedChildrenShareTheClientArea)
{
    auto* top = new TPanel(Form);
    top->SetHeight(30);
    top->SetAlign(alTop);
    top->SetParent(Form);
    auto* bottom = new TPanel(Form);
    bottom->SetHeight(20);
    bottom->SetAlign(alBottom);
    bottom->SetParent(Form);
    auto* right = new TPanel(Form);
    right->SetWidth(100);
    right->SetAlign(alRight);
    right->SetParent(Form);
    auto* client = new TPanel(Form);
    client->SetAlign(alClient);
    client->SetParent(Form);
    Form->Show();
    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 400, 30));
    EXPECT_EQ(bottom->BoundsRect(), Rect(0, 280, 400, 300));
    EXPECT_EQ(right->BoundsRect(), Rect(300, 30, 400, 280));
    EXPECT_EQ(client->BoundsRect(), Rect(0, 30, 300, 280));
    right->Hide();
    EXPECT_EQ(client->BoundsRect(), Rect(0, 30, 400, 280));
}

// ---------------------------------------------------------------------------------------

TEST_F(TFormFixture, LatchingButtonsFollowOperatorClicksCodeClicksAndDown)
{
    auto* left = new TSpeedButton(Form);
    auto* right = new TSpeedButton(Form);
    auto* plain = new TSpeedButton(Form);
    for (TSpeedButton* b : {left, right}) {
        b->SetParent(Form);
        b->SetGroupIndex(1);
    }
    plain->SetParent(Form);
    int leftClicks = 0, rightClicks = 0, plainClicks = 0;
    left->OnClick = [&](TObject*) { ++leftClicks; };
    right->OnClick = [&](TObject*) { ++rightClicks; };
    plain->OnClick = [&](TObject*) { ++plainClicks; };
    auto operatorClick = [](TSpeedButton* b) { static_cast<QAbstractButton*>(b->Widget())->click(); };

    operatorClick(left);  // toggles down and runs the handler
    EXPECT_TRUE(left->GetDown());
    EXPECT_EQ(leftClicks, 1);
    operatorClick(right);  // the group's other button goes up, without its handler
    EXPECT_TRUE(right->GetDown());
    EXPECT_FALSE(left->GetDown());
    EXPECT_EQ(leftClicks, 1);
    EXPECT_EQ(rightClicks, 1);
    operatorClick(right);  // all of a group may be up
    EXPECT_FALSE(right->GetDown());
    EXPECT_EQ(rightClicks, 2);

    left->Click();  // from code: the handler only
    EXPECT_FALSE(left->GetDown());
    EXPECT_EQ(leftClicks, 2);
    left->SetDown(true);  // fires nothing
    EXPECT_TRUE(left->GetDown());
    EXPECT_TRUE(static_cast<QAbstractButton*>(left->Widget())->isChecked());
    EXPECT_EQ(leftClicks, 2);
    right->SetDown(true);
    EXPECT_FALSE(left->GetDown());
    EXPECT_EQ(rightClicks, 2);

    operatorClick(plain);  // without a group a button never stays down
    EXPECT_FALSE(plain->GetDown());
    EXPECT_EQ(plainClicks, 1);
}

TEST_F(TFormFixture, ButtonClickFromCodeRunsTheHandlerAsTheOperatorsClick)
{
    auto* button = new TButton(Form);
    button->SetParent(Form);
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    static_cast<QAbstractButton*>(button->Widget())->click();
    button->Click();
    EXPECT_EQ(clicks, 2);
    button->SetEnabled(false);
    button->Click();
    EXPECT_EQ(clicks, 2);
}

TEST_F(TFormFixture, MouseClicksReachTheClickHandlersOfPanelsLabelsAndPaintedControls)
{
    Form->Show();
    auto* panel = new TPanel(Form);
    panel->SetParent(Form);
    panel->SetBounds(10, 10, 200, 100);
    auto* inner = new TLabel(Form);  // no handler of its own: the panel under it gets the click
    inner->SetParent(panel);
    inner->SetBounds(5, 5, 60, 16);
    auto* label = new TLabel(Form);
    label->SetParent(Form);
    label->SetBounds(10, 150, 80, 16);
    auto* painted = new TCustomControl(Form);
    painted->SetParent(Form);
    painted->SetBounds(250, 10, 40, 40);
    std::vector<std::string> clicks;
    panel->OnClick = [&](TObject*) { clicks.push_back("panel"); };
    label->OnClick = [&](TObject*) { clicks.push_back("label"); };
    painted->OnClick = [&](TObject*) { clicks.push_back("painted"); };
    int formClicks = 0;
    Form->OnClick = [&](TObject*) { ++formClicks; };

    QWidget* client = Form->ClientWidget();
    OperatorClick(client, 100, 80);  // on the panel itself
    OperatorClick(client, 20, 20);   // on the handler-less label inside it
    OperatorClick(client, 20, 155);
    OperatorClick(client, 260, 20);
    EXPECT_EQ(clicks, (std::vector<std::string>{"panel", "panel", "label", "painted"}));
    EXPECT_EQ(formClicks, 0);  // a kept click never reaches the form as well
}

TEST_F(TFormFixture, EnterAndEscapeClickTheDefaultAndCancelControls)
{
    auto* edit = new TEdit(Form);
    edit->SetParent(Form);
    auto* ok = new TButton(Form);
    ok->SetParent(Form);
    ok->Default = true;
    ok->ModalResult = mrOk;
    auto* cancel = new TButton(Form);
    cancel->SetParent(Form);
    cancel->Cancel = true;
    std::vector<std::string> clicks;
    ok->OnClick = [&](TObject*) { clicks.push_back("ok"); };
    cancel->OnClick = [&](TObject*) { clicks.push_back("cancel"); };
    Form->Show();
    OperatorKey(edit->Widget(), Qt::Key_Return);
    OperatorKey(edit->Widget(), Qt::Key_Escape);
    EXPECT_EQ(clicks, (std::vector<std::string>{"ok", "cancel"}));
    EXPECT_EQ(Form->ModalResult, mrOk);

    // A disabled default button takes no key; a chosen control comes before the marks.
    ok->SetEnabled(false);
    OperatorKey(edit->Widget(), Qt::Key_Return);
    EXPECT_EQ(clicks.size(), 2u);
    auto* panel = new TPanel(Form);
    panel->SetParent(Form);
    panel->OnClick = [&](TObject*) { clicks.push_back("panel"); };
    Form->DefaultControl = panel;
    Form->CancelControl = panel;
    OperatorKey(edit->Widget(), Qt::Key_Return);
    OperatorKey(edit->Widget(), Qt::Key_Escape);
    EXPECT_EQ(clicks, (std::vector<std::string>{"ok", "cancel", "panel", "panel"}));
}

TEST_F(TFormFixture, EscapeEndsAModalFormWithoutACancelButton)
{
    auto* edit = new TEdit(Form);
    edit->SetParent(Form);
    QTimer::singleShot(0, [&] { OperatorKey(edit->Widget(), Qt::Key_Escape); });
    EXPECT_EQ(Form->ShowModal(), mrCancel);
    EXPECT_FALSE(Form->GetVisible());
}

TEST_F(TFormFixture, ModalLoopServesPostedMessagesAndEndsOnTheResultSetByOne)
{
    auto* panel = new TPanel(Form);
    panel->SetParent(Form);
    std::vector<LPARAM> seen;
    panel->AttachHook({nullptr, [&](TMessage& m) {
                           if (m.Msg != WM_USER + 6) return;
                           seen.push_back(m.LParam);
                           if (m.LParam == 2) Form->ModalResult = mrOk;
                       }});
    // Posted from another thread while the loop sleeps; the second one ends it.
    std::thread poster([&] {
        PostMessage(panel->Handle(), WM_USER + 6, 0, 1);
        PostMessage(panel->Handle(), WM_USER + 6, 0, 2);
    });
    EXPECT_EQ(Form->ShowModal(), mrOk);
    poster.join();
    EXPECT_EQ(seen, (std::vector<LPARAM>{1, 2}));
}

// ---------------------------------------------------------------------------------------

TEST_F(TFormFixture, SpinEditFollowsItsValueRules)
{
    SetDecimalSeparator('.');
    struct Case {
        TValueType Type;
        int Decimal;
        double Min, Max;
        double Write;  // written to Value (NAN: the text below is typed instead)
        const char* Typed;
        const char* Shown;
        double Read;
        int AsInteger;
    };
    const Case cases[] = {
        {vtFloat, 1, -100000, 100000, 12.34, nullptr, "12.3", 12.3, 12},
        {vtFloat, 1, -100000, 100000, 250000, nullptr, "100000.0", 100000, 100000},
        {vtFloat, 1, -100000, 100000, -250000, nullptr, "-100000.0", -100000, -100000},
        {vtFloat, 2, 0, 0, 987654.321, nullptr, "987654.32", 987654.32, 987654},  // equal bounds: no clamp
        {vtFloat, 2, 5, 10, NAN, "abc", "abc", 5, 5},                             // unparsable: MinValue
        {vtFloat, 2, 5, 10, NAN, "-7.9", "-7.9", -7.9, -7},  // typed text is not clamped; truncation
        {vtInteger, 0, 0, 100, 42.7, nullptr, "43", 43, 43},
        {vtFloat, 3, -1, 1, -0.98765, nullptr, "-0.988", -0.988, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Shown);
        TRxSpinEdit edit(Form);
        edit.SetValueType(c.Type);
        edit.SetDecimal(c.Decimal);
        edit.SetMinValue(c.Min);
        edit.SetMaxValue(c.Max);
        if (c.Typed)
            edit.SetText(c.Typed);
        else
            edit.SetValue(c.Write);
        EXPECT_EQ(edit.GetText(), c.Shown);
        EXPECT_NEAR(edit.GetValue(), c.Read, 1e-9);
        EXPECT_EQ(edit.AsInteger(), c.AsInteger);
    }

    // Writing the bounds leaves the shown value alone.
    TRxSpinEdit edit(Form);
    edit.SetValueType(vtFloat);
    edit.SetDecimal(1);
    edit.SetMinValue(0);
    edit.SetMaxValue(100);
    edit.SetValue(80);
    edit.SetMaxValue(50);
    EXPECT_EQ(edit.GetText(), "80.0");
    edit.SetValue(edit.GetValue());
    EXPECT_EQ(edit.GetText(), "50.0");

    // The process separator is the one shown and read.
    SetDecimalSeparator(',');
    edit.SetValue(12.5);
    EXPECT_EQ(edit.GetText(), "12,5");
    EXPECT_DOUBLE_EQ(edit.GetValue(), 12.5);
    SetDecimalSeparator(SystemDecimalSeparator());
}

// A spin edit makes its arrows and writes its text into the field when it first shows. One
// shown late, after its value was written over and over, must show what one shown at once
// shows, and its arrows must step it as the operator clicks them.
TEST_F(TFormFixture, SpinEditShownLateShowsItsValueAndStepsByItsArrows)
{
    Form->Show();
    using TStep = std::function<void(TRxSpinEdit*)>;
    const std::vector<std::pair<std::string, TStep>> steps = {
        {"float", [](TRxSpinEdit* e) { e->SetValueType(vtFloat); }},
        {"decimals", [](TRxSpinEdit* e) { e->SetDecimal(1); }},
        {"bounds", [](TRxSpinEdit* e) { SetSpinRange(e, 0, 10); }},
        {"value", [](TRxSpinEdit* e) { e->SetValue(2.5); }},
        {"value past the top", [](TRxSpinEdit* e) { e->SetValue(12); }},
        {"typed text", [](TRxSpinEdit* e) { e->SetText("7.25"); }},
    };
    const auto field = [](TRxSpinEdit* Edit) { return static_cast<QLineEdit*>(Edit->Widget()); };
    const auto arrows = [](TRxSpinEdit* Edit) { return Edit->Widget()->findChildren<QToolButton*>(); };
    const auto same = [&](TRxSpinEdit* Late, TRxSpinEdit* AtOnce, const std::string& Step) {
        EXPECT_EQ(field(Late)->text(), field(AtOnce)->text()) << Step;
        EXPECT_EQ(Late->GetText(), AtOnce->GetText()) << Step;
        EXPECT_EQ(field(Late)->text().toStdString(), Late->GetText()) << Step;
        ASSERT_EQ(arrows(Late).size(), 2) << Step;
        ASSERT_EQ(arrows(AtOnce).size(), 2) << Step;
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(arrows(Late)[i]->geometry(), arrows(AtOnce)[i]->geometry()) << Step;
            EXPECT_TRUE(arrows(Late)[i]->isVisible()) << Step;
        }
    };
    int lateChanges = 0, atOnceChanges = 0;
    for (size_t shownAfter = 0; shownAfter <= steps.size(); ++shownAfter) {
        TRxSpinEdit atOnce(Form), late(Form);
        atOnce.SetParent(Form);
        atOnce.OnChange = [&](TObject*) { ++atOnceChanges; };
        late.OnChange = [&](TObject*) { ++lateChanges; };
        for (size_t i = 0; i < steps.size(); ++i) {
            if (i == shownAfter) late.SetParent(Form);
            steps[i].second(&atOnce);
            steps[i].second(&late);
            if (i >= shownAfter) same(&late, &atOnce, steps[i].first);
        }
        if (shownAfter == steps.size()) late.SetParent(Form);
        same(&late, &atOnce, "shown after " + std::to_string(shownAfter) + " steps");
    }
    EXPECT_EQ(lateChanges, atOnceChanges);

    // The operator's clicks on the arrows of a field shown late step it and run the
    // handlers, as the arrow keys do.
    TRxSpinEdit late(Form);
    late.SetValueType(vtFloat);
    late.SetDecimal(1);
    late.Increment = 0.5;
    SetSpinRange(&late, 0, 10, 2);
    int tops = 0, bottoms = 0;
    late.OnTopClick = [&](TObject*) { ++tops; };
    late.OnBottomClick = [&](TObject*) { ++bottoms; };
    late.SetParent(Form);
    const QRect up = arrows(&late)[0]->geometry(), down = arrows(&late)[1]->geometry();
    EXPECT_LT(up.top(), down.top());
    OperatorClick(late.Widget(), up.center().x(), up.center().y());
    EXPECT_EQ(late.GetText(), "2.5");
    EXPECT_EQ(field(&late)->text(), "2.5");
    OperatorClick(late.Widget(), down.center().x(), down.center().y());
    OperatorClick(late.Widget(), down.center().x(), down.center().y());
    EXPECT_EQ(field(&late)->text(), "1.5");
    EXPECT_EQ(tops, 1);
    EXPECT_EQ(bottoms, 2);
}

// The arrows keep to the field's right edge when the field is narrowed or widened after its
// value was written, before it first shows or while it shows; an integer field left at 0
// never writes its value again, and its arrows must still be inside it where they can be
// clicked.
TEST_F(TFormFixture, SpinEditArrowsFollowTheFieldsWidth)
{
    Form->Show();
    const struct {
        const char* Case;
        int Width;
        bool ResizedAfterShow;
    } cases[] = {
        {"narrowed before it shows", 45, false},
        {"widened before it shows", 180, false},
        {"narrowed while it shows", 45, true},
        {"widened while it shows", 180, true},
    };
    for (const auto& c : cases) {
        TRxSpinEdit edit(Form);
        edit.SetValue(0);
        if (!c.ResizedAfterShow) edit.SetBounds(10, 10, c.Width, 21);
        edit.SetParent(Form);
        if (c.ResizedAfterShow) edit.SetBounds(10, 10, c.Width, 21);
        QCoreApplication::sendPostedEvents();
        const auto arrows = edit.Widget()->findChildren<QToolButton*>();
        ASSERT_EQ(arrows.size(), 2) << c.Case;
        for (QToolButton* arrow : arrows) {
            EXPECT_TRUE(edit.Widget()->rect().contains(arrow->geometry())) << c.Case;
            EXPECT_GE(arrow->x(), c.Width - 16) << c.Case;
        }
        // A click on the upper arrow steps the field that was never written again.
        const QRect up = arrows[0]->geometry();
        OperatorClick(edit.Widget(), up.center().x(), up.center().y());
        EXPECT_EQ(edit.GetText(), "1") << c.Case;
    }
}

TEST_F(TFormFixture, SpinEditRefusesTypedCharactersThatMakeNoNumber)
{
    SetDecimalSeparator(',');
    const struct {
        TValueType Type;
        const char* Typed;
        const char* Shown;
    } cases[] = {
        {vtInteger, "1a2b", "12"},
        {vtInteger, "-3x", "-3"},
        {vtInteger, "4.5", "45"},
        {vtInteger, "+7 e", "+7"},
        {vtFloat, "1.5", "1,5"},
        {vtFloat, "2,5q", "2,5"},
        {vtFloat, "-0.25E", "-0,25"},
        {vtFloat,
         "\xc3\xa9"
         "9",
         "9"},
    };
    Form->Show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Typed);
        TRxSpinEdit edit(Form);
        edit.SetParent(Form);
        edit.SetValueType(c.Type);
        edit.SetText("");
        edit.SetFocus();
        for (const char* p = c.Typed; *p; ++p) {
            const QString text = QString::fromLatin1(p, 1);
            SendKey(edit.Widget(), QEvent::KeyPress, 0, Qt::NoModifier, text);
            SendKey(edit.Widget(), QEvent::KeyRelease, 0, Qt::NoModifier, text);
        }
        EXPECT_EQ(edit.GetText(), c.Shown);
        // Backspace still edits.
        SendKey(edit.Widget(), QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QString(QChar(8)));
        EXPECT_EQ(edit.GetText(), std::string(c.Shown).substr(0, std::string(c.Shown).size() - 1));
    }
    SetDecimalSeparator(SystemDecimalSeparator());
}

// ---------------------------------------------------------------------------------------

TEST(FormPlacement, RoundTripsThroughTheSettingsFileOnDisk)
{
    TTempDir dir;
    const std::string ini = dir.File("zel.ini");
    auto make = [&] {
        auto* form = new TForm(nullptr);
        form->Name = "Probe";
        auto* edit = new TEdit(form);
        edit->Name = "edValue";
        edit->SetParent(form);
        auto* placement = new TFormPlacement(form);
        placement->IniFileName = ini;
        placement->IniSection = "ProbeWindow";
        placement->Options = fpState | fpPosition | fpActiveControl;
        form->SetBounds(10, 10, 200, 150);
        form->EndLoading();
        return form;
    };
    TForm* first = make();
    first->Show();
    first->SetBounds(120, 90, 320, 240);
    FreeForm(first);

    TIniFile file(ini);
    EXPECT_EQ(file.ReadString("ProbeWindow", "NormPos", ""), "120,90,440,330");
    EXPECT_EQ(file.ReadString("ProbeWindow", "Flags", ""), "0");
    EXPECT_EQ(file.ReadString("ProbeWindow", "ShowCmd", ""), "1");
    EXPECT_EQ(file.ReadString("ProbeWindow", "PixelsPerInch", ""), "96");
    EXPECT_EQ(file.ReadString("ProbeWindow", "MinMaxPos", ""), "-1,-1,-1,-1");
    EXPECT_EQ(file.ReadString("ProbeWindow", "Visible", ""), "1");
    EXPECT_TRUE(file.ValueExists("ProbeWindow", "ActiveControl"));
    EXPECT_EQ(file.ReadString("ProbeWindow", "FormVersion", ""), "0");

    TForm* second = make();
    int restored = 0;
    static_cast<TFormPlacement*>(second->Components(1))->OnRestorePlacement = [&](TObject*) { ++restored; };
    EXPECT_EQ(second->BoundsRect(), Rect(10, 10, 210, 160));
    second->Show();  // the first show restores
    EXPECT_EQ(restored, 1);
    EXPECT_EQ(second->BoundsRect(), Rect(120, 90, 440, 330));
    second->Hide();
    second->Show();
    EXPECT_EQ(restored, 1);
    FreeForm(second);

    // An inactive placement neither restores nor stores.
    file.WriteString("ProbeWindow", "NormPos", "1,2,101,102");
    TForm* third = make();
    static_cast<TFormPlacement*>(third->Components(1))->SetActive(false);
    third->Show();
    EXPECT_EQ(third->BoundsRect(), Rect(10, 10, 210, 160));
    FreeForm(third);
    EXPECT_EQ(file.ReadString("ProbeWindow", "NormPos", ""), "1,2,101,102");
}

// ---------------------------------------------------------------------------------------

TEST_F(TFormFixture, ShortCutsRunActionsAlsoWithoutAMenu)
{
    auto* list = new TActionList(Form);
    auto* open = list->AddAction("AFileOpen", "File", "Open", TextToShortCut("Ctrl+O"));
    auto* hidden = list->AddAction("AShowBuffer", "Device", "AShowBuffer", TextToShortCut("Ctrl+Alt+T"));
    auto* help = list->AddAction("actHelp", "Help", "Help", TextToShortCut("F1"));
    int opened = 0, shown = 0, helped = 0;
    open->OnExecute = [&](TObject*) { ++opened; };
    hidden->OnExecute = [&](TObject*) { ++shown; };
    help->OnExecute = [&](TObject*) { ++helped; };
    auto* edit = new TEdit(Form);
    edit->SetParent(Form);
    Form->Show();

    SendKey(edit->Widget(), QEvent::KeyPress, Qt::Key_O, Qt::ControlModifier, QString());
    SendKey(edit->Widget(), QEvent::KeyPress, Qt::Key_T, Qt::ControlModifier | Qt::AltModifier, QString());
    SendKey(edit->Widget(), QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, QString());
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(helped, 1);

    open->SetEnabled(false);
    SendKey(edit->Widget(), QEvent::KeyPress, Qt::Key_O, Qt::ControlModifier, QString());
    EXPECT_EQ(opened, 0 + 1);
    EXPECT_EQ(ShortCutToText(TextToShortCut("Ctrl+Alt+T")), "Ctrl+Alt+T");
    EXPECT_EQ(TextToShortCut("Ctrl+Q"), scCtrl | 'Q');
    EXPECT_EQ(TextToShortCut("Bogus+Q"), 0);
}

TEST_F(TFormFixture, MenuItemsTakeActionStateButKeepTheirOwnCaption)
{
    auto* list = new TActionList(Form);
    auto* connect = list->AddAction("AConnect", "Device", "Connect");
    int runs = 0;
    connect->OnExecute = [&](TObject*) { ++runs; };
    auto* menu = new TMainMenu(Form);
    TMenuItem* device = NewMenuItem(Form, menu->Items(), "MIDevice", "Device");
    TMenuItem* item = NewMenuItem(Form, device, "MIDeviceConnect", "", connect);
    Form->SetMenu(menu);
    EXPECT_EQ(item->GetCaption(), "Connect");
    item->SetCaption("Verbinden");
    connect->SetEnabled(false);
    EXPECT_EQ(item->GetCaption(), "Verbinden");
    EXPECT_EQ(connect->GetCaption(), "Connect");
    EXPECT_FALSE(item->GetEnabled());
    item->Click();
    EXPECT_EQ(runs, 0);
    connect->SetEnabled(true);
    item->Click();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(menu->FindItem("mideviceconnect"), item);

    // A line shows as a line, with no "-" beside it.
    TMenuItem* line = NewMenuItem(Form, device, "N1", "-");
    ASSERT_NE(line->PlatformAction(), nullptr);
    EXPECT_TRUE(line->PlatformAction()->isSeparator());
    EXPECT_TRUE(line->PlatformAction()->text().isEmpty());
    EXPECT_EQ(line->GetCaption(), "-");
}

// ---------------------------------------------------------------------------------------

TEST_F(TFormFixture, FirstPlacementKeepsWindowsInTheWorkAreaAndOffTheMainWindowsBars)
{
    SetMainForm(Form);
    auto* bar = new TPanel(Form);
    bar->SetHeight(40);
    bar->SetAlign(alTop);
    bar->SetParent(Form);
    Form->SetFormStyle(fsMDIForm);
    Form->Show();
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    struct TCase {
        int Left, Top, Width, Height;
    };
    const TCase cases[] = {
        {0, 0, 200, 150},                                   // over the menus
        {work.right() - 50, work.bottom() - 20, 300, 200},  // mostly off screen
        {-400, 100, 300, 200},
        {20, 20, work.width() + 500, 100},  // wider than the screen
    };
    for (const TCase& c : cases) {
        auto* window = new TForm(nullptr);
        window->EndLoading();
        window->SetBounds(c.Left, c.Top, c.Width, c.Height);
        window->Show();
        const QRect shown = window->Widget()->frameGeometry();
        EXPECT_TRUE(work.contains(shown)) << c.Left << "," << c.Top;
        // Below the main window's bars: where its child area begins.
        const int barsEnd = Form->Widget()->mapToGlobal(QPoint(0, 0)).y() + bar->GetHeight();
        EXPECT_GE(shown.top(), barsEnd) << c.Left << "," << c.Top;
        FreeForm(window);
    }
    SetMainForm(nullptr);
}

TEST_F(TFormFixture, LabelsPanelsAndWindowsGrowToTheirTexts)
{
    const std::string text = "Control of the film trough and its deposition accessories";
    auto* group = new TGroupBox(Form);
    group->SetParent(Form);
    group->SetBounds(10, 10, 120, 60);
    auto* label = new TLabel(Form);
    label->SetParent(group);
    label->SetCaption(text);
    label->SetBounds(8, 20, 60, 10);  // narrower and lower than its text
    const QSize needed = label->Widget()->sizeHint();
    EXPECT_GE(label->GetWidth(), needed.width());
    EXPECT_GE(label->GetHeight(), needed.height());
    // A word-wrapped label keeps the width it is given.
    auto* wrapped = new TLabel(Form);
    wrapped->SetParent(Form);
    wrapped->SetWordWrap(true);
    wrapped->SetCaption(text);
    wrapped->SetBounds(10, 100, 60, 40);
    EXPECT_EQ(wrapped->GetWidth(), 60);

    Form->Show();
    EXPECT_GE(group->GetWidth(), label->GetLeft() + label->GetWidth());
    EXPECT_GE(Form->ClientWidth(), group->GetLeft() + group->GetWidth());

    // A status panel is never narrower than its reading; the panel after it moves on.
    auto* bar = new TStatusBar(Form);
    bar->SetParent(Form);
    bar->SetAlign(alBottom);
    TStatusPanel* first = bar->AddPanel("Disconnected", 20);
    bar->AddPanel("SP: 12.345 mN/m", 20);
    first->SetText("Connected to the instrument");
    EXPECT_EQ(first->GetWidth(), 20);  // the width asked for stays as it was
    auto* shown = static_cast<QWidget*>(bar->Widget()->children().at(0));
    auto* next = static_cast<QWidget*>(bar->Widget()->children().at(1));
    EXPECT_GT(shown->width(), QFontMetrics(shown->font()).horizontalAdvance("Connected to the instrument"));
    EXPECT_EQ(next->x(), shown->x() + shown->width());
}

TEST_F(TFormFixture, ChildWindowsTileAndCascadeInTheMainArea)
{
    SetMainForm(Form);
    Form->SetFormStyle(fsMDIForm);
    Form->Show();
    std::vector<TForm*> children;
    for (int i = 0; i < 2; ++i) {
        auto* child = new TForm(nullptr);
        child->SetCaption("Child " + std::to_string(i));
        child->SetFormStyle(fsMDIChild);
        child->EndLoading();
        child->Show();
        children.push_back(child);
    }
    EXPECT_EQ(Form->MDIChildCount(), 2);
    Form->TileMode = tbVertical;
    Form->Tile();
    EXPECT_EQ(children[0]->GetTop(), children[1]->GetTop());
    EXPECT_NE(children[0]->GetLeft(), children[1]->GetLeft());
    Form->TileMode = tbHorizontal;
    Form->Tile();
    EXPECT_EQ(children[0]->GetLeft(), children[1]->GetLeft());
    EXPECT_NE(children[0]->GetTop(), children[1]->GetTop());

    // Cascade keeps every window's size and steps them down and to the right.
    children[0]->SetBounds(10, 10, 220, 160);
    children[1]->SetBounds(40, 40, 180, 120);
    Form->Cascade();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(children[i]->GetWidth(), i == 0 ? 220 : 180) << i;
        EXPECT_EQ(children[i]->GetHeight(), i == 0 ? 160 : 120) << i;
    }
    const QPoint first = children[0]->Widget()->mapTo(Form->Widget(), QPoint(0, 0));
    const QPoint second = children[1]->Widget()->mapTo(Form->Widget(), QPoint(0, 0));
    EXPECT_NE(first, second);
    EXPECT_EQ(second.x() - first.x(), second.y() - first.y());
    for (TForm* child : children) FreeForm(child);
    EXPECT_EQ(Form->MDIChildCount(), 0);
    SetMainForm(nullptr);
}

TEST_F(TFormFixture, PageControlDocksAFormAndATabDragFloatsIt)
{
    auto* pages = new TPageControl(Form);
    pages->SetAlign(alClient);
    pages->SetParent(Form);
    Form->Show();
    auto* tool = new TForm(nullptr);
    tool->SetCaption("Tool");
    tool->DragKind = dkDock;
    tool->EndLoading();
    std::vector<std::string> events;
    tool->OnStartDock = [&](TObject*) { events.push_back("start"); };
    tool->OnEndDock = [&](TObject*, TObject* target, int, int) {
        events.push_back(target ? "end docked" : "end floating");
    };
    tool->OnUnDock = [&](TObject*, TControl*, TWinControl*, bool&) { events.push_back("undock"); };

    ASSERT_TRUE(tool->ManualDock(pages, true));
    tool->Show();
    EXPECT_FALSE(tool->Floating());
    ASSERT_EQ(pages->PageCount(), 1);
    EXPECT_EQ(pages->Pages(0)->GetCaption(), "Tool");
    EXPECT_EQ(tool->Widget()->parentWidget(), pages->Pages(0)->Widget());

    // The operator drags the tab out of the dock area.
    QTabBar* bar = static_cast<QTabWidget*>(pages->Widget())->tabBar();
    const QPoint tab = bar->tabRect(0).center();
    QMouseEvent press(QEvent::MouseButtonPress, tab, bar->mapToGlobal(tab), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(bar, &press);
    const QPoint far = bar->mapToGlobal(tab) + QPoint(-400, 250);
    QMouseEvent move(QEvent::MouseMove, bar->mapFromGlobal(far), far, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    EXPECT_TRUE(tool->Floating());
    EXPECT_EQ(pages->PageCount(), 0);
    EXPECT_TRUE(tool->Widget()->isWindow());
    EXPECT_TRUE(tool->Widget()->isVisible());
    EXPECT_EQ(events, (std::vector<std::string>{"undock", "start", "end floating"}));

    // Dropped back on the site, with the site check asked.
    events.clear();
    bool asked = false;
    pages->OnAcceptDrag = [&](TForm*) {
        asked = true;
        return true;
    };
    EXPECT_TRUE(tool->DragDock(pages, 10, 10));
    EXPECT_TRUE(asked);
    EXPECT_EQ(events, (std::vector<std::string>{"start", "end docked"}));
    pages->OnAcceptDrag = [&](TForm*) { return false; };
    tool->ManualFloat(100, 100);
    EXPECT_FALSE(tool->DragDock(pages, 10, 10));
    EXPECT_TRUE(tool->Floating());
    FreeForm(tool);
}

TEST_F(TFormFixture, FloatingWindowMovedOntoTheSiteByTheOperatorDocks)
{
    auto* pages = new TPageControl(Form);
    pages->SetAlign(alClient);
    pages->SetParent(Form);
    Form->Show();
    auto* tool = new TForm(nullptr);
    tool->SetCaption("Tool");
    tool->DragKind = dkDock;
    tool->EndLoading();
    tool->SetBounds(600, 500, 120, 80);
    tool->Show();
    const QPoint overSite = pages->Widget()->mapToGlobal(pages->Widget()->rect().center());
    QCursor::setPos(overSite);

    // Moved by code over the site: stays floating.
    tool->SetBounds(overSite.x(), overSite.y(), 120, 80);
    Application->ProcessMessagesUntil([] { return false; }, 450);
    EXPECT_TRUE(tool->Floating());

    // Moved as the window manager moves it while the operator drags its title bar.
    tool->Widget()->move(overSite - QPoint(40, 5));
    EXPECT_TRUE(Application->ProcessMessagesUntil([&] { return !tool->Floating(); }, ConditionWaitMs));
    EXPECT_EQ(pages->PageCount(), 1);
    FreeForm(tool);
    EXPECT_EQ(pages->PageCount(), 0);
}

// A tool window as the dock tests use it: dock kind, its docking events recorded.
TForm* DockableTool(const std::string& Caption, int Width, int Height, std::vector<std::string>& Events)
{
    auto* tool = new TForm(nullptr);
    tool->SetCaption(Caption);
    tool->DragKind = dkDock;
    tool->SetBorderStyle(bsToolWindow);
    tool->EndLoading();
    tool->SetBounds(100, 100, Width, Height);
    tool->OnStartDock = [&Events, Caption](TObject*) { Events.push_back(Caption + " start"); };
    tool->OnEndDock = [&Events, Caption](TObject*, TObject* Target, int, int) {
        Events.push_back(Caption + (Target ? " end docked" : " end floating"));
    };
    tool->OnUnDock = [&Events, Caption](TObject*, TControl*, TWinControl*, bool&) {
        Events.push_back(Caption + " undock");
    };
    return tool;
}

TEST_F(TFormFixture, ControlBarHoldsDockedWindowsInRowsBelowItsToolBar)
{
    auto* bar = new TControlBar(Form);
    bar->SetAlign(alTop);
    bar->SetParent(Form);
    bar->EndLoading();
    auto* tools = new TPanel(Form);
    tools->SetAlign(alClient);
    tools->SetParent(bar);
    auto* rest = new TPanel(Form);
    rest->SetAlign(alClient);
    rest->SetParent(Form);
    Form->SetBounds(50, 50, 400, 300);
    Form->Show();
    const int toolRow = bar->RowSize + 2;
    ASSERT_EQ(bar->GetHeight(), toolRow);

    std::vector<std::string> events;
    TForm* wide = DockableTool("Wide", 150, 60, events);
    TForm* flat = DockableTool("Flat", 120, 30, events);
    wide->Show();
    auto* field = new TEdit(wide);
    field->SetParent(wide);
    field->SetText("kept while docked");
    ASSERT_TRUE(wide->ManualDock(bar));
    ASSERT_TRUE(flat->ManualDock(bar));
    ASSERT_EQ(bar->BandCount(), 2);
    EXPECT_EQ(bar->Bands(0), wide);
    EXPECT_FALSE(wide->Floating());
    EXPECT_EQ(wide->HostDockSite(), bar);
    EXPECT_EQ(WindowFrame(wide), "docked");
    EXPECT_EQ(wide->Widget()->parentWidget(), bar->Widget());
    // The window keeps its size, its controls and their values, and its visibility.
    EXPECT_EQ(wide->Widget()->size(), QSize(150, 60));
    EXPECT_EQ(field->GetText(), "kept while docked");
    EXPECT_TRUE(wide->Widget()->isVisible());
    EXPECT_FALSE(flat->GetVisible());
    // The tool bar keeps its row; a shown band takes whole rows below it (60 pixels: three
    // rows of 24) and the rest of the window gives way.
    EXPECT_EQ(tools->GetTop(), 0);
    EXPECT_EQ(tools->GetHeight(), toolRow);
    const int gripRight = wide->GetLeft();
    EXPECT_GT(gripRight, 0);
    EXPECT_EQ(wide->GetTop(), toolRow);
    EXPECT_EQ(bar->GetHeight(), toolRow + 72);
    EXPECT_EQ(rest->GetTop(), bar->GetHeight());

    // A second band sits beside the first while it fits, in a row of its own when not.
    flat->Show();
    EXPECT_EQ(flat->GetTop(), toolRow);
    EXPECT_GE(flat->GetLeft(), wide->GetLeft() + 150 + gripRight);
    EXPECT_EQ(bar->GetHeight(), toolRow + 72);
    Form->SetBounds(50, 50, 260, 300);
    EXPECT_EQ(flat->GetTop(), toolRow + 72);
    EXPECT_EQ(flat->GetLeft(), gripRight);
    EXPECT_EQ(bar->GetHeight(), toolRow + 72 + 48);
    EXPECT_EQ(rest->GetTop(), bar->GetHeight());
    // A hidden band gives up its place.
    wide->Hide();
    EXPECT_EQ(flat->GetTop(), toolRow);
    EXPECT_EQ(bar->GetHeight(), toolRow + 48);

    // A docked window that goes leaves its band.
    FreeForm(flat);
    EXPECT_EQ(bar->BandCount(), 1);
    EXPECT_EQ(bar->GetHeight(), toolRow);
    wide->Show();
    EXPECT_EQ(bar->GetHeight(), toolRow + 72);
    EXPECT_EQ(events, std::vector<std::string>{});  // docking by code runs no handler
    FreeForm(wide);
}

TEST_F(TFormFixture, ControlBarAsksItsSiteCheckAndItsGripDragFloatsTheWindowOnTheScreen)
{
    auto* bar = new TControlBar(Form);
    bar->SetAlign(alTop);
    bar->SetParent(Form);
    bar->EndLoading();
    Form->Show();
    std::vector<std::string> events;
    TForm* tool = DockableTool("Tool", 150, 60, events);
    tool->Show();

    std::vector<TForm*> asked;
    bool accept = false;
    bar->OnAcceptDrag = [&](TForm* Client) {
        asked.push_back(Client);
        return accept;
    };
    EXPECT_FALSE(tool->DragDock(bar, 5, 5));
    EXPECT_TRUE(tool->Floating());
    EXPECT_EQ(bar->BandCount(), 0);
    accept = true;
    EXPECT_TRUE(tool->DragDock(bar, 5, 5));
    EXPECT_EQ(asked, (std::vector<TForm*>{tool, tool}));
    EXPECT_EQ(bar->BandCount(), 1);
    EXPECT_EQ(events, (std::vector<std::string>{"Tool start", "Tool end floating", "Tool start", "Tool end docked"}));
    events.clear();

    // A drag of the grip that stays near the bar leaves the window docked.
    QWidget* grip = bar->BandGrip(tool);
    ASSERT_NE(grip, nullptr);
    ASSERT_TRUE(grip->isVisible());
    WidgetInput::PressAndDragTo(grip, bar->Widget()->mapToGlobal(QPoint(30, 10)));
    EXPECT_FALSE(tool->Floating());
    // Out of its band is out of the bar, even where the bar's rows reach on beside it.
    const QPoint besideBand = bar->Widget()->mapToGlobal(QPoint(bar->GetWidth() - 5, bar->GetHeight() - 5));
    WidgetInput::PressAndDragTo(grip, besideBand);
    EXPECT_TRUE(tool->Floating());
    events.clear();
    ASSERT_TRUE(tool->ManualDock(bar));
    grip = bar->BandGrip(tool);
    ASSERT_NE(grip, nullptr);

    // Dragged out far beyond the screen's corner, the window floats where the operator can
    // reach it, at its own size and with its own frame.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    WidgetInput::PressAndDragTo(grip, area.bottomRight() + QPoint(900, 700));
    EXPECT_TRUE(tool->Floating());
    EXPECT_EQ(bar->BandCount(), 0);
    EXPECT_EQ(bar->GetHeight(), bar->RowSize + 2);
    EXPECT_EQ(events, (std::vector<std::string>{"Tool undock", "Tool start", "Tool end floating"}));
    EXPECT_TRUE(tool->Widget()->isWindow());
    EXPECT_TRUE(tool->Widget()->isVisible());
    EXPECT_EQ(WindowFrame(tool), "tool, titled, fixed");
    EXPECT_EQ(tool->Widget()->size(), QSize(150, 60));
    EXPECT_TRUE(area.contains(tool->Widget()->frameGeometry())) << tool->GetLeft() << "," << tool->GetTop();
    FreeForm(tool);
}

// ---------------------------------------------------------------------------------------
// Border styles

TEST_F(TFormFixture, BorderStylesGiveTheWindowManagerTheirFrameAndHoldTheSize)
{
    struct Case {
        TFormBorderStyle Style;
        TFormStyle FormStyle;
        const char* Frame;
    };
    const Case cases[] = {
        {bsNone, fsNormal, "window, frameless, fixed"},
        {bsNone, fsStayOnTop, "window, frameless, on top, fixed"},
        {bsSingle, fsNormal, "window, titled, fixed"},
        {bsSizeable, fsNormal, "window, titled, maximisable"},
        {bsSizeable, fsStayOnTop, "window, titled, maximisable, on top"},
        {bsDialog, fsStayOnTop, "dialog, titled, on top, fixed"},
        {bsToolWindow, fsNormal, "tool, titled, fixed"},
        {bsToolWindow, fsStayOnTop, "tool, titled, on top, fixed"},
        {bsSizeToolWin, fsStayOnTop, "tool, titled, on top"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Frame);
        auto* form = new TForm(nullptr);
        form->EndLoading();
        form->SetFormStyle(c.FormStyle);
        form->SetBounds(60, 60, 240, 180);
        form->Show();
        // Changed on a shown window: it stays shown.
        form->SetBorderStyle(c.Style);
        EXPECT_TRUE(form->Widget()->isVisible());
        EXPECT_EQ(WindowFrame(form), c.Frame);
        // What the platform window carries to the window manager.
        QWindow* window = form->Widget()->windowHandle();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->flags(), form->Widget()->windowFlags());
        const bool sizeable = c.Style == bsSizeable || c.Style == bsSizeToolWin;
        EXPECT_EQ(window->minimumSize() == window->maximumSize(), !sizeable);

        // Code sizes every window; the fixed ones hold the new size.
        form->SetBounds(70, 70, 260, 190);
        EXPECT_EQ(form->GetWidth(), 260);
        EXPECT_EQ(form->GetHeight(), 190);
        EXPECT_EQ(window->maximumSize() == QSize(260, 190), !sizeable);
        FreeForm(form);
    }
}

TEST_F(TFormFixture, FixedToolWindowDockedFillsItsPageAndFloatsWithItsFrameAndSize)
{
    auto* pages = new TPageControl(Form);
    pages->SetAlign(alClient);
    pages->SetParent(Form);
    Form->Show();
    auto* tool = new TForm(nullptr);
    tool->SetCaption("Tool");
    tool->DragKind = dkDock;
    tool->SetBorderStyle(bsToolWindow);
    tool->SetFormStyle(fsStayOnTop);
    tool->EndLoading();
    tool->SetBounds(100, 100, 150, 120);
    tool->Show();

    ASSERT_TRUE(tool->ManualDock(pages, true));
    EXPECT_EQ(WindowFrame(tool), "docked");
    EXPECT_FALSE(tool->Widget()->isWindow());
    EXPECT_EQ(tool->Widget()->size(), pages->Pages(0)->Widget()->size());
    EXPECT_NE(tool->Widget()->size(), QSize(150, 120));

    tool->ManualFloat(200, 150);
    EXPECT_TRUE(tool->Widget()->isWindow());
    EXPECT_TRUE(tool->Widget()->isVisible());
    EXPECT_EQ(WindowFrame(tool), "tool, titled, on top, fixed");
    EXPECT_EQ(tool->Widget()->size(), QSize(150, 120));
    FreeForm(tool);
}

TEST_F(TFormFixture, ChildWindowInTheMainAreaTakesItsFrameAndRefusesTheOperatorsResize)
{
    SetMainForm(Form);
    Form->SetFormStyle(fsMDIForm);
    Form->Show();
    // The operator drags the frame's lower right corner down and to the right.
    auto dragCorner = [](TForm* Child) {
        QWidget* frame = Child->Widget()->parentWidget();
        const QPoint corner(frame->width() - 2, frame->height() - 2);
        const QPoint to = corner + QPoint(40, 30);
        // The frame picks what a press does from where the pointer rests.
        QMouseEvent hover(QEvent::MouseMove, corner, frame->mapToGlobal(corner), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(frame, &hover);
        QMouseEvent press(QEvent::MouseButtonPress, corner, frame->mapToGlobal(corner), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(frame, &press);
        QMouseEvent move(QEvent::MouseMove, to, frame->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, to, frame->mapToGlobal(to), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(frame, &release);
    };
    struct Case {
        TFormBorderStyle Style;
        const char* Frame;
        bool Resized;
    };
    for (const Case& c :
         {Case{bsSingle, "child, titled, fixed", false}, Case{bsSizeable, "child, titled, maximisable", true}}) {
        SCOPED_TRACE(c.Frame);
        auto* child = new TForm(nullptr);
        child->SetBorderStyle(c.Style);
        child->SetFormStyle(fsMDIChild);
        child->EndLoading();
        child->SetBounds(10, 10, 200, 150);
        child->Show();
        EXPECT_EQ(WindowFrame(child), c.Frame);
        dragCorner(child);
        EXPECT_EQ(child->GetWidth() != 200 || child->GetHeight() != 150, c.Resized)
            << child->GetWidth() << "x" << child->GetHeight();
        FreeForm(child);
    }
    SetMainForm(nullptr);
}

TEST(FormPlacement, WindowTheOperatorCannotResizeTakesOnlyItsPlaceFromTheFile)
{
    TTempDir dir;
    const std::string ini = dir.File("zel.ini");
    {
        TIniFile file(ini);
        file.WriteString("ProbeWindow", "NormPos", "120,90,440,330");
    }
    for (TFormBorderStyle style : {bsDialog, bsSizeToolWin}) {
        auto* form = new TForm(nullptr);
        form->SetBorderStyle(style);
        auto* placement = new TFormPlacement(form);
        placement->IniFileName = ini;
        placement->IniSection = "ProbeWindow";
        placement->Options = fpPosition;
        form->SetBounds(10, 10, 200, 150);
        form->EndLoading();
        form->Show();
        EXPECT_EQ(form->BoundsRect(), style == bsDialog ? Rect(120, 90, 320, 240) : Rect(120, 90, 440, 330)) << style;
        placement->SetActive(false);  // the next window reads the same place
        FreeForm(form);
    }
}

}  // namespace

// A drop-down combo makes its edit field when first shown. One shown late, after its
// colours, items and text were set, must show what one shown at once shows, and follow
// later changes the same way.
TEST_F(TFormFixture, DropDownComboShownLateBehavesAsOneShownAtOnce)
{
    auto* atOnce = new TComboBox(Form);
    atOnce->SetParent(Form);
    Form->Show();
    auto* late = new TComboBox(Form);
    auto* becameList = new TComboBox(Form);
    becameList->SetStyle(csDropDownList);
    int lateChanges = 0, atOnceChanges = 0;
    const auto items = [](std::initializer_list<const char*> Lines) {
        TStringList list;
        for (const char* line : Lines) list.Add(line);
        return list;
    };

    using TStep = std::function<void(TComboBox*)>;
    const std::vector<std::pair<std::string, TStep>> steps = {
        {"colour", [](TComboBox* c) { c->SetColor(clYellow); }},
        {"text before items", [](TComboBox* c) { c->SetCaption("typed"); }},
        {"items",
         [&](TComboBox* c) {
             c->SetItems(items({"alpha", "beta", "gamma"}));
         }},
        {"text over items", [](TComboBox* c) { c->SetCaption("own text"); }},
        {"one more item", [](TComboBox* c) { c->AddItem("delta"); }},
        {"item picked", [](TComboBox* c) { c->SetItemIndex(1); }},
        {"items cleared", [](TComboBox* c) { c->ClearItems(); }},
        {"text after clearing", [](TComboBox* c) { c->SetCaption("again"); }},
        {"first item added", [](TComboBox* c) { c->AddItem("one"); }},
        {"font colour", [](TComboBox* c) { c->Font()->SetColor(clRed); }},
    };
    const auto same = [&](const std::string& Step) {
        auto* a = static_cast<QComboBox*>(atOnce->Widget());
        auto* b = static_cast<QComboBox*>(late->Widget());
        ASSERT_TRUE(a->isEditable()) << Step;
        ASSERT_TRUE(b->isEditable()) << Step;
        EXPECT_EQ(b->lineEdit()->text(), a->lineEdit()->text()) << Step;
        EXPECT_EQ(b->currentIndex(), a->currentIndex()) << Step;
        EXPECT_EQ(late->Items().Lines(), atOnce->Items().Lines()) << Step;
        EXPECT_EQ(late->GetCaption(), atOnce->GetCaption()) << Step;
        for (QPalette::ColorRole role : {QPalette::Base, QPalette::Text, QPalette::Window})
            EXPECT_EQ(b->lineEdit()->palette().color(role), a->lineEdit()->palette().color(role)) << Step;
    };
    // Shown after every step in turn: each prefix of the steps, then the rest after it.
    for (size_t shownAfter = 0; shownAfter <= steps.size(); ++shownAfter) {
        delete late;
        late = new TComboBox(Form);
        delete atOnce;
        atOnce = new TComboBox(Form);
        atOnce->SetParent(Form);
        atOnce->SetVisible(true);
        late->OnChange = [&](TObject*) { ++lateChanges; };
        atOnce->OnChange = [&](TObject*) { ++atOnceChanges; };
        for (size_t i = 0; i < steps.size(); ++i) {
            if (i == shownAfter) {
                late->SetParent(Form);
                late->SetVisible(true);
            }
            steps[i].second(atOnce);
            steps[i].second(late);
            if (i >= shownAfter) same(steps[i].first);
        }
        if (shownAfter == steps.size()) {
            late->SetParent(Form);
            late->SetVisible(true);
        }
        same("shown after " + std::to_string(shownAfter) + " steps");
    }
    EXPECT_EQ(lateChanges, atOnceChanges);

    // Typing into a late field reaches the control as into any other.
    int changes = 0;
    late->OnChange = [&](TObject*) { ++changes; };
    SendKey(static_cast<QComboBox*>(late->Widget())->lineEdit(), QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(late->GetCaption().back(), 'x');

    // A box made a list before it was shown never gets a field.
    becameList->SetParent(Form);
    becameList->SetItems(items({"a", "b"}));
    becameList->SetCaption("b");
    becameList->SetVisible(true);
    auto* list = static_cast<QComboBox*>(becameList->Widget());
    EXPECT_FALSE(list->isEditable());
    EXPECT_EQ(list->currentIndex(), 1);
}

TEST_F(TFormFixture, WidgetNamesItsControlOnlyWhileBothLive)
{
    auto* painted = new TCustomControl(Form);
    painted->SetParent(Form);
    EXPECT_EQ(TControl::FromWidget(painted->Widget()), painted);
    EXPECT_EQ(TControl::FromWidget(Form->Widget()), Form);
    QWidget plain;
    EXPECT_EQ(TControl::FromWidget(&plain), nullptr);
    // The widget goes without its control (as with a parent widget deleting its children):
    // widgets made afterwards, some likely where it was, belong to no control.
    delete painted->Widget();
    // As large as a painted control's widget: the allocator likely hands its place out again.
    struct TSameSizeWidget : QWidget {
        void* Control = nullptr;
        std::function<void()> Canvas;
    };
    std::vector<std::unique_ptr<QWidget>> later;
    for (int i = 0; i < 64; ++i) {
        later.push_back(std::make_unique<TSameSizeWidget>());
        EXPECT_EQ(TControl::FromWidget(later.back().get()), nullptr) << i;
    }
    delete painted;
    auto* again = new TCustomControl(Form);
    EXPECT_EQ(TControl::FromWidget(again->Widget()), again);
    delete again;
}

TEST_F(TFormFixture, ChildWindowFrameHoldsTheFormAlikeWhetherItShowsAtOnceOrLater)
{
    SetMainForm(Form);
    Form->SetFormStyle(fsMDIForm);
    Form->Show();
    struct Case {
        TFormBorderStyle Style;
        const char* Frame;
    };
    const Case cases[] = {{bsSingle, "child, titled, fixed"},
                          {bsSizeable, "child, titled, maximisable"},
                          {bsDialog, "child, titled, fixed"},
                          {bsSizeToolWin, "child, titled"}};
    for (const Case& c : cases) {
        for (const bool shownFirst : {false, true}) {
            SCOPED_TRACE(std::string(c.Frame) + (shownFirst ? ", shown before it joins the area" : ", shown later"));
            auto* child = new TForm(nullptr);
            child->SetCaption("Child");
            child->SetBorderStyle(c.Style);
            child->EndLoading();
            child->SetBounds(20, 30, 240, 160);
            if (shownFirst) child->Show();
            child->SetFormStyle(fsMDIChild);
            child->Show();
            auto* frame = qobject_cast<QMdiSubWindow*>(child->Widget()->parentWidget());
            ASSERT_NE(frame, nullptr);
            EXPECT_TRUE(frame->isVisible());
            EXPECT_EQ(frame->widget(), child->Widget());
            EXPECT_EQ(frame->windowTitle(), "Child");
            EXPECT_EQ(WindowFrame(child), c.Frame);
            EXPECT_EQ(frame->size(), QSize(240, 160) + QSize(8, 30));
            EXPECT_EQ(Form->MDIChildren(Form->MDIChildCount() - 1), child);
            FreeForm(child);
        }
    }
    SetMainForm(nullptr);
}

TEST_F(TFormFixture, ControlsOfAHiddenWindowAreStyledAsItShowsNotWhenTheLoopRuns)
{
    auto* hidden = new TForm(nullptr);
    hidden->EndLoading();
    QCoreApplication::processEvents();
    // Built while the program runs, in a window not shown yet.
    auto* box = new TGroupBox(hidden);
    box->SetParent(hidden);
    auto* entry = new TComboBox(hidden);
    entry->SetCaption("typed");
    entry->SetParent(box);
    auto* button = new TButton(hidden);
    button->SetParent(box);
    const std::vector<TControl*> controls = {box, entry, button};
    const auto styled = [&] {
        std::string which;
        for (TControl* control : controls)
            if (control->Widget()->testAttribute(Qt::WA_WState_Polished))
                which += control->Widget()->metaObject()->className() + std::string(" ");
        return which;
    };
    QCoreApplication::processEvents();
    EXPECT_EQ(styled(), "");
    auto* field = static_cast<QComboBox*>(entry->Widget());
    EXPECT_FALSE(field->isEditable());
    hidden->Show();
    EXPECT_EQ(styled(), "QGroupBox QComboBox QPushButton ");
    // Styled late, the entry is what it would have been styled at once.
    ASSERT_TRUE(field->isEditable());
    EXPECT_EQ(field->lineEdit()->text(), "typed");
    FreeForm(hidden);
}

namespace {

// Records the first paints of a widget's window and runs a step at each.
class TPaintSpy : public QObject {
public:
    explicit TPaintSpy(QWidget* Window, std::function<void()> AtPaint) : AtPaint(std::move(AtPaint))
    {
        Window->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* Event) override
    {
        if (Event->type() == QEvent::Paint) AtPaint();
        return false;
    }
    std::function<void()> AtPaint;
};

}  // namespace

TEST_F(TFormFixture, WorkAfterTheFirstPaintRunsOnceAheadOfWhatWaitsAndOnlyWhileTheLoopRuns)
{
    std::vector<std::string> order;
    Form->AttachHook({nullptr, [&](TMessage& m) {
                          if (m.Msg == WM_USER + 7) order.push_back("message");
                      }});
    // A message that arrives as the window paints waits for the work.
    TPaintSpy spy(Form->Widget()->window(), [&] {
        order.push_back("paint");
        PostMessage(Form->Handle(), WM_USER + 7, 0, 0);
    });
    Form->Show();
    Application->AfterFirstPaint(Form, [&] { order.push_back("work"); });
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return order.size() >= 3; }, 30000));
    EXPECT_EQ((std::vector<std::string>(order.begin(), order.begin() + 3)),
              (std::vector<std::string>{"paint", "work", "message"}));
    // Later paints run nothing more.
    Form->Widget()->repaint();
    Application->ProcessMessages();
    EXPECT_EQ(std::count(order.begin(), order.end(), "work"), 1);

    // A window that cannot paint has the work run as the loop turns.
    auto* hidden = new TForm(nullptr);
    hidden->EndLoading();
    int ran = 0;
    Application->AfterFirstPaint(hidden, [&] { ++ran; });
    Application->ProcessMessages();
    EXPECT_EQ(ran, 1);

    // Work that has not run when the loop ends is dropped.
    auto* late = new TForm(nullptr);
    late->EndLoading();
    late->Show();
    Application->AfterFirstPaint(late, [&] { ran += 10; });
    Application->Terminate();
    Application->Run();
    Application->CancelShutdown();
    Application->ProcessMessages();
    late->Widget()->repaint();
    Application->ProcessMessages();
    EXPECT_EQ(ran, 1);
    FreeForm(late);
    FreeForm(hidden);
}
