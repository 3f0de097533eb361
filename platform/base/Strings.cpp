#include "platform/base/Strings.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

bool SameText(const std::string& A, const std::string& B)
{
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::string UpperCase(const std::string& Text)
{
    std::string result = Text;
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

std::string LowerCase(const std::string& Text)
{
    std::string result = Text;
    for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::string Trim(const std::string& Text)
{
    size_t first = 0;
    while (first < Text.size() && static_cast<unsigned char>(Text[first]) <= ' ') ++first;
    size_t last = Text.size();
    while (last > first && static_cast<unsigned char>(Text[last - 1]) <= ' ') --last;
    return Text.substr(first, last - first);
}

int TStringList::Add(const std::string& Line)
{
    FLines.push_back(Line);
    return Count() - 1;
}

void TStringList::Insert(int Index, const std::string& Line)
{
    Index = std::clamp(Index, 0, Count());
    FLines.insert(FLines.begin() + Index, Line);
}

void TStringList::Delete(int Index)
{
    if (Index >= 0 && Index < Count()) FLines.erase(FLines.begin() + Index);
}

int TStringList::IndexOf(const std::string& Line) const
{
    for (int i = 0; i < Count(); ++i)
        if (CaseSensitive ? FLines[static_cast<size_t>(i)] == Line : SameText(FLines[static_cast<size_t>(i)], Line))
            return i;
    return -1;
}

std::string TStringList::Names(int Index) const
{
    const std::string& line = (*this)[Index];
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string TStringList::ValueFromIndex(int Index) const
{
    const std::string& line = (*this)[Index];
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

int TStringList::IndexOfName(const std::string& Name) const
{
    for (int i = 0; i < Count(); ++i) {
        const size_t eq = FLines[static_cast<size_t>(i)].find('=');
        if (eq == std::string::npos) continue;
        const std::string name = FLines[static_cast<size_t>(i)].substr(0, eq);
        if (CaseSensitive ? name == Name : SameText(name, Name)) return i;
    }
    return -1;
}

std::string TStringList::Values(const std::string& Name) const
{
    const int i = IndexOfName(Name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValue(const std::string& Name, const std::string& Value)
{
    const int i = IndexOfName(Name);
    if (i >= 0)
        FLines[static_cast<size_t>(i)] = Name + "=" + Value;
    else
        Add(Name + "=" + Value);
}

std::string TStringList::Text() const
{
    std::string text;
    for (const std::string& line : FLines) text += line + "\n";
    return text;
}

void TStringList::SetText(const std::string& Text)
{
    FLines.clear();
    std::string line;
    for (size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c == '\r' || c == '\n') {
            FLines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) FLines.push_back(line);
}

bool TStringList::LoadFromFile(const std::string& FileName)
{
    std::ifstream in(FileName, std::ios::binary);
    if (!in) return false;
    std::stringstream buffer;
    buffer << in.rdbuf();
    SetText(buffer.str());
    return true;
}

bool TStringList::SaveToFile(const std::string& FileName) const { return WriteFileAtomically(FileName, Text()); }

bool WriteFileAtomically(const std::string& FileName, const std::string& Contents, std::string* Error)
{
    auto fail = [&](const std::string& What, int Code) {
        if (Error) *Error = What + ": " + std::strerror(Code);
        return false;
    };
    const size_t slash = FileName.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : FileName.substr(0, slash + 1);
    std::string temporary = TemporaryFileTemplate(FileName);
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return fail("cannot create a temporary file beside " + FileName, errno);
    // Every byte must reach the disk before the new file takes the old one's place: a
    // short write (a full disk, a size limit) leaves the old file as it was.
    size_t done = 0;
    while (done < Contents.size()) {
        const ssize_t n = ::write(fd, Contents.data() + done, Contents.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : ENOSPC;
            ::close(fd);
            ::unlink(temporary.c_str());
            return fail("cannot write " + FileName, code);
        }
        done += static_cast<size_t>(n);
    }
    // The handle is closed whether or not the flush worked.
    const int synced = ::fsync(fd) == 0 ? 0 : errno;
    const int closed = ::close(fd) == 0 ? 0 : errno;
    if (synced != 0 || closed != 0) {
        ::unlink(temporary.c_str());
        return fail("cannot write " + FileName, synced != 0 ? synced : closed);
    }
    // Keep the old file's permissions where there is one; a new file gets the usual ones.
    struct stat info {};
    if (::stat(FileName.c_str(), &info) == 0)
        ::chmod(temporary.c_str(), info.st_mode & 07777);
    else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(temporary.c_str(), 0666 & ~mask);
    }
    if (::rename(temporary.c_str(), FileName.c_str()) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        return fail("cannot replace " + FileName, code);
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

namespace {
constexpr char TemporaryMark[] = ".zeltmp-";
constexpr std::size_t TemporarySuffix = 6;  // the characters mkstemp fills in
}  // namespace

std::string TemporaryFileTemplate(const std::string& FileName) { return FileName + TemporaryMark + "XXXXXX"; }

int RemoveStaleTemporaryFiles(const std::string& Folder)
{
    DIR* dir = ::opendir(Folder.empty() ? "." : Folder.c_str());
    if (!dir) return 0;
    const std::string mark = TemporaryMark;
    const std::string prefix = Folder.empty() || Folder.back() == '/' ? Folder : Folder + "/";
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() < mark.size() + TemporarySuffix) continue;
        if (name.compare(name.size() - TemporarySuffix - mark.size(), mark.size(), mark) != 0) continue;
        const std::string path = prefix + name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::unlink(path.c_str()) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}
