// Fuzz entry for the layer-by-layer tables as the program keeps them in zel.ini: any
// settings file is read by the real window (the row counts and the rows of its three
// tables), its silent check at creation runs, then the operator's check with every box
// answered, and a program that parses becomes its script, each statement one line.
#include <cstdint>
#include <cstdlib>
#include <string>
#include "FuzzFile.h"
#include "platform/base/IniFiles.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "zel/core/Common.h"
#include "zel/trough/Ulbl.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static TApplication Program(*argc, *argv);
    // The window writes "lbl.cvs" into the current folder when it goes, as in the
    // program: tools/fuzz.sh runs the targets in the build folder.
    AppPath = "./";
    // Every question of the check is answered "go on", so the whole check runs.
    SetDialogInterceptor([](const TDialogRequest&) { return TDialogAnswer{IDYES}; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, size_t Size)
{
    SettingsFileName = FuzzFile("zel_fuzz_lbl.ini", Data, Size);
    TIniFile Settings(SettingsFileName);
    IniFile = &Settings;
    auto* Window = CreateForm<TFLbl>(nullptr);
    Window->CheckDataIntegrity();
    if (Window->ParseTables()) {
        for (const std::string& Line :
             MakeLblScript(Window->ElementaryActions, Window->ActionSets, Window->Processes, TLblScriptStart{}))
            if (Line.empty() || Line.find_first_of("\r\n") != std::string::npos) std::abort();
    }
    FreeForm(Window);
    IniFile = nullptr;
    return 0;
}
