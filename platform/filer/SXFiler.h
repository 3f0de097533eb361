// The filer: the object of the run-time filer module that writes a data set as a set
// file (.mps) and fills an empty data set from one. The program gets it once through
// the module's export "_GetSXFiler" and never releases it.
#pragma once

class ISXDataSet;

class ISXFiler {
public:
    // Why the last Save or Load failed; empty after a success.
    virtual const char* GetLastError() = 0;
    // Writes the set under FileName; Flags is 0. The previous file of that name stays
    // whole until the new one is complete. False, with a reason, when nothing was written.
    virtual bool Save(const char* FileName, ISXDataSet* DataSet, int Flags) = 0;
    // Fills an empty set from the file; the program passes 0 and 1. A missing, damaged or
    // foreign file leaves the set empty and gives false with a reason.
    virtual bool Load(const char* FileName, ISXDataSet* DataSet, int Flags, int Mode) = 0;
    // Fills an empty set with the file's properties only, its tables left on the disk.
    virtual bool LoadProperties(const char* FileName, ISXDataSet* DataSet) = 0;
    // Writes the set's properties into the existing file (a property of the same name is
    // replaced, the others kept, new ones added) without touching its tables' bytes; the
    // file is replaced whole as by Save. A damaged file is refused and left alone.
    virtual bool SaveProperties(const char* FileName, ISXDataSet* DataSet) = 0;

protected:
    ~ISXFiler() = default;
};

// The module's export.
using TGetSXFiler = ISXFiler* (*)();
constexpr const char* GetSXFilerExportName = "_GetSXFiler";
