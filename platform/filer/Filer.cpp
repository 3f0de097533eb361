// The filer module: hands out the one filer object through "_GetSXFiler".
#include <exception>
#include <map>
#include <new>
#include <mutex>
#include <string>
#include <thread>
#include "platform/filer/MpsFormat.h"
#include "platform/filer/SXFiler.h"
#include "platform/tabrix/SXDataSet.h"

namespace {

class TSXFiler final : public ISXFiler {
public:
    const char* GetLastError() override { return LastError().c_str(); }

    bool Save(const char* FileName, ISXDataSet* DataSet, int /*Flags*/) override
    {
        return Run(FileName, DataSet, [&](TSXDataSet& Set) { return Mps::SaveSetFile(FileName, Set, LastError()); });
    }

    bool Load(const char* FileName, ISXDataSet* DataSet, int /*Flags*/, int /*Mode*/) override
    {
        return Run(FileName, DataSet, [&](TSXDataSet& Set) { return Mps::LoadSetFile(FileName, Set, LastError()); });
    }

    bool LoadProperties(const char* FileName, ISXDataSet* DataSet) override
    {
        return Run(FileName, DataSet,
                   [&](TSXDataSet& Set) { return Mps::LoadSetProperties(FileName, Set, LastError()); });
    }

    bool SaveProperties(const char* FileName, ISXDataSet* DataSet) override
    {
        return Run(FileName, DataSet,
                   [&](TSXDataSet& Set) { return Mps::SaveSetProperties(FileName, Set, LastError()); });
    }

private:
    // The program gets an answer and a reason from every call: nothing thrown on the way
    // crosses into it.
    template <typename TWork>
    bool Run(const char* FileName, ISXDataSet* DataSet, TWork&& Work)
    {
        try {
            TSXDataSet* Set = Check(FileName, DataSet);
            return Set && Work(*Set);
        } catch (const std::bad_alloc&) {
            LastError() = std::string(FileName ? FileName : "") + ": not enough memory";
        } catch (const std::exception& Failure) {
            LastError() = std::string(FileName ? FileName : "") + ": " + Failure.what();
        }
        return false;
    }

    TSXDataSet* Check(const char* FileName, ISXDataSet* DataSet)
    {
        auto* Set = dynamic_cast<TSXDataSet*>(DataSet);
        if (!FileName || !*FileName)
            LastError() = "no file name";
        else if (!Set)
            LastError() = "no data set";
        else
            return Set;
        return nullptr;
    }

    // One filer object serves every thread: a save on a worker thread must not mix its
    // reason with a load on the window thread. Kept in a map rather than in thread-local
    // storage, which a module that is loaded and unloaded at run time cannot rely on.
    // Only the calling thread touches its own text, and map nodes never move.
    std::string& LastError()
    {
        const std::lock_guard<std::mutex> lock(FErrorLock);
        std::string& text = FLastErrors[std::this_thread::get_id()];
        return text;
    }
    std::mutex FErrorLock;
    std::map<std::thread::id, std::string> FLastErrors;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) ISXFiler* _GetSXFiler()
{
    static TSXFiler Filer;
    return &Filer;
}
