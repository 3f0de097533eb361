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
// Removes the temporary files an interrupted write left in Folder; the count removed.
int RemoveStaleTemporaryFiles(const std::string& Folder);
