// TOpenDialog and TSaveDialog: the file dialogs as components that keep their file name,
// filter list, chosen filter and default extension from one use to the next. The open
// dialog offers existing files only; the save dialog asks before it overwrites one.
#pragma once
#include <string>
#include "platform/base/Types.h"

class TFileDialog : public TObject {
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

protected:
    explicit TFileDialog(bool Save) : FSave(Save) {}

private:
    bool FSave;
};

class TOpenDialog : public TFileDialog {
public:
    TOpenDialog() : TFileDialog(false) {}
};

class TSaveDialog : public TFileDialog {
public:
    TSaveDialog() : TFileDialog(true) {}
};
