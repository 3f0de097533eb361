#include "platform/base/IniFiles.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <ctime>
#include <unistd.h>
#include <unordered_set>

#include "platform/base/FloatFormat.h"
#include "platform/base/Strings.h"

namespace {

// One lock for every settings file of the process: a write is a read-modify-write of
// the whole file and must not interleave with another object's write.
std::recursive_mutex& FileLock()
{
    static std::recursive_mutex lock;
    return lock;
}

std::atomic<TSettingsFailureReporter>& Reporter()
{
    static std::atomic<TSettingsFailureReporter> reporter{nullptr};
    return reporter;
}

struct TIniText {
    std::vector<std::string> Lines;
    bool CrLf = false;
};

// Settings files that exist but could not be read, with what the program wrote to them
// since. Such a file is never written over, since its keys are unknown; the program
// works on with its defaults and its own changes, held here for the rest of the run.
std::map<std::string, TIniText>& UnreadableFiles()
{
    static std::map<std::string, TIniText> files;
    return files;
}

// Tells the operator once per file and run, through the reporter the window layer
// installs (a box on the window thread), else on the error stream.
void ReportOnce(const std::string& FileName, const std::string& Text)
{
    static std::set<std::string> reported;
    if (!reported.insert(FileName).second) return;
    if (TSettingsFailureReporter reporter = Reporter().load())
        reporter(Text);
    else
        std::fprintf(stderr, "%s\n", Text.c_str());
}

// The whole file; nullopt with the reason when it exists and cannot be read. A missing
// file reads as empty.
std::optional<std::string> ReadWholeFile(const std::string& FileName, std::string& Reason)
{
    struct stat info {};
    if (::stat(FileName.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::string();
        Reason = std::strerror(errno);
        return std::nullopt;
    }
    if (S_ISDIR(info.st_mode)) {
        Reason = "it is a folder";
        return std::nullopt;
    }
    const int fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Reason = std::strerror(errno);
        return std::nullopt;
    }
    std::string all;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            all.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            Reason = std::strerror(errno);
            ::close(fd);
            return std::nullopt;
        }
        break;
    }
    ::close(fd);
    return all;
}

// A file's text as last parsed, with what identifies that version of it on disk.
struct TParsedFile {
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    timespec Modified{};
    TIniText Text;
};

// Parsed files by name. A read parses a file again only when it is another file or was
// changed since (an atomic write replaces the file, so a new inode, size or time), so
// the many keys read at start-up cost one parse, and what another object or program
// wrote is still seen at once.
std::map<std::string, TParsedFile>& ParsedFiles()
{
    static std::map<std::string, TParsedFile> files;
    return files;
}

bool SameVersion(const TParsedFile& Parsed, const struct stat& Info)
{
    return Parsed.Device == Info.st_dev && Parsed.Inode == Info.st_ino && Parsed.Size == Info.st_size &&
           Parsed.Modified.tv_sec == Info.st_mtim.tv_sec && Parsed.Modified.tv_nsec == Info.st_mtim.tv_nsec;
}

bool RecentlyChanged(const struct stat& Info)
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const long long step = 50'000'000;  // nanoseconds, well above the coarse clock's tick
    const long long modified = static_cast<long long>(Info.st_mtim.tv_sec) * 1'000'000'000LL + Info.st_mtim.tv_nsec;
    const long long current = static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
    return current - modified < step;
}

// Sets Unreadable when the file exists and cannot be read: its text is then what the
// program has written to it in memory. The text stays valid until the next call for
// any file; the caller holds FileLock().
const TIniText& LoadLines(const std::string& FileName, bool* Unreadable = nullptr)
{
    if (Unreadable) *Unreadable = false;
    auto& unreadable = UnreadableFiles();
    if (auto kept = unreadable.find(FileName); kept != unreadable.end()) {
        if (Unreadable) *Unreadable = true;
        return kept->second;
    }
    auto& parsed = ParsedFiles();
    struct stat before {};
    const bool known = ::stat(FileName.c_str(), &before) == 0 && S_ISREG(before.st_mode);
    if (known)
        if (auto cached = parsed.find(FileName); cached != parsed.end() && SameVersion(cached->second, before))
            return cached->second.Text;
    parsed.erase(FileName);
    std::string reason;
    const std::optional<std::string> all = ReadWholeFile(FileName, reason);
    if (!all) {
        unreadable[FileName] = TIniText{};
        if (Unreadable) *Unreadable = true;
        ReportOnce(FileName, "Unable to read " + FileName + " (" + reason +
                                 "). The file is left as it is; default settings are used and changes are not saved.");
        return unreadable[FileName];
    }
    TIniText text;
    text.CrLf = all->find("\r\n") != std::string::npos;
    TStringList list;
    list.SetText(*all);
    text.Lines = list.Lines();
    // Kept only when the file is still the version that was stat'ed before reading, and
    // when its time is older than the file system's clock step: a file changed again in
    // the same step could keep size and time, so a fresh one is read again next time.
    struct stat after {};
    if (!known || RecentlyChanged(before) || ::stat(FileName.c_str(), &after) != 0 ||
        !SameVersion(TParsedFile{before.st_dev, before.st_ino, before.st_size, before.st_mtim, {}}, after)) {
        static TIniText uncached;
        uncached = std::move(text);
        return uncached;
    }
    TParsedFile& entry = parsed[FileName];
    entry = TParsedFile{before.st_dev, before.st_ino, before.st_size, before.st_mtim, std::move(text)};
    return entry.Text;
}

