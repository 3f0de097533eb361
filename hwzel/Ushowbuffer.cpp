#include "hwzel/Ushowbuffer.h"

#include "hwzel/CustomComLink.h"
#include "hwzel/LinkTexts.h"
#include "platform/serial/ComPort.h"

extern "C" {
__attribute__((visibility("default"))) TFShowBuffer* _FShowBuffer = nullptr;
}
TFShowBuffer*& FShowBuffer = _FShowBuffer;

namespace {
constexpr int DecodedLabelLeft = 8;
constexpr int DecodedTextLeft = 48;
constexpr int DecodedLineHeight = 22;
}  // namespace

TFShowBuffer::TFShowBuffer(TComponent* Owner) : TForm(Owner)
{
    Name = "FShowBuffer";
    SetCaption("Buffer");
    SetFormStyle(fsStayOnTop);
    SetBorderStyle(bsSizeToolWin);
    Position = poMainFormCenter;
    SetBounds(0, 0, 520, 420);

    pgcBuffer = new TPageControl(this);
    pgcBuffer->Name = "pgcBuffer";
    pgcBuffer->SetParent(this);
    pgcBuffer->DockSite = false;
    pgcBuffer->SetAlign(alClient);

    tsRawBuffer = new TTabSheet(this, pgcBuffer);
    tsRawBuffer->Name = "tsRawBuffer";
    tsRawBuffer->SetCaption("Raw");

    auto* SendBar = new TPanel(this);
    SendBar->SetParent(tsRawBuffer);
    SendBar->SetBevelOuter(bvNone);
    SendBar->SetBounds(0, 0, 500, 30);
    SendBar->SetAlign(alTop);
    EDSend = new TEdit(this);
    EDSend->Name = "EDSend";
    EDSend->SetParent(SendBar);
    EDSend->SetBounds(4, 4, 400, 22);
    BBSend = new TButton(this);
    BBSend->Name = "BBSend";
    BBSend->SetParent(SendBar);
    BBSend->SetCaption("Send");
    BBSend->SetBounds(410, 3, 80, 24);
    BBSend->OnClick = [this](TObject* Sender) { BBSendClick(Sender); };

    auto* Bottom = new TPanel(this);
    Bottom->SetParent(tsRawBuffer);
    Bottom->SetBevelOuter(bvNone);
    Bottom->SetBounds(0, 0, 500, 30);
    Bottom->SetAlign(alBottom);
    CBShowRecive = new TCheckBox(this);
    CBShowRecive->Name = "CBShowRecive";
    CBShowRecive->SetParent(Bottom);
    CBShowRecive->SetCaption("Show Receive Message");
    CBShowRecive->SetBounds(4, 4, 200, 22);
    CBShowRecive->SetChecked(true);
    CBShowRecive->OnClick = [this](TObject*) { FShowReceived = CBShowRecive->GetChecked(); };
    BBClear = new TButton(this);
    BBClear->Name = "BBClear";
    BBClear->SetParent(Bottom);
    BBClear->SetCaption("Clear");
    BBClear->SetBounds(410, 3, 80, 24);
    BBClear->OnClick = [this](TObject* Sender) { BBClearClick(Sender); };

    Memo = new TMemo(this);
    Memo->Name = "Memo";
    Memo->SetParent(tsRawBuffer);
    Memo->SetReadOnly(true);
    Memo->Font()->SetName("Courier New");
    Memo->SetAlign(alClient);

    tsDecodedI = new TTabSheet(this, pgcBuffer);
    tsDecodedI->Name = "tsDecodedI";
    tsDecodedI->SetCaption("Decoded");
    chkRemoveInfoFromRawData = new TCheckBox(this);
    chkRemoveInfoFromRawData->Name = "chkRemoveInfoFromRawData";
    chkRemoveInfoFromRawData->SetParent(tsDecodedI);
    chkRemoveInfoFromRawData->SetCaption("Remove info from raw data");
    chkRemoveInfoFromRawData->SetBounds(DecodedLabelLeft, 4, 300, 22);
    chkRemoveInfoFromRawData->SetChecked(true);

    const char* Kinds[] = {"INF", "IZT", "DEP", "INR", "CYL", "TDP", "RDP", "IFP"};
    TLabel** Texts[] = {&txtInf, &txtIzt, &txtDep, &txtInr, &txtCyl, &txtTdp, &txtRdp, &txtIFP};
    for (int i = 0; i < 8; ++i) {
        *Texts[i] = AddDecodedLine(Kinds[i], 32 + i * DecodedLineHeight);
        // The key is the start of an info body: "I" and the kind.
        FDecodedView[std::string("I") + Kinds[i]] = *Texts[i];
    }
    pgcBuffer->SetActivePage(tsRawBuffer);
    OnDestroy = [this](TObject* Sender) { FormDestroy(Sender); };
}

