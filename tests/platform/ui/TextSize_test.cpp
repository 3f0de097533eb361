// Text sizes come from a store shared by every control of the process: a size must be the
// one the control itself would measure, whatever the text, font and control settings, and
// a control whose text or font changes must get its new size, not one stored before.
#include <gtest/gtest.h>

#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <functional>
#include <memory>

#include "TestSupport.h"
#include "platform/ui/TextSize.h"
#include "platform/ui/StdCtrls.h"

namespace {

struct TLabelSetting {
    const char* Name;
    std::function<void(QLabel&)> Apply;
};

const TLabelSetting Settings[] = {
    {"plain", [](QLabel&) {}},
    {"right", [](QLabel& l) { l.setAlignment(Qt::AlignRight | Qt::AlignVCenter); }},
    {"centred", [](QLabel& l) { l.setAlignment(Qt::AlignCenter); }},
    {"top right", [](QLabel& l) { l.setAlignment(Qt::AlignRight | Qt::AlignTop); }},
    {"margin", [](QLabel& l) { l.setMargin(3); }},
    {"indent", [](QLabel& l) { l.setIndent(5); }},
    {"framed", [](QLabel& l) { l.setFrameStyle(QFrame::Box | QFrame::Plain); }},
    {"framed bottom",
     [](QLabel& l) {
         l.setFrameStyle(QFrame::Panel | QFrame::Sunken);
         l.setAlignment(Qt::AlignLeft | Qt::AlignBottom);
     }},
    {"contents margins", [](QLabel& l) { l.setContentsMargins(2, 1, 4, 3); }},
    {"least size", [](QLabel& l) { l.setMinimumSize(80, 30); }},
    {"least width right",
     [](QLabel& l) {
         l.setMinimumWidth(33);
         l.setAlignment(Qt::AlignRight);
     }},
    {"selectable", [](QLabel& l) { l.setTextInteractionFlags(Qt::TextSelectableByMouse); }},
    {"plain format", [](QLabel& l) { l.setTextFormat(Qt::PlainText); }},
    {"rich format", [](QLabel& l) { l.setTextFormat(Qt::RichText); }},
    {"right to left", [](QLabel& l) { l.setLayoutDirection(Qt::RightToLeft); }},
};

const char* const Texts[] = {
    "0.0",
    "Mode",
    "Pressure (mN/m)",
    "a\tb",
    "two\nlines",
    "<b>bold</b> reading",
    "&Start",
    "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d 12",  // right-to-left letters
    "",
};

QFont Fonts(int Index)
{
    switch (Index) {
    case 0:
        return QFont("DejaVu Sans", 9);
    case 1:
        return QFont("DejaVu Sans", 11, QFont::Bold);
    case 2: {
        QFont font("DejaVu Serif", 14);
        font.setItalic(true);
        return font;
    }
    default: {
        QFont font("DejaVu Sans Mono");
        font.setPixelSize(13);
        return font;
    }
    }
}
constexpr int FontCount = 4;

std::unique_ptr<QLabel> MakeLabel(const QFont& Font, const char* Text, const TLabelSetting& Setting)
{
    auto label = std::make_unique<QLabel>();
    label->setFont(Font);
    Setting.Apply(*label);
    label->setText(QString::fromUtf8(Text));
    return label;
}

}  // namespace

TEST(LabelSize, IsTheLabelsOwnSizeHintForEveryTextFontAndSetting)
{
    for (int f = 0; f < FontCount; ++f)
        for (const char* text : Texts)
            for (const TLabelSetting& setting : Settings) {
                SCOPED_TRACE(testing::Message()
                             << Fonts(f).toString().toStdString() << " | " << text << " | " << setting.Name);
                // The first label may measure, the second is served from the store; a
                // third, measured by the label itself, decides.
                const auto first = MakeLabel(Fonts(f), text, setting);
                const auto second = MakeLabel(Fonts(f), text, setting);
                const auto own = MakeLabel(Fonts(f), text, setting);
                EXPECT_EQ(LabelTextSize(first.get()), own->sizeHint());
                EXPECT_EQ(LabelTextSize(second.get()), own->sizeHint());
            }
}

