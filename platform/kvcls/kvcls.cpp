#include "platform/kvcls/kvcls.h"
#include "platform/base/FloatFormat.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>

std::string GetProgramFolder()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "./";
    std::string exe(path, static_cast<size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

TCustomDLL::~TCustomDLL() { Unload(); }

void TCustomDLL::Unload()
{
    if (Handle) dlclose(Handle);
    Handle = nullptr;
}

void TCustomDLL::SetFileName(const std::string& Name)
{
    Unload();
    FileName = Name;
    FLoadError.clear();
    if (Name.empty()) return;
    // A bare name is the program's own module first: a copy elsewhere on the search
    // path must not shadow it.
    if (Name.find('/') == std::string::npos) {
        const std::string local = GetProgramFolder() + Name;
        struct stat info {};
        if (stat(local.c_str(), &info) == 0) Handle = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!Handle) Handle = dlopen(Name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!Handle) {
        const char* error = dlerror();
        FLoadError = error ? error : "cannot load " + Name;
    }
}

void* GetProcAddress(HMODULE Module, const char* Name)
{
    if (!Module || !Name) return nullptr;
    return dlsym(Module, Name);
}

void TFolderFiles::Scan(const std::string& SubFolder)
{
    Files.clear();
    std::string folder = Folder;
    if (!SubFolder.empty()) {
        if (!folder.empty() && folder.back() != '/') folder += '/';
        folder += SubFolder;
    }
    if (!folder.empty() && folder.back() != '/') folder += '/';
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (fnmatch(Mask.c_str(), name.c_str(), FNM_CASEFOLD) != 0) continue;
        struct stat info {};
        const std::string path = folder + name;
        if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) Files.push_back(path);
    }
    closedir(dir);
    std::sort(Files.begin(), Files.end());
}

double ConvertString2Float(const std::string& Text) { return StrToFloat(Text, dsPointOrComma); }

std::string GetProgramVersion(const std::string& FileName)
{
    std::ifstream in(FileName, std::ios::binary);
    if (!in) return {};
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    static const std::string marker = std::string(1, '\0') + "ZEL-VERSION=";
    const size_t at = data.find(marker);
    if (at == std::string::npos) return {};
    const size_t begin = at + marker.size();
    const size_t end = data.find('\0', begin);
    if (end == std::string::npos || end - begin > 64) return {};
    return data.substr(begin, end - begin);
}
