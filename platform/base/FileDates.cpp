#include "platform/base/FileDates.h"
#include <sys/time.h>
#include <ctime>
#include <filesystem>
#include <system_error>

bool IsExistingFile(const std::string& FileName)
{
    std::error_code Error;
    return !FileName.empty() && std::filesystem::is_regular_file(FileName, Error);
}

bool IsExistingFolder(const std::string& Folder)
{
    std::error_code Error;
    return !Folder.empty() && std::filesystem::is_directory(Folder, Error);
}

bool ForceDirectories(const std::string& Folder)
{
    if (Folder.empty()) return false;
    std::error_code Error;
    std::filesystem::create_directories(Folder, Error);
    return IsExistingFolder(Folder);
}

std::string ExtractFilePath(const std::string& FileName)
{
    auto Slash = FileName.find_last_of('/');
    return Slash == std::string::npos ? std::string() : FileName.substr(0, Slash + 1);
}

TLocalDateTime LocalNow()
{
    timeval now{};
    gettimeofday(&now, nullptr);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    return {local.tm_year + 1900,
            local.tm_mon + 1,
            local.tm_mday,
            local.tm_hour,
            local.tm_min,
            local.tm_sec,
            static_cast<int>(now.tv_usec / 1000)};
}
