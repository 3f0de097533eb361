// The room a label's text needs, measured once per process for every label that shows the
// same text in the same way: windows repeat a few captions ("0.0", "Mode") many times, and
// each measure lays the text out anew.
#pragma once

#include <QSize>

class QLabel;

// What Label->sizeHint() gives for a label showing text (no picture), from a store of sizes
// kept per font, screen resolution, text and every setting of the label that decides it.
QSize LabelTextSize(const QLabel* Label);
