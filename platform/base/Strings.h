// TStringList: an ordered list of text lines, also read as "name=value" pairs.
#pragma once
#include <string>
#include <vector>

class TStringList {
public:
    bool CaseSensitive = false;  // for names and IndexOf

    int Count() const { return static_cast<int>(FLines.size()); }
    const std::string& operator[](int Index) const { return FLines.at(static_cast<size_t>(Index)); }
    std::string& operator[](int Index) { return FLines.at(static_cast<size_t>(Index)); }
    const std::vector<std::string>& Lines() const { return FLines; }

    int Add(const std::string& Line);
    void Insert(int Index, const std::string& Line);
    void Delete(int Index);
    void Clear() { FLines.clear(); }
    int IndexOf(const std::string& Line) const;

    // The part before the first "=" of a line, and the value of the first line whose
    // name matches.
    std::string Names(int Index) const;
    std::string ValueFromIndex(int Index) const;
    int IndexOfName(const std::string& Name) const;
    std::string Values(const std::string& Name) const;
    void SetValue(const std::string& Name, const std::string& Value);

    // Lines joined with "\n" (each line ended); setting splits on LF, CR LF or CR.
    std::string Text() const;
    void SetText(const std::string& Text);

    bool LoadFromFile(const std::string& FileName);
    bool SaveToFile(const std::string& FileName) const;

private:
    std::vector<std::string> FLines;
};

// Case-insensitive comparison of ASCII texts.
bool SameText(const std::string& A, const std::string& B);
std::string UpperCase(const std::string& Text);
std::string LowerCase(const std::string& Text);
std::string Trim(const std::string& Text);

// Writes the file through a temporary file in the same folder and a rename, so a crash
// or a full disk leaves either the old or the new file, never a broken one.
bool WriteFileAtomically(const std::string& FileName, const std::string& Contents, std::string* Error = nullptr);

// The mkstemp template of the temporary file that replaces FileName. Every writer of the
// program names its temporary files this way, so those left by a crash can be found.
std::string TemporaryFileTemplate(const std::string& FileName);
// Removes the temporary files an interrupted write left in Folder; the count removed. A
// temporary file that a writer still holds (this program or another one sharing the
// folder) is left alone: its writer keeps it locked until it has taken the target's place.
int RemoveStaleTemporaryFiles(const std::string& Folder);

// The temporary file a new version of FileName is written to, beside it, named by
// TemporaryFileTemplate. It stays locked while this object lives, so no remover of stale
// temporary files takes it from under the writer; it is removed when the object goes
// unless Replace moved it over the target.
class TReplacementFile {
public:
    explicit TReplacementFile(const std::string& FileName);
    ~TReplacementFile();
    TReplacementFile(const TReplacementFile&) = delete;
    TReplacementFile& operator=(const TReplacementFile&) = delete;

    // The open file to write to; -1 when it could not be created (errno says why).
    int Handle() const { return FHandle; }
    const std::string& Path() const { return FPath; }
    // Flushes the file to the disk, gives it the target's permissions (or the usual ones
    // for a new file) and renames it over the target, then flushes the folder. On failure
    // the target is as it was: false, with the failed step ("flush", "close" or
    // "replace") and its errno.
    bool Replace(std::string& FailedStep, int& Error);

private:
    std::string FTarget;
    std::string FPath;
    int FHandle = -1;
    int FLock = -1;  // a second handle of the file that holds the lock until the rename
    bool FMade = false;
    bool FReplaced = false;
};
