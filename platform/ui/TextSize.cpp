#include "platform/ui/TextSize.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QLabel>
#include <QMargins>
#include <QString>
#include <QStyle>
#include <QTextDocument>

namespace {

// Everything a text label's size hint is made from. Word wrap is left out: a wrapped label
// also depends on its widest allowed width and is measured by the label itself.
struct TLabelLook {
    QFont Font;
    qreal Dpi;
    QString Text;
    int Alignment;
    int Format;
    int Interaction;
    int Margin;
    int Indent;
    int FrameWidth;
    QMargins Contents;
    QSize Least;
    int Direction;
    const QStyle* Style;
    bool Buddy;
    bool PlainText;

    bool operator==(const TLabelLook& Other) const
    {
        return Dpi == Other.Dpi && Alignment == Other.Alignment && Format == Other.Format &&
               Interaction == Other.Interaction && Margin == Other.Margin && Indent == Other.Indent &&
               FrameWidth == Other.FrameWidth && Contents == Other.Contents && Least == Other.Least &&
               Direction == Other.Direction && Style == Other.Style && Buddy == Other.Buddy &&
               PlainText == Other.PlainText && Text == Other.Text && Font == Other.Font;
    }
};

size_t qHash(const TLabelLook& Look, size_t Seed)
{
    return qHashMulti(Seed, Look.Font, Look.Text, Look.Alignment, Look.Margin, Look.Indent, Look.Contents.left(),
                      Look.Contents.right(), Look.Least.width());
}

// The measured sizes of one kind of text. Texts that change while the program runs (live
// readings) would add sizes without end: past so many the store starts over.
template <class Key>
class TSizeStore {
public:
    template <class Measure>
    QSize Find(Key&& Look, Measure&& MeasureIt)
    {
        const auto found = FSizes.constFind(Look);
        if (found != FSizes.cend()) return *found;
        if (FSizes.size() >= MostSizes) FSizes.clear();
        const QSize size = MeasureIt();
        FSizes.insert(std::move(Look), size);
        return size;
    }

private:
    static constexpr qsizetype MostSizes = 4096;
    QHash<Key, QSize> FSizes;
};

// A caption in a font: the font and its screen resolution decide its metrics.
struct TCaptionLook {
    QFont Font;
    qreal Dpi;
    QString Text;

    bool operator==(const TCaptionLook& Other) const
    {
        return Dpi == Other.Dpi && Text == Other.Text && Font == Other.Font;
    }
};

size_t qHash(const TCaptionLook& Look, size_t Seed) { return qHashMulti(Seed, Look.Font, Look.Text); }

// A label lays out plain text with the font's own text measure unless it keeps a document
// for it: for rich text, for selectable text, after it had the focus (its document is then
// its only child) or for a mnemonic of a buddy.
bool MeasuresPlainText(const QLabel* Label)
{
    if (Label->buddy() || !Label->children().isEmpty()) return false;
    if (Label->textInteractionFlags() & (Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard)) return false;
    switch (Label->textFormat()) {
    case Qt::PlainText:
        return true;
    case Qt::AutoText:
        return !Qt::mightBeRichText(Label->text());
    default:
        return false;
    }
}

// The label's size hint for plain text on one line, measured as the label measures it: the
// text in a box 2000 pixels wide (or as wide as the label must be at least), less the
// margins, with centring left out so that no half pixel is rounded.
QSize PlainTextSize(const QLabel* Label)
{
    const QString text = Label->text();
    const QFontMetrics metrics = Label->fontMetrics();
    const QMargins contents = Label->contentsMargins();
    // Tabs are expanded in every label.
    const Qt::Alignment alignment(QFlag(static_cast<int>(Label->alignment()) | Qt::TextExpandTabs));
    const int flags = QStyle::visualAlignment(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight, alignment);
    int across = 2 * Label->margin(), down = across;
    int indent = Label->indent();
    // A framed label without an indent of its own asks for the width of an "x" more, to set
    // its text in from the frame.
    if (indent < 0 && Label->frameWidth()) indent = metrics.horizontalAdvance(QChar(u'x')) - 2 * Label->margin();
    if (indent > 0) {
        if (flags & (Qt::AlignLeft | Qt::AlignRight)) across += indent;
        if (flags & (Qt::AlignTop | Qt::AlignBottom)) down += indent;
    }
    const int box =
        (Label->minimumWidth() > 0 ? Label->minimumWidth() : 2000) - across - (contents.left() + contents.right());
    const QRect bounds = metrics.boundingRect(0, 0, box, 2000, flags & ~(Qt::AlignVCenter | Qt::AlignHCenter), text);
    const QSize size(bounds.width() + across + contents.left() + contents.right(),
                     bounds.height() + down + contents.top() + contents.bottom());
    return size.expandedTo(Label->minimumSize());
}

}  // namespace

QSize LabelTextSize(const QLabel* Label)
{
    // The size hint styles the label first, and styling may change its font or margins.
    Label->ensurePolished();
    // A label without text may show a picture instead.
    if (Label->wordWrap() || Label->text().isEmpty()) return Label->sizeHint();
    TLabelLook look{Label->font(),
                    QFontMetrics(Label->font()).fontDpi(),
                    Label->text(),
                    static_cast<int>(Label->alignment()),
                    static_cast<int>(Label->textFormat()),
                    static_cast<int>(Label->textInteractionFlags()),
                    Label->margin(),
                    Label->indent(),
                    Label->frameWidth(),
                    Label->contentsMargins(),
                    Label->minimumSize(),
                    static_cast<int>(Label->layoutDirection()),
                    Label->style(),
                    Label->buddy() != nullptr,
                    MeasuresPlainText(Label)};
    const bool plainText = look.PlainText;
    static TSizeStore<TLabelLook> sizes;
    return sizes.Find(std::move(look), [&] { return plainText ? PlainTextSize(Label) : Label->sizeHint(); });
}

QSize CaptionSize(const QWidget* Widget, const QString& Text)
{
    static TSizeStore<TCaptionLook> sizes;
    const QFont& font = Widget->font();
    return sizes.Find({font, QFontMetrics(font).fontDpi(), Text},
                      [&] { return Widget->fontMetrics().size(Qt::TextShowMnemonic, Text); });
}
