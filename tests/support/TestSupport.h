// Helpers shared by the test programs.
#pragma once
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

// The folder that holds the program's built binaries (zel, hwzel.so, ...).
std::string ProgramDir();
// The source tree's root (for fixtures).
std::string SourceDir();
