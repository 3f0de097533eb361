// The filer module: hands out the one filer object through "_GetSXFiler".
#include <string>
#include "platform/filer/MpsFormat.h"
#include "platform/filer/SXFiler.h"
#include "platform/tabrix/SXDataSet.h"

namespace {

class TSXFiler final : public ISXFiler {
public:
    const char* GetLastError() override { return FLastError.c_str(); }

    bool Save(const char* FileName, ISXDataSet* DataSet, int /*Flags*/) override
    {
        TSXDataSet* Set = Check(FileName, DataSet);
        return Set && Mps::SaveSetFile(FileName, *Set, FLastError);
    }

    bool Load(const char* FileName, ISXDataSet* DataSet, int /*Flags*/, int /*Mode*/) override
    {
        TSXDataSet* Set = Check(FileName, DataSet);
        return Set && Mps::LoadSetFile(FileName, *Set, FLastError);
    }

private:
    TSXDataSet* Check(const char* FileName, ISXDataSet* DataSet)
    {
        auto* Set = dynamic_cast<TSXDataSet*>(DataSet);
        if (!FileName || !*FileName)
            FLastError = "no file name";
        else if (!Set)
            FLastError = "no data set";
        else
            return Set;
        return nullptr;
    }

    // One filer object serves every thread: a save on a worker thread must not mix its
    // reason with a load on the window thread.
    static thread_local std::string FLastError;
};

thread_local std::string TSXFiler::FLastError;

}  // namespace

extern "C" __attribute__((visibility("default"))) ISXFiler* _GetSXFiler()
{
    static TSXFiler Filer;
    return &Filer;
}
