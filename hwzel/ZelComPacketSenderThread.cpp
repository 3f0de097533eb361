#include "hwzel/ZelComPacketSenderThread.h"

#include "hwzel/ScriptStatements.h"
#include "hwzel/ZelCommandSet.h"

TZelComPacketSenderThread::TZelComPacketSenderThread(TCustomComLink* Owner) : TCustomComPacketSenderThread(Owner)
{
    RegisterCycleStatements();
    CommandSet = RegisterZelCommandSet(*this);
    InstallScriptStatements(*this);
}

void TZelComPacketSenderThread::Abort()
{
    TCustomComPacketSenderThread::Abort();
    // Its own buffer: the sender thread may be building a payload at this moment.
    char Payload[8];
    const int Length = FormatBarePayload(Payload, sizeof Payload, ZelPacket::GroupProcess, ZelPacket::ItemProcessStop);
    SendAbortPacket(Length, Payload);
    ClearAbortWhenIdle();
}
