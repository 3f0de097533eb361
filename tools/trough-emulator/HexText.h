// The instrument writes its numbers as upper-case hexadecimal of fixed width.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

inline std::string Hex8(std::uint32_t V)
{
    char T[16];
    std::snprintf(T, sizeof T, "%08X", V);
    return T;
}

inline std::string Hex4(std::uint32_t V)
{
    char T[16];
    std::snprintf(T, sizeof T, "%04X", V);
    return T;
}
