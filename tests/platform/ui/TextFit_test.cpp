// Controls laid out for a narrower font make room for their texts as the window shows:
// captions push their column right, lists grow to their longest choice, containers grow
// and push their neighbours, pages and filling panels widen the window.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QWidget>

#include "TestSupport.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ControlBuilder.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace {

struct TTextFitFixture : ::testing::Test {
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->Name = "FitForm";
        Form->SetCaption("Fit");
        Form->SetBounds(50, 50, 300, 200);
    }
    void TearDown() override { FreeForm(Form); }
    void ShowForm()
    {
        Form->EndLoading();
        Form->Show();
    }
    // Where a control's text ends, in its parent.
    static int TextEnd(const TControl* Control) { return Control->GetLeft() + Control->TextNeed().Width; }
    TForm* Form = nullptr;
};

TEST_F(TTextFitFixture, ALongCaptionMovesItsColumnAndTheBoxBesideIt)
{
    auto* box = MakeControl<TGroupBox>(Form, Form, "Box", "Box", 4, 4, 150, 76);
    auto* shortCaption = MakeControl<TLabel>(Form, box, "ShortCaption", "Speed", 8, 20, 60, 16);
    auto* shortEntry = MakeControl<TEdit>(Form, box, "ShortEntry", "1", 70, 18, 60, 21);
    auto* longCaption =
        MakeControl<TLabel>(Form, box, "LongCaption", "A caption far longer than its place", 8, 46, 60, 16);
    auto* longEntry = MakeControl<TEdit>(Form, box, "LongEntry", "2", 70, 44, 60, 21);
    auto* neighbour = MakeControl<TGroupBox>(Form, Form, "Neighbour", "Other", 160, 4, 100, 76);
    auto* below = MakeControl<TButton>(Form, Form, "Below", "Go", 4, 90, 75, 25);
    ASSERT_GT(TextEnd(longCaption) + 4, longEntry->GetLeft()) << "the caption must not fit at first";
    ShowForm();

    EXPECT_LE(TextEnd(longCaption) + 4, longEntry->GetLeft());
    EXPECT_EQ(shortEntry->GetLeft(), longEntry->GetLeft()) << "the entries keep one column";
    EXPECT_EQ(shortCaption->GetLeft(), 8);
    EXPECT_GE(box->ClientWidth(), longEntry->GetLeft() + longEntry->GetWidth());
    // The box beside keeps its gap of 6; the control below the grown box stays.
    EXPECT_EQ(neighbour->GetLeft() - (box->GetLeft() + box->GetWidth()), 6)
        << box->GetWidth() << " " << longEntry->GetLeft() << " " << longCaption->GetWidth() << " "
        << neighbour->GetLeft();
    EXPECT_EQ(below->GetLeft(), 4);
    EXPECT_GE(Form->ClientWidth(), neighbour->GetLeft() + neighbour->GetWidth());
    EXPECT_TRUE(ClippedTexts(Form).empty()) << ClippedTexts(Form).front();

    // Showing again changes nothing.
    const TRect entry = longEntry->BoundsRect(), other = neighbour->BoundsRect();
    const int width = Form->GetWidth();
    Form->Hide();
    Form->Show();
    EXPECT_EQ(longEntry->BoundsRect().Left, entry.Left);
    EXPECT_EQ(neighbour->BoundsRect().Left, other.Left);
    EXPECT_EQ(Form->GetWidth(), width);
}

