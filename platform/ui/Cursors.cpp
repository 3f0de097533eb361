#include "platform/ui/Cursors.h"

#include <QCursor>
#include <QGuiApplication>
#include <QWidget>

namespace {
struct TCursorPair {
    TCursor Cursor;
    Qt::CursorShape Shape;
};
const TCursorPair CursorTable[] = {{crArrow, Qt::ArrowCursor},        {crCross, Qt::CrossCursor},
                                   {crIBeam, Qt::IBeamCursor},        {crHandPoint, Qt::PointingHandCursor},
                                   {crSizeNESW, Qt::SizeBDiagCursor}, {crSizeNS, Qt::SizeVerCursor},
                                   {crSizeNWSE, Qt::SizeFDiagCursor}, {crSizeWE, Qt::SizeHorCursor},
                                   {crSizeAll, Qt::SizeAllCursor}};
}  // namespace

void SetControlCursor(TControl* Control, TCursor Cursor)
{
    QWidget* widget = Control ? Control->Widget() : nullptr;
    if (!widget) return;
    for (const TCursorPair& pair : CursorTable)
        if (pair.Cursor == Cursor) {
            widget->setCursor(pair.Shape);
            return;
        }
    widget->unsetCursor();
}

TCursor GetControlCursor(const TControl* Control)
{
    const QWidget* widget = Control ? Control->Widget() : nullptr;
    if (!widget || !widget->testAttribute(Qt::WA_SetCursor)) return crDefault;
    for (const TCursorPair& pair : CursorTable)
        if (pair.Shape == widget->cursor().shape()) return pair.Cursor;
    return crDefault;
}

TWaitCursor::TWaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

TWaitCursor::~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }

bool WaitCursorShown()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor;
}
