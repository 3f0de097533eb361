#include "platform/ui/TextFit.h"

#include <QWidget>
#include <algorithm>
#include <map>
#include <vector>

#include "platform/ui/ComCtrls.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"

namespace {

constexpr int TextGap = 4;  // clear room between the end of a text and the next control
// The room a grown container keeps at its right edge: what its design left, within these.
constexpr int LeastEdgeRoom = 4, EdgeRoom = 8;

// A control placed by its own bounds, as it was before fitting and as it must become.
struct TPlaced {
    TControl* Control;
    int Left, Top, Width, Height;
    int Need;         // the width of its box once fitted
    int TextEnd = 0;  // for a text that flows from the left edge: where it ends
    bool Shown = false;
};

// The children of a container, the pages of a page control among them.
std::vector<TControl*> ChildrenOf(TWinControl* Parent)
{
    std::vector<TControl*> children;
    for (int i = 0; i < Parent->ControlCount(); ++i) children.push_back(Parent->Controls(i));
    if (auto* pages = dynamic_cast<TPageControl*>(Parent))
        for (int i = 0; i < pages->PageCount(); ++i)
            if (std::find(children.begin(), children.end(), pages->Pages(i)) == children.end())
                children.push_back(pages->Pages(i));
    return children;
}

// A page, or a control aligned to fill the width: its width is its parent's.
bool TakesParentsWidth(const TControl* Control)
{
    const TAlign align = Control->GetAlign();
    return dynamic_cast<const TTabSheet*>(Control) || align == alTop || align == alBottom || align == alClient;
}

int ClientWidthOf(TWinControl* Container)
{
    if (auto* sheet = dynamic_cast<TTabSheet*>(Container)) {
        // A page control lays out its pages only once it shows.
        TPageControl* pages = sheet->GetPageControl();
        if (!pages->Widget()->isVisible()) return std::max(0, pages->GetWidth() - pages->TabsExtent());
    }
    return Container->ClientWidth();
}

bool SameRows(const TPlaced& A, const TPlaced& B) { return A.Top < B.Top + B.Height && B.Top < A.Top + A.Height; }

// How far Right must move for Left's text, or Left's grown box, to clear it.
int Clearance(const TPlaced& Left, const TPlaced& Right)
{
    if (!Left.Shown || Right.Left <= Left.Left || !SameRows(Left, Right)) return 0;
    int end = 0;
    if (Left.TextEnd > 0) {
        end = Left.TextEnd + TextGap;
    } else if (Left.Need > Left.Width && Right.Left >= Left.Left + Left.Width) {
        // A grown box keeps the gap it had to its neighbour; a control laid over it stays.
        end = Right.Left + Left.Need - Left.Width;
    }
    return std::max(0, end - Right.Left);
}

}  // namespace

int FitToText(TWinControl* Parent)
{
    std::vector<TPlaced> placed;
    int fillWider = 0;  // how much wider the children that take Parent's width must become
    for (TControl* control : ChildrenOf(Parent)) {
        int wider = 0;
        auto* inner = dynamic_cast<TWinControl*>(control);
        if (inner && !dynamic_cast<TForm*>(inner)) wider = FitToText(inner);
        const TAlign align = control->GetAlign();
        if (TakesParentsWidth(control)) {
            if (control->GetVisible()) fillWider = std::max(fillWider, wider);
            continue;
        }
        if (align == alLeft || align == alRight) {
            if (wider > 0) control->SetWidth(control->GetWidth() + wider);
            if (control->GetVisible()) fillWider = std::max(fillWider, wider);
            continue;
        }
        TPlaced p{control,
                  control->GetLeft(),
                  control->GetTop(),
                  control->GetWidth(),
                  control->GetHeight(),
                  control->GetWidth() + wider};
        p.Shown = control->GetVisible();
        if (p.Shown) {
            const TControl::TTextNeed text = control->TextNeed();
            if (text.Flows && text.Width > 0) p.TextEnd = p.Left + text.Width;
            p.Need = std::max(p.Need, text.Width);
        }
        placed.push_back(p);
    }

    // Each column (the controls starting at one left edge) moves at least as far as the
    // column before it, and far enough to clear every text and grown box to its left.
    std::vector<int> lefts;
    for (const TPlaced& p : placed) lefts.push_back(p.Left);
    std::sort(lefts.begin(), lefts.end());
    lefts.erase(std::unique(lefts.begin(), lefts.end()), lefts.end());
    std::map<int, int> shift;
    int previous = 0;
    for (int x : lefts) {
        int moved = previous;
        for (const TPlaced& right : placed) {
            if (right.Left != x) continue;
            for (const TPlaced& left : placed)
                if (const int clear = Clearance(left, right); clear > 0)
                    moved = std::max(moved, shift[left.Left] + clear);
        }
        shift[x] = previous = moved;
    }

    int reachBefore = 0, reachAfter = 0;
    for (const TPlaced& p : placed) {
        const int left = p.Left + shift[p.Left];
        const int width = std::max(p.Width, p.Need);
        if (left != p.Left || width != p.Width) p.Control->SetBounds(left, p.Top, width, p.Height);
        if (!p.Shown) continue;
        // A caption may have grown over its neighbours already: its box says nothing of
        // the room the design left at the edge.
        if (p.TextEnd == 0) reachBefore = std::max(reachBefore, p.Left + p.Width);
        reachAfter = std::max(reachAfter, left + width);
    }
    int wider = fillWider;
    if (reachAfter > reachBefore) {
        const int client = ClientWidthOf(Parent);
        const int room = std::clamp(client - reachBefore, LeastEdgeRoom, EdgeRoom);
        wider = std::max(wider, reachAfter + room - client);
    }
    return std::max(0, wider);
}