TEST_F(TTextFitFixture, PickListsAndCheckBoxesMakeRoomButTypedListsAndStackedButtonsStay)
{
    TStringList choices;
    choices.Add("Short");
    choices.Add("A choice far longer than the list");
    auto* pick = MakeControl<TComboBox>(Form, Form, "Pick", "", 8, 8, 80, 21);
    pick->SetStyle(csDropDownList);
    pick->SetItems(choices);
    auto* afterPick = MakeControl<TEdit>(Form, Form, "AfterPick", "", 100, 8, 50, 21);
    auto* typed = MakeControl<TComboBox>(Form, Form, "Typed", "", 8, 40, 80, 21);
    typed->SetItems(choices);
    auto* check = MakeControl<TCheckBox>(Form, Form, "Check", "Collect data on the way back", 8, 72, 60, 17);
    auto* afterCheck = MakeControl<TEdit>(Form, Form, "AfterCheck", "", 70, 70, 50, 21);
    // Stop lies under START at the same place: neither moves the other.
    auto* stop = MakeControl<TButton>(Form, Form, "Stop", "Stop", 8, 110, 100, 25);
    auto* start = MakeControl<TButton>(Form, Form, "Start", "START", 8, 110, 100, 25);
    start->BringToFront();
    ShowForm();

    EXPECT_GE(pick->GetWidth(), pick->TextNeed().Width);
    EXPECT_GT(pick->GetWidth(), 80);
    EXPECT_GE(afterPick->GetLeft(), pick->GetLeft() + pick->GetWidth() + 12) << "the gap to the entry stays";
    EXPECT_EQ(typed->GetWidth(), 80);
    EXPECT_EQ(typed->TextNeed().Width, 0);
    EXPECT_GE(check->GetWidth(), check->TextNeed().Width);
    EXPECT_LE(TextEnd(check) + 4, afterCheck->GetLeft());
    EXPECT_EQ(stop->BoundsRect().Left, start->BoundsRect().Left);
    EXPECT_TRUE(ClippedTexts(Form).empty()) << ClippedTexts(Form).front();
}

TEST_F(TTextFitFixture, PagesAndFillingPanelsWidenTheWindow)
{
    auto* pages = MakeControl<TPageControl>(Form, Form, "Pages", "", 4, 4, 150, 80);
    pages->DockSite = false;
    auto* sheet = new TTabSheet(Form, pages);
    sheet->SetCaption("Data");
    auto* caption =
        MakeControl<TLabel>(Form, sheet, "Caption", "Interval of updating of the received data", 8, 10, 90, 16);
    auto* entry = MakeControl<TEdit>(Form, sheet, "Entry", "500", 100, 8, 40, 21);
    auto* panel = new TPanel(Form);
    panel->Name = "Panel";
    panel->SetHeight(40);
    panel->SetAlign(alBottom);
    panel->SetParent(Form);
    auto* wide = MakeControl<TCheckBox>(Form, panel, "Wide",
                                        "A check box at the foot with a caption wider than the window", 8, 8, 100, 17);
    ShowForm();

    EXPECT_LE(TextEnd(caption) + 4, entry->GetLeft());
    EXPECT_GE(pages->GetWidth(), entry->GetLeft() + entry->GetWidth() + pages->TabsExtent());
    EXPECT_GE(panel->GetWidth(), TextEnd(wide));
    EXPECT_GE(Form->ClientWidth(), TextEnd(wide));
    EXPECT_TRUE(ClippedTexts(Form).empty()) << ClippedTexts(Form).front();
}

TEST_F(TTextFitFixture, TheCheckFindsTextsCoveredCutOrSqueezed)
{
    auto* box = MakeControl<TGroupBox>(Form, Form, "Box", "Box", 4, 4, 200, 60);
    auto* covered = MakeControl<TLabel>(Form, box, "Covered", "Pressure, mN/m", 8, 20, 100, 16);
    auto* cut = MakeControl<TLabel>(Form, Form, "Cut", "A caption at the window's edge", 8, 80, 200, 16);
    auto* squeezed = MakeControl<TButton>(Form, Form, "Squeezed", "Return to home position", 8, 110, 100, 25);
    ShowForm();
    ASSERT_TRUE(ClippedTexts(Form).empty()) << ClippedTexts(Form).front();

    // Moved and sized by code after the window has shown, as nothing should do.
    MakeControl<TEdit>(Form, box, "Over", "", covered->GetLeft() + 20, 18, 60, 21)->BringToFront();
    cut->SetLeft(Form->ClientWidth() - 20);
    squeezed->Widget()->resize(40, 25);
    const std::vector<std::string> faults = ClippedTexts(Form);
    ASSERT_EQ(faults.size(), 3u);
    EXPECT_NE(faults[0].find("Covered \"Pressure, mN/m\" lies under Over"), std::string::npos) << faults[0];
    EXPECT_NE(faults[1].find("Cut"), std::string::npos) << faults[1];
    EXPECT_NE(faults[1].find("runs past the edge"), std::string::npos) << faults[1];
    EXPECT_NE(faults[2].find("Squeezed"), std::string::npos) << faults[2];
    EXPECT_NE(faults[2].find("40 wide"), std::string::npos) << faults[2];
}

}  // namespace

