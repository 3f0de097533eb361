// Program entry: the start-up sequence, the message loop and an orderly shut-down.
#include "platform/kvcls/kvcls.h"
#include "platform/ui/Application.h"
#include "zel/core/Common.h"
#include "zel/core/Startup.h"

// The About window names the product "Zelmora 2.0": the program file carries the same version.
ZEL_VERSION_TAG("2.0.0.0");

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    Application->Title = "Zelmora Control";
    RunProgram();
    return 0;
}
