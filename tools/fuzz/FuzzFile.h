// Readers that take a file name get the fuzz input through a file of their own, in
// memory-backed storage where there is one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

inline std::string FuzzFile(const char* Name, const std::uint8_t* Data, std::size_t Size)
{
    const std::string Folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/";
    const std::string Path = Folder + Name + "." + std::to_string(getpid());
    if (std::FILE* File = std::fopen(Path.c_str(), "wb")) {
        if (Size > 0) std::fwrite(Data, 1, Size, File);
        std::fclose(File);
    }
    return Path;
}