// A settings file that cannot be written is told to the operator once per file and run:
// every later key would fail the same way, and one box says all there is to say.
void ReportWriteFailure(const std::string& FileName, const std::string& Reason)
{
    ReportOnce(FileName, "Unable to write to " + FileName + " (" + Reason + ")");
}

}  // namespace

void SetSettingsFailureReporter(TSettingsFailureReporter Reporter) { ::Reporter().store(Reporter); }

namespace {

bool SaveLines(const std::string& FileName, const TIniText& Text)
{
    auto& unreadable = UnreadableFiles();
    if (auto kept = unreadable.find(FileName); kept != unreadable.end()) {
        kept->second = Text;
        return false;
    }
    const char* eol = Text.CrLf ? "\r\n" : "\n";
    std::string all;
    for (const std::string& line : Text.Lines) all += line + eol;
    std::string error;
    if (WriteFileAtomically(FileName, all, &error)) return true;
    ReportWriteFailure(FileName, error);
    return false;
}

// The section name when the line is a section header.
bool SectionHeader(const std::string& Line, std::string& Name)
{
    const std::string t = Trim(Line);
    if (t.size() < 2 || t.front() != '[') return false;
    const size_t close = t.find(']');
    if (close == std::string::npos) return false;
    Name = Trim(t.substr(1, close - 1));
    return true;
}

bool KeyLine(const std::string& Line, std::string& Key, std::string& Value)
{
    const std::string t = Trim(Line);
    if (t.empty() || t.front() == ';' || t.front() == '[') return false;
    const size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    Key = Trim(t.substr(0, eq));
    Value = Trim(t.substr(eq + 1));
    return !Key.empty();
}

// Line range [First, Last) of the section's body; First is -1 when it does not exist.
struct TSectionRange {
    int Header = -1;
    int First = -1;
    int Last = -1;
};

TSectionRange FindSection(const TIniText& Text, const std::string& Section)
{
    TSectionRange range;
    const int count = static_cast<int>(Text.Lines.size());
    for (int i = 0; i < count; ++i) {
        std::string name;
        if (!SectionHeader(Text.Lines[static_cast<size_t>(i)], name)) continue;
        if (range.First >= 0) {
            range.Last = i;
            return range;
        }
        if (SameText(name, Section)) {
            range.Header = i;
            range.First = i + 1;
        }
    }
    if (range.First >= 0) range.Last = count;
    return range;
}

int FindKey(const TIniText& Text, const TSectionRange& Range, const std::string& Ident, std::string* Value)
{
    if (Range.First < 0) return -1;
    for (int i = Range.First; i < Range.Last; ++i) {
        std::string key, value;
        if (KeyLine(Text.Lines[static_cast<size_t>(i)], key, value) && SameText(key, Ident)) {
            if (Value) *Value = value;
            return i;
        }
    }
    return -1;
}

std::optional<std::string> ReadValue(const std::string& FileName, const std::string& Section, const std::string& Ident)
{
    std::lock_guard<std::recursive_mutex> lock(FileLock());
    const TIniText& text = LoadLines(FileName);
    std::string value;
    if (FindKey(text, FindSection(text, Section), Ident, &value) < 0) return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> ParseIniFloat(const std::string& Text)
{
    double value = 0;
    if (!TryStrToFloat(Text, value, dsPointOrComma)) return std::nullopt;
    return value;
}

std::optional<int> ParseIniInteger(const std::string& Text)
{
    const std::string t = Trim(Text);
    if (t.empty()) return std::nullopt;
    size_t pos = 0;
    bool negative = false;
    if (t[pos] == '-' || t[pos] == '+') negative = t[pos++] == '-';
    int base = 10;
    if (pos < t.size() && t[pos] == '$') {
        base = 16;
        ++pos;
    } else if (pos + 1 < t.size() && t[pos] == '0' && (t[pos + 1] == 'x' || t[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= t.size()) return std::nullopt;
    // The digits are read without a sign of their own: one sign is all a value has.
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(t.data() + pos, t.data() + t.size(), magnitude, base);
    if (error != std::errc() || end != t.data() + t.size()) return std::nullopt;
    // Hexadecimal values name a 32-bit pattern; decimal ones must fit the range.
    if (!negative) {
        if (base == 16 && magnitude <= 0xFFFFFFFFULL) return static_cast<int>(static_cast<std::uint32_t>(magnitude));
        if (magnitude > static_cast<std::uint64_t>(INT32_MAX)) return std::nullopt;
        return static_cast<int>(magnitude);
    }
    if (magnitude > static_cast<std::uint64_t>(INT32_MAX) + 1) return std::nullopt;
    return static_cast<int>(-static_cast<std::int64_t>(magnitude));
}

TIniFile::TIniFile(std::string FileName) : FFileName(std::move(FileName)) {}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) const
{
    return ReadValue(FFileName, Section, Ident).value_or(Default);
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value)
{
    std::lock_guard<std::recursive_mutex> lock(FileLock());
    TIniText text = LoadLines(FFileName);
    const TSectionRange range = FindSection(text, Section);
    const int at = FindKey(text, range, Ident, nullptr);
    if (at >= 0) {
        std::string key, old;
        KeyLine(text.Lines[static_cast<size_t>(at)], key, old);
        text.Lines[static_cast<size_t>(at)] = key + "=" + Value;
    } else if (range.First >= 0) {
        // New keys go after the section's last key, before any blank lines that follow it.
        int insert = range.Last;
        while (insert > range.First && Trim(text.Lines[static_cast<size_t>(insert - 1)]).empty()) --insert;
        text.Lines.insert(text.Lines.begin() + insert, Ident + "=" + Value);
    } else {
        text.Lines.push_back("[" + Section + "]");
        text.Lines.push_back(Ident + "=" + Value);
    }
    SaveLines(FFileName, text);
}

int TIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int Default) const
{
    const auto value = ReadValue(FFileName, Section, Ident);
    if (!value) return Default;
    return ParseIniInteger(*value).value_or(Default);
}

int TIniFile::ReadIntegerInRange(const std::string& Section, const std::string& Ident, int Default, int Min,
                                 int Max) const
{
    const int value = ReadInteger(Section, Ident, Default);
    return value >= Min && value <= Max ? value : Default;
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int Value)
{
    WriteString(Section, Ident, std::to_string(Value));
}

double TIniFile::ReadFloat(const std::string& Section, const std::string& Ident, double Default) const
{
    const auto value = ReadValue(FFileName, Section, Ident);
    if (!value) return Default;
    return ParseIniFloat(*value).value_or(Default);
}

void TIniFile::WriteFloat(const std::string& Section, const std::string& Ident, double Value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, Value, std::chars_format::general, 15);
    WriteString(Section, Ident, std::string(buffer, result.ptr));
}

bool TIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) const
{
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value)
{
    WriteString(Section, Ident, Value ? "1" : "0");
}

