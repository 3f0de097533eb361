// Frames of small tool windows: a sizeable frame with a narrow title bar, kept off the
// task bar, as monitor and palette windows have.
#pragma once

class TForm;

// Gives the form a sizeable tool-window frame; call before the form is first shown.
void SetSizeableToolWindow(TForm* Form);