TFShowBuffer::~TFShowBuffer()
{
    // Detach from the link first: a thread may be adding a line at this moment.
    if (FLink) FLink->SetMonitorSink({});
    if (FShowBuffer == this) FShowBuffer = nullptr;
}

TLabel* TFShowBuffer::AddDecodedLine(const char* Kind, int Top)
{
    auto* Caption = new TLabel(this);
    Caption->SetParent(tsDecodedI);
    Caption->SetCaption(Kind);
    Caption->SetBounds(DecodedLabelLeft, Top, DecodedTextLeft - DecodedLabelLeft, 18);
    auto* Text = new TLabel(this);
    Text->Name = std::string("txt") + Kind;
    Text->SetParent(tsDecodedI);
    Text->AutoSize = false;
    Text->SetBounds(DecodedTextLeft, Top, 440, 18);
    return Text;
}

void TFShowBuffer::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_FLUSHBUFFER) {
        FlushToMemo();
        return;
    }
    TForm::WndProc(Message);
}

void TFShowBuffer::DoShow()
{
    if (!FPlaced) {
        FPlaced = true;
        const TForm* Main = MainForm();
        const int W = GetWidth(), H = GetHeight();
        if (Main && Main != this && Main->GetVisible())
            SetBounds(Main->GetLeft() + (Main->GetWidth() - W) / 2, Main->GetTop() + (Main->GetHeight() - H) / 2, W, H);
        else
            SetBounds((Screen->Width() - W) / 2, (Screen->Height() - H) / 2, W, H);
    }
    TForm::DoShow();
}

void TFShowBuffer::AddLine(const std::string& Prefix, const std::string& Text)
{
    TResGuard::TGuard Guard(FMonitorLock);
    if (Prefix == LinkTexts::ReceivedPrefix && !FShowReceived) return;
    FPendingLines.push_back(Prefix + Text);
    PostMessage(Handle(), WM_FLUSHBUFFER, 0, 0);
}

void TFShowBuffer::FlushToMemo()
{
    std::vector<std::string> Lines;
    {
        TResGuard::TGuard Guard(FMonitorLock);
        if (FPendingLines.empty()) return;
        Lines.swap(FPendingLines);
    }
    // The lines are taken out under the lock and shown after it, so the threads that
    // add lines never wait for the controls.
    const bool RemoveInfo = chkRemoveInfoFromRawData->GetChecked();
    for (const std::string& Line : Lines) {
        bool IsInfo = false;
        for (const auto& [Key, Text] : FDecodedView) {
            if (Line.find(Key) == std::string::npos) continue;
            IsInfo = true;
            std::string Shown = Line;
            const std::size_t At = Shown.find(LinkTexts::ReceivedPrefix);
            if (At != std::string::npos) Shown.erase(At, sizeof LinkTexts::ReceivedPrefix - 1);
            Text->SetCaption(Shown);
        }
        if (!(IsInfo && RemoveInfo)) Memo->Append(Line);
    }
}

void TFShowBuffer::BBSendClick(TObject*)
{
    if (!FPort || !FPort->Connected()) return;
    const std::string Text = EDSend->GetText();
    // Exactly as typed: no framing, checksum or zero byte is added.
    FPort->Write(Text.data(), static_cast<int>(Text.size()));
    Memo->Append("Send:" + Text);
}

void TFShowBuffer::BBClearClick(TObject*) { Memo->Clear(); }

void TFShowBuffer::FormDestroy(TObject*)
{
    // Later lines are no longer given to a window.
    if (FLink) FLink->SetMonitorSink({});
    if (FShowBuffer == this) FShowBuffer = nullptr;
}

void ShowTrafficMonitorFor(TCustomComLink* Link)
{
    if (!FShowBuffer) {
        auto* Window = new TFShowBuffer(nullptr);
        Window->EndLoading();
        Window->DoCreate();
        Window->SetPort(Link->Port());
        Window->SetLink(Link);
        FShowBuffer = Window;
        Link->SetMonitorSink(
            [Window](const std::string& Prefix, const std::string& Text) { Window->AddLine(Prefix, Text); });
    }
    FShowBuffer->Show();
}

void ReleaseTrafficMonitorOf(TCustomComLink* Link)
{
    if (FShowBuffer && FShowBuffer->Link() == Link) FreeForm(FShowBuffer);
}