bool TIniFile::SectionExists(const std::string& Section) const
{
    std::lock_guard<std::recursive_mutex> lock(FileLock());
    return FindSection(LoadLines(FFileName), Section).First >= 0;
}

bool TIniFile::ValueExists(const std::string& Section, const std::string& Ident) const
{
    return ReadValue(FFileName, Section, Ident).has_value();
}

std::vector<std::string> TIniFile::ReadSection(const std::string& Section) const
{
    std::vector<std::string> keys;
    for (const std::string& line : ReadSectionValues(Section)) keys.push_back(line.substr(0, line.find('=')));
    return keys;
}

std::vector<std::string> TIniFile::ReadSections() const
{
    std::lock_guard<std::recursive_mutex> lock(FileLock());
    std::vector<std::string> names;
    for (const std::string& line : LoadLines(FFileName).Lines) {
        std::string name;
        if (SectionHeader(line, name)) names.push_back(name);
    }
    return names;
}

std::vector<std::string> TIniFile::ReadSectionValues(const std::string& Section) const
{
    std::lock_guard<std::recursive_mutex> lock(FileLock());
    const TIniText& text = LoadLines(FFileName);
    const TSectionRange range = FindSection(text, Section);
    std::vector<std::string> values;
    if (range.First < 0) return values;
    std::unordered_set<std::string> seen;
    for (int i = range.First; i < range.Last; ++i) {
        std::string key, value;
        if (!KeyLine(text.Lines[static_cast<size_t>(i)], key, value)) continue;
        // The first of two equal keys is the one that is read.
        if (!seen.insert(UpperCase(key)).second) continue;
        values.push_back(key + "=" + value);
    }
    return values;
}

void TIniFile::EraseSection(const std::string& Section)
{
    std::lock_guard<std::recursive_mutex> lock(FileLock());
    TIniText text = LoadLines(FFileName);
    const TSectionRange range = FindSection(text, Section);
    if (range.Header < 0) return;
    text.Lines.erase(text.Lines.begin() + range.Header, text.Lines.begin() + range.Last);
    SaveLines(FFileName, text);
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident)
{
    std::lock_guard<std::recursive_mutex> lock(FileLock());
    TIniText text = LoadLines(FFileName);
    const int at = FindKey(text, FindSection(text, Section), Ident, nullptr);
    if (at < 0) return;
    text.Lines.erase(text.Lines.begin() + at);
    SaveLines(FFileName, text);
}