namespace {

// Whether a field shows its whole value: drawn with the cursor at the end, its first
// character is still in view (a line edit scrolls its text as it paints).
bool ShowsWholeValue(TRxSpinEdit* Field)
{
    auto* edit = static_cast<QLineEdit*>(Field->Widget());
    edit->setCursorPosition(static_cast<int>(edit->text().size()));
    (void)edit->grab();
    return edit->cursorPositionAt(QPoint(0, edit->height() / 2)) == 0;
}

}  // namespace

TEST_F(TTextFitFixture, EntryFieldsGrowToShowTheirValueBesideTheirArrows)
{
    // The wait beside the speed, as a window lays them out for a narrower font.
    auto* speed = MakeSpinEdit(Form, Form, "Speed", 10, 10, 52, 1, 0.1);
    auto* wait = MakeSpinEdit(Form, Form, "Wait", 65, 10, 38, 0);
    auto* after = MakeSpinEdit(Form, Form, "After", 106, 10, 38, 0);
    SetSpinRange(wait, 0, 100000, 999);
    SetSpinRange(after, 0, 100000, 0);
    speed->SetValue(0.6);
    ShowForm();

    for (TRxSpinEdit* field : {speed, wait, after}) EXPECT_TRUE(ShowsWholeValue(field)) << field->Name;
    // Only the field that needed room took it; the one beside it moved along.
    EXPECT_EQ(speed->GetWidth(), 52);
    EXPECT_GT(wait->GetWidth(), 38);
    EXPECT_EQ(after->GetWidth(), 38);
    EXPECT_EQ(after->GetLeft() - (wait->GetLeft() + wait->GetWidth()), 3);
}

namespace {

// Made the way the program's tool windows start: built, then docked, shown and filled with
// its values by its create handler.
class TDockedAsMade : public TForm {
public:
    TDockedAsMade(TComponent* Owner, TPageControl* Site) : TForm(Owner)
    {
        SetCaption("Docked");
        DragKind = dkDock;
        Wait = MakeSpinEdit(this, this, "Wait", 10, 10, 38, 0);
        After = MakeSpinEdit(this, this, "After", 51, 10, 38, 0);
        SetSpinRange(Wait, 0, 100000, 0);
        OnCreate = [this, Site](TObject*) {
            ManualDock(Site, true);
            Show();
            Wait->SetValue(999);
        };
    }
    TRxSpinEdit* Wait = nullptr;
    TRxSpinEdit* After = nullptr;
};

}  // namespace

TEST_F(TTextFitFixture, AWindowDockedAsItIsMadeMakesRoomForTheValuesItsCreateHandlerWrites)
{
    auto* pages = new TPageControl(Form);
    pages->SetAlign(alClient);
    pages->SetParent(Form);
    ShowForm();
    SetMainForm(Form);
    auto* docked = CreateForm<TDockedAsMade>(nullptr, pages);
    ASSERT_FALSE(docked->Floating());
    EXPECT_TRUE(ShowsWholeValue(docked->Wait));
    EXPECT_EQ(docked->After->GetLeft() - (docked->Wait->GetLeft() + docked->Wait->GetWidth()), 3);
    FreeForm(docked);
    SetMainForm(nullptr);
}
