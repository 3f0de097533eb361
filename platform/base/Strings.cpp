#include "platform/base/Strings.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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
    TReplacementFile file(FileName);
    if (file.Handle() < 0) return fail("cannot create a temporary file beside " + FileName, errno);
    // Every byte must reach the disk before the new file takes the old one's place: a
    // short write (a full disk, a size limit) leaves the old file as it was.
    size_t done = 0;
    while (done < Contents.size()) {
        const ssize_t n = ::write(file.Handle(), Contents.data() + done, Contents.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail("cannot write " + FileName, n < 0 ? errno : ENOSPC);
        done += static_cast<size_t>(n);
    }
    std::string step;
    int code = 0;
    if (!file.Replace(step, code))
        return fail((step == "replace" ? "cannot replace " : "cannot write ") + FileName, code);
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
        // Its writer holds the lock until the file has replaced its target, and the system
        // lets go of it when the writer ends however it ends: a file whose lock can be
        // taken has no writer any more. The name is checked to be still that file's before
        // it goes. Where the file system has no locks, nothing is removed.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat held, named;
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::lstat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino &&
            ::unlink(path.c_str()) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

TReplacementFile::TReplacementFile(const std::string& FileName) : FTarget(FileName)
{
    // A remover that took the lock of a name just made is about to remove it: that name
    // is given up for another.
    for (int attempt = 0; attempt < 100; ++attempt) {
        FPath = TemporaryFileTemplate(FileName);
        FHandle = ::mkostemp(FPath.data(), O_CLOEXEC);
        if (FHandle < 0) return;
        if (::flock(FHandle, LOCK_EX | LOCK_NB) != 0) {
            // A file system without locks keeps the file unlocked; removers leave it alone.
            if (errno != EWOULDBLOCK) break;
        } else {
            struct stat held, named;
            if (::fstat(FHandle, &held) == 0 && ::lstat(FPath.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
                held.st_ino == named.st_ino)
                break;
        }
        ::close(FHandle);
        FHandle = -1;
    }
    if (FHandle < 0) {
        errno = EEXIST;
        return;
    }
    FMade = true;
    FLock = ::fcntl(FHandle, F_DUPFD_CLOEXEC, 0);
}

TReplacementFile::~TReplacementFile()
{
    if (FHandle >= 0) ::close(FHandle);
    // Removed while still locked, so no remover sees it unlocked first.
    if (FMade && !FReplaced) ::unlink(FPath.c_str());
    if (FLock >= 0) ::close(FLock);
}

bool TReplacementFile::Replace(std::string& FailedStep, int& Error)
{
    auto fail = [&](const char* Step, int Code) {
        FailedStep = Step;
        Error = Code;
        return false;
    };
    if (FHandle < 0) return fail("replace", EBADF);
    if (::fsync(FHandle) != 0) return fail("flush", errno);
    // Closed here, so a failure to close is seen before the file takes the target's
    // place; the second handle keeps the lock until then.
    const int handle = FHandle;
    FHandle = -1;
    if (::close(handle) != 0) return fail("close", errno);
    struct stat info {};
    mode_t mode = 0;
    if (::stat(FTarget.c_str(), &info) == 0) {
        mode = info.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::chmod(FPath.c_str(), mode);
    if (::rename(FPath.c_str(), FTarget.c_str()) != 0) return fail("replace", errno);
    FReplaced = true;
    if (FLock >= 0) ::close(FLock);
    FLock = -1;
    // The rename itself reaches the disk with the folder.
    const size_t slash = FTarget.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : FTarget.substr(0, slash + 1);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}
