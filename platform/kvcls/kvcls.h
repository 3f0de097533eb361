// Support services used by zel and hwzel: run-time library holder, folder scan,
// lock, number parsing and program version.
#pragma once
#include <mutex>
#include "platform/kvcls/ConvertError.h"
#include <stdexcept>
#include <string>
#include <vector>

using HMODULE = void*;

// Holds one library loaded at run time. A bare file name is looked up in the program
// folder first, then along the system's search path.
class TCustomDLL {
public:
    TCustomDLL() = default;
    ~TCustomDLL();
    TCustomDLL(const TCustomDLL&) = delete;
    TCustomDLL& operator=(const TCustomDLL&) = delete;

    // Keeps the name and loads that library at once; an empty name loads nothing.
    void SetFileName(const std::string& Name);
    bool GetLoaded() const { return Handle != nullptr; }
    // Why the last load failed (empty after a success).
    const std::string& LoadError() const { return FLoadError; }

    std::string FileName;
    HMODULE Handle = nullptr;

private:
    void Unload();
    std::string FLoadError;
};

// Address of an exported symbol, or null.
void* GetProcAddress(HMODULE Module, const char* Name);

// The folder of the running program file, with a trailing "/".
std::string GetProgramFolder();

// Files of one folder that match a mask ("*.lng").
class TFolderFiles {
public:
    std::string Folder;
    std::string Mask = "*";
    std::vector<std::string> Files;  // full paths, sorted by name

    // Fills Files; SubFolder is appended to Folder when not empty.
    void Scan(const std::string& SubFolder);
};

// A lock; TResGuard::TGuard takes it for one scope.
class TResGuard {
public:
    class TGuard {
    public:
        explicit TGuard(TResGuard& Guard) : FLock(Guard.FMutex) {}

    private:
        std::lock_guard<std::mutex> FLock;
    };
    void Lock() { FMutex.lock(); }
    void Unlock() { FMutex.unlock(); }

private:
    std::mutex FMutex;
};

// The decimal number in the text, with "." or "," as decimal separator; leading and
// trailing blanks are allowed. Anything else raises EConvertError. (StrToFloat with
// dsPointOrComma, under the name the system's modules call.)
double ConvertString2Float(const std::string& Text);

// The version embedded in a program file (see ZEL_VERSION_TAG) as "major.minor.release.build";
// empty when the file carries none.
std::string GetProgramVersion(const std::string& FileName);

// Marks a binary with its version so that GetProgramVersion can read it back from the file.
#define ZEL_VERSION_TAG(version) __attribute__((used)) static const char ZelVersionTag[] = "\0ZEL-VERSION=" version "\0"
