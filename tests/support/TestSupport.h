// Helpers shared by the test programs.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>
#include "platform/ui/Dialogs.h"

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes. Path() ends with "/".
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::string& Path() const { return FPath; }
    std::string File(const std::string& Name) const { return FPath + Name; }

private:
    std::string FPath;
};

// Value in upper-case hex, padded with zeros to Digits digits.
std::string HexDigits(std::uint64_t Value, int Digits);
// A value as the link writes it on a command line: eight upper-case hex digits of its
// low 32 bits (a negative value as its two's complement).
std::string Hex8(std::int64_t Value);
// The two hex digits of the 8-bit sum of a packet's text, as both ends of the line frame it.
std::string SumDigits(const std::string& Text);
// A command line with one value: the word, a space and the value's eight hex digits.
std::string Valued(const std::string& Word, std::int64_t Value);

std::string ReadFileText(const std::string& Path);
void WriteFileText(const std::string& Path, const std::string& Text);
bool FileExists(const std::string& Path);

// Records every dialog raised while it lives and answers them from a queue of answers
// (or with Default when the queue is empty). OnShow, when set, runs while the "box" is
// open, before the answer is given: there the test may pump messages.
class TDialogRecorder {
public:
    TDialogRecorder();
    ~TDialogRecorder();
    TDialogRecorder(const TDialogRecorder&) = delete;
    TDialogRecorder& operator=(const TDialogRecorder&) = delete;

    std::vector<TDialogRequest> Requests;
    std::deque<TDialogAnswer> Answers;
    TDialogAnswer Default{IDOK, {}, 0};
    std::function<void(const TDialogRequest&)> OnShow;

    void Answer(int Result) { Answers.push_back(TDialogAnswer{Result, {}, 0}); }

private:
    TDialogInterceptor FPrevious;
};

// How long a test waits for a condition that must come. A machine with every core busy
// (and a sanitizer slowing each step) reaches it late but reaches it; a passing test
// never waits this out, so it costs nothing there.
constexpr unsigned ConditionWaitMs = 60000;

class QWidget;
// The operator's left click at (X, Y) of the widget, as the window system delivers it: press
// and release to the widget under the point, passed on to its parents while nobody keeps it.
void OperatorClick(QWidget* Widget, int X, int Y);
// The operator's key press (and release) on the widget, passed on to its parents likewise.
void OperatorKey(QWidget* Widget, int Key);

// The folder that holds the program's built binaries (zel, hwzel.so, ...).
std::string ProgramDir();
// The source tree's root (for fixtures).
std::string SourceDir();

class TForm;
// The frame a form's window gets from the window manager, in words, for comparing with a
// window's design: its kind ("window", "dialog", "tool", or "child" inside the main
// window's area), then "frameless" or "titled", "maximisable" when it has that button,
// "on top" when it stays above other windows and "fixed" when the operator cannot resize
// it; "docked" for a form docked in a page.
std::string WindowFrame(TForm* Form);

// Every text of a shown form that the operator cannot read whole: a control narrower than
// its text needs, a text running past the edge of a container around it, or a text under
// another control stacked above it (a control wholly covered by one above it is a stacked
// alternate, such as Stop under START, and counts as out of sight). One line per fault,
// naming the window, the control and its text.
std::vector<std::string> ClippedTexts(TForm* Form);
