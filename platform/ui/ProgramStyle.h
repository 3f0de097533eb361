// The look every window of the program is drawn with: the platform's style, with its
// standard icons read from their files only when first drawn.
#pragma once

class QStyle;

// A new style over the platform's default one, for QApplication::setStyle. Reading the
// first image file loads and asks every image-format plugin of the system, which the
// overflow buttons of the menu bar and the tool bar did at start-up for icons that
// show only when a bar is too narrow. Every icon draws as the default style's own.
QStyle* NewProgramStyle();
