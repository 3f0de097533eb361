// File-system and clock services for the program's data files: existence tests, folder
// creation, path parts and the local date and time.
#pragma once
#include <cstdint>
#include <string>

// True when a regular file (or a link to one) of that name exists.
bool IsExistingFile(const std::string& FileName);
bool IsExistingFolder(const std::string& Folder);
// Creates the folder with every missing parent; true when it exists afterwards.
bool ForceDirectories(const std::string& Folder);
// The folder part of a path with its trailing "/", or "" when there is none.
std::string ExtractFilePath(const std::string& FileName);

struct TLocalDateTime {
    int Year, Month, Day, Hour, Minute, Second, Millisecond;
};
// The present local date and time, taken once.
TLocalDateTime LocalNow();
