#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

TTempDir::TTempDir()
{
    QTemporaryDir dir(QDir::tempPath() + "/zeltest-XXXXXX");
    dir.setAutoRemove(false);
    if (!dir.isValid()) throw std::runtime_error("cannot create a temporary folder");
    FPath = dir.path().toStdString() + "/";
}

TTempDir::~TTempDir() { QDir(QString::fromStdString(FPath)).removeRecursively(); }

std::string ReadFileText(const std::string& Path)
{
    std::ifstream in(Path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void WriteFileText(const std::string& Path, const std::string& Text)
{
    std::ofstream out(Path, std::ios::binary | std::ios::trunc);
    out << Text;
    if (!out) throw std::runtime_error("cannot write " + Path);
}

bool FileExists(const std::string& Path)
{
    struct stat info {};
    return stat(Path.c_str(), &info) == 0;
}

TDialogRecorder::TDialogRecorder()
{
    FPrevious = SetDialogInterceptor([this](const TDialogRequest& request) {
        Requests.push_back(request);
        if (OnShow) OnShow(request);
        if (Answers.empty()) return Default;
        TDialogAnswer answer = Answers.front();
        Answers.pop_front();
        return answer;
    });
}

TDialogRecorder::~TDialogRecorder() { SetDialogInterceptor(std::move(FPrevious)); }

std::string ProgramDir() { return std::string(ZEL_PROGRAM_DIR) + "/"; }

std::string SourceDir() { return std::string(ZEL_SOURCE_DIR) + "/"; }
