// The traffic monitor: a small tool window that shows every packet the link sends and
// receives, decodes the last packet of the main info kinds into one line each, and
// writes raw text to the port. Lines arrive from the sender and receive threads; the
// window collects them under its lock and moves them into its controls on the GUI thread.
#pragma once
#include <atomic>
#include <map>
#include <string>
#include <vector>
#include "platform/kvcls/kvcls.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

class TComPort;
class TCustomComLink;

// Posted by the window to itself when lines are waiting.
constexpr UINT WM_FLUSHBUFFER = WM_USER + 1000;  // 2024

class TFShowBuffer : public TForm {
public:
    explicit TFShowBuffer(TComponent* Owner);
    ~TFShowBuffer() override;

    TPageControl* pgcBuffer;
    TTabSheet* tsRawBuffer;
    TEdit* EDSend;
    TButton* BBSend;
    TMemo* Memo;
    TCheckBox* CBShowRecive;
    TButton* BBClear;
    TTabSheet* tsDecodedI;
    TCheckBox* chkRemoveInfoFromRawData;
    TLabel* txtInf;
    TLabel* txtIzt;
    TLabel* txtDep;
    TLabel* txtInr;
    TLabel* txtCyl;
    TLabel* txtTdp;
    TLabel* txtRdp;
    TLabel* txtIFP;

    // Any thread: queues one line (prefix and text joined) for the memo.
    void AddLine(const std::string& Prefix, const std::string& Text);
    // GUI thread: moves the waiting lines into the memo and the decoded lines.
    void FlushToMemo();

    void BBSendClick(TObject* Sender);
    void BBClearClick(TObject* Sender);
    void FormDestroy(TObject* Sender);

    // The port of the raw send; the link whose lines the window shows.
    void SetPort(TComPort* Port) { FPort = Port; }
    void SetLink(TCustomComLink* Link) { FLink = Link; }
    TCustomComLink* Link() const { return FLink; }

protected:
    void WndProc(TMessage& Message) override;
    // The first show centres the window on the main form.
    void DoShow() override;

private:
    TLabel* AddDecodedLine(const char* Kind, int Top);

    bool FPlaced = false;
    TComPort* FPort = nullptr;
    TCustomComLink* FLink = nullptr;
    TResGuard FMonitorLock;
    std::vector<std::string> FPendingLines;
    // Mirrors of the two check boxes, read by the threads that add lines.
    std::atomic<bool> FShowReceived{true};
    std::map<std::string, TLabel*> FDecodedView;
};

// The one monitor window, null while none exists; the module exports it by the name
// "_FShowBuffer".
extern "C" {
extern TFShowBuffer* _FShowBuffer;
}
extern TFShowBuffer*& FShowBuffer;

// Creates the monitor for the link on first use (attaching it to the link's lines and
// port), then shows it.
void ShowTrafficMonitorFor(TCustomComLink* Link);
// Destroys the monitor when it belongs to the link (the link is going away).
void ReleaseTrafficMonitorOf(TCustomComLink* Link);
