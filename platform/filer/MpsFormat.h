// Reading and writing of set files (.mps). The byte layout is documented in MpsFormat.cpp.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class TSXDataSet;

namespace Mps {

// Writes the set through a temporary file in the target's folder, flushed to disk and
// then renamed over the target, so a failure at any point leaves the previous file as
// it was. False with a reason when the new file could not be completed.
bool SaveSetFile(const std::string& FileName, TSXDataSet& Set, std::string& Error);

// Fills an empty set from the file. The whole file is checked before the set is
// touched: on any fault the set stays empty and Error says what was wrong. A file whose
// header claims more than the file holds, or more memory than the computer has (a sparse
// file can claim any size), is refused before anything is allocated for the claim; no
// exception leaves the reader.
bool LoadSetFile(const std::string& FileName, TSXDataSet& Set, std::string& Error);

// LoadSetFile's part after the open: fills an empty set from an open file taken to hold
// Size bytes, its size when it was opened. Bytes no longer there when they are read are
// a fault like any other. The reason names no file.
bool ReadSetFile(int Handle, std::size_t Size, TSXDataSet& Set, std::string& Error);

// Fills an empty set with the file's properties only; its tables stay on the disk. The
// header and the properties are checked as by LoadSetFile (the checksum, which needs
// every byte, is not).
bool LoadSetProperties(const std::string& FileName, TSXDataSet& Set, std::string& Error);

// Writes the properties of Properties into the existing set file: one of the same name
// takes the new bytes in its place, the others stay as they are, new ones follow the
// last. The tables' bytes are copied as they are, without being read into a set, and the
// file is replaced whole as by SaveSetFile. A file whose checksum does not hold is left
// alone with a reason.
bool SaveSetProperties(const std::string& FileName, TSXDataSet& Properties, std::string& Error);

// The same check and fill from bytes in memory. Without the checksum test the parser's
// own length and count checks meet every damaged byte (used by the fuzz target).
bool DecodeSetImage(const std::uint8_t* Bytes, std::size_t Size, bool VerifyChecksum, TSXDataSet& Set,
                    std::string& Error);

// CRC-32C (Castagnoli polynomial, reflected) continued from Crc (0 to start).
std::uint32_t Crc32(std::uint32_t Crc, const void* Bytes, std::size_t Size);

}  // namespace Mps
