// Program entry: the start-up sequence, the message loop and an orderly shut-down.
#include "platform/kvcls/kvcls.h"
#include "platform/ui/Application.h"
#include "zel/core/Common.h"
#include "zel/core/Startup.h"

ZEL_VERSION_TAG("1.0.0.0");

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    Application->Title = "Zelmora Control";
    RunProgram();
    return 0;
}