TEST(LabelSize, FollowsTheLabelsChangesOfTextFontAndSettings)
{
    QLabel label;
    label.setFont(QFont("DejaVu Sans", 9));
    label.setText("0.0");
    const QSize before = LabelTextSize(&label);
    ASSERT_EQ(before, label.sizeHint());

    const std::function<void()> changes[] = {
        [&] { label.setText("0.00"); },
        [&] { label.setFont(QFont("DejaVu Sans", 16)); },
        [&] { label.setFont(QFont("DejaVu Sans", 16, QFont::Bold)); },
        [&] { label.setMargin(4); },
        [&] { label.setFrameStyle(QFrame::Box | QFrame::Plain); },
        [&] { label.setIndent(9); },
        [&] { label.setContentsMargins(5, 2, 5, 2); },
    };
    QSize last = before;
    for (size_t i = 0; i < std::size(changes); ++i) {
        SCOPED_TRACE(i);
        changes[i]();
        const QSize now = LabelTextSize(&label);
        EXPECT_EQ(now, label.sizeHint());
        EXPECT_NE(now, last) << "every change here changes the size";
        last = now;
    }

    // A wrapped label is measured as the label measures it.
    label.setText("Pressure of the film on the subphase");
    label.setWordWrap(true);
    EXPECT_EQ(LabelTextSize(&label), label.sizeHint());

    // Back where it began: the size stored at first serves again.
    label.setWordWrap(false);
    label.setContentsMargins(0, 0, 0, 0);
    label.setIndent(-1);
    label.setFrameStyle(QFrame::NoFrame);
    label.setMargin(0);
    label.setFont(QFont("DejaVu Sans", 9));
    label.setText("0.0");
    EXPECT_EQ(LabelTextSize(&label), before);
}

TEST(LabelSize, LabelControlsGrowToTheirNewTextAndFont)
{
    TLabel label(nullptr);
    label.SetCaption("0.0");
    const QSize small = label.Widget()->size();
    EXPECT_EQ(small, label.Widget()->sizeHint());

    // Another label with the same text and font is served the same size.
    TLabel twin(nullptr);
    twin.SetCaption("0.0");
    EXPECT_EQ(twin.Widget()->size(), small);

    label.SetCaption("1234.567");
    EXPECT_EQ(label.Widget()->size(), label.Widget()->sizeHint());
    EXPECT_GT(label.GetWidth(), small.width());
    EXPECT_EQ(label.TextNeed().Width, label.Widget()->sizeHint().width());

    // A larger font grows the label, which keeps its caption; the twin stays.
    label.SetCaption("0.0");
    label.AutoSize = false;
    label.Font()->SetSize(label.Font()->GetSize() * 2);
    EXPECT_GE(label.GetWidth(), label.Widget()->sizeHint().width());
    EXPECT_GE(label.GetHeight(), label.Widget()->sizeHint().height());
    EXPECT_GT(label.Widget()->sizeHint().height(), small.height());
    EXPECT_EQ(label.TextNeed().Width, label.Widget()->sizeHint().width());
    EXPECT_EQ(twin.Widget()->size(), small);
}

TEST(CaptionSize, IsTheFontsOwnMeasureOfTheCaption)
{
    const char* const captions[] = {"Stop", "&Start", "Zero && span", "> 0 <", "a\tb", "two\nlines", ""};
    for (int f = 0; f < FontCount; ++f)
        for (const char* caption : captions) {
            SCOPED_TRACE(testing::Message() << Fonts(f).toString().toStdString() << " | " << caption);
            const QString text = QString::fromUtf8(caption);
            QPushButton first, second;
            first.setFont(Fonts(f));
            second.setFont(Fonts(f));
            const QSize own = QFontMetrics(Fonts(f)).size(Qt::TextShowMnemonic, text);
            EXPECT_EQ(CaptionSize(&first, text), own);
            EXPECT_EQ(CaptionSize(&second, text), own);
        }

    // A widget whose font changes gets the size in its new font.
    QPushButton button;
    button.setFont(Fonts(0));
    const QSize small = CaptionSize(&button, "Stop");
    button.setFont(Fonts(2));
    EXPECT_EQ(CaptionSize(&button, "Stop"), QFontMetrics(Fonts(2)).size(Qt::TextShowMnemonic, "Stop"));
    EXPECT_NE(CaptionSize(&button, "Stop"), small);
}
