// TSaveDialog: the save-file dialog as a component that keeps its file name, filter list,
// chosen filter and default extension from one save to the next.
#pragma once
#include <string>
#include "platform/ui/Types.h"

class TSaveDialog : public TObject {
public:
    std::string Title;
    // "Text (*.txt)|*.txt|Bitmap (*.bmp)|*.bmp": pairs of description and pattern.
    std::string Filter;
    int FilterIndex = 1;     // 1-based
    std::string DefaultExt;  // without the dot
    std::string FileName;
    std::string InitialDir;

    // Runs the dialog; true when the operator chose a file. The chosen filter is the one
    // whose pattern the chosen name's extension matches (otherwise it stays); a name
    // without an extension gets DefaultExt.
    bool Execute();

    // Raised when the chosen filter changes.
    TNotifyEvent OnTypeChange;

    // The 1-based filter whose pattern matches the extension of Name, or 0.
    int FilterOfName(const std::string& Name) const;
};
