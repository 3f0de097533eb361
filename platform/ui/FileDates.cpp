#include "platform/ui/FileDates.h"
#include <QDateTime>
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
    const QDateTime Now = QDateTime::currentDateTime();
    const QDate Date = Now.date();
    const QTime Time = Now.time();
    return {Date.year(), Date.month(), Date.day(), Time.hour(), Time.minute(), Time.second(), Time.msec()};
}
