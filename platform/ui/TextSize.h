// The room texts need, measured once per process for every control that shows the same
// text in the same way: windows repeat a few captions ("0.0", "Mode", "Stop") many times,
// and each measure lays the text out anew.
#pragma once

#include <QSize>

class QLabel;
class QString;
class QWidget;

// What Label->sizeHint() gives for a label showing text (no picture), from a store of sizes
// kept per font, screen resolution, text and every setting of the label that decides it.
QSize LabelTextSize(const QLabel* Label);

// The size of a caption in the widget's font, an ampersand marking the letter after it (what
// the widget's font metrics give for it), from a store kept per font and text.
QSize CaptionSize(const QWidget* Widget, const QString& Text);
