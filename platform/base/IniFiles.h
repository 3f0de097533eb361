// TIniFile: a settings file in INI form with the platform's profile semantics.
// Every read looks at the file as it is now and every write reaches the file at once,
// because several objects of the program hold the same file open on their own. A file
// that exists but cannot be read is never written over: it is reported once, and for
// the rest of the run its keys are the program's defaults and what it wrote in memory.
#pragma once
#include <optional>
#include <string>
#include <vector>

class TIniFile {
public:
    explicit TIniFile(std::string FileName);
    virtual ~TIniFile() = default;

    const std::string& FileName() const { return FFileName; }

    std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) const;
    void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value);

    // Decimal, or hexadecimal with "$" or "0x"; a value that does not parse gives Default.
    int ReadInteger(const std::string& Section, const std::string& Ident, int Default) const;
    // As ReadInteger, and Default also for a value outside [Min, Max].
    int ReadIntegerInRange(const std::string& Section, const std::string& Ident, int Default, int Min, int Max) const;
    void WriteInteger(const std::string& Section, const std::string& Ident, int Value);

    // "." or "," as decimal separator; written with 15 significant digits and ".".
    double ReadFloat(const std::string& Section, const std::string& Ident, double Default) const;
    void WriteFloat(const std::string& Section, const std::string& Ident, double Value);

    // Stored as "1"/"0"; any integer other than 0 reads as true.
    bool ReadBool(const std::string& Section, const std::string& Ident, bool Default) const;
    void WriteBool(const std::string& Section, const std::string& Ident, bool Value);

    bool SectionExists(const std::string& Section) const;
    bool ValueExists(const std::string& Section, const std::string& Ident) const;
    std::vector<std::string> ReadSection(const std::string& Section) const;        // key names in file order
    std::vector<std::string> ReadSections() const;                                 // section names in file order
    std::vector<std::string> ReadSectionValues(const std::string& Section) const;  // "key=value" lines
    void EraseSection(const std::string& Section);
    void DeleteKey(const std::string& Section, const std::string& Ident);

private:
    std::string FFileName;
};

// Parse a stored value: a float with "." or ",", an integer in decimal or "$"/"0x" hex;
// nullopt when the text is not one such number.
std::optional<double> ParseIniFloat(const std::string& Text);
std::optional<int> ParseIniInteger(const std::string& Text);

// A settings file that cannot be written is told once per file and run through this; the
// window layer installs its message box when it is loaded. Without one (or off the GUI
// thread, as the reporter decides) the text goes to the error output.
using TSettingsFailureReporter = void (*)(const std::string& Text);
void SetSettingsFailureReporter(TSettingsFailureReporter Reporter);
