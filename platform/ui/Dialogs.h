// The one service through which every message box and common dialog of the program
// is raised. A test installs an interceptor that sees each request and answers it
// (the interceptor runs while the "box" is open, so it may keep handling messages).
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include "platform/base/Types.h"

// Win32 message box flags and results.
constexpr unsigned MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
                   MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONWARNING = 0x30, MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10
};
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo;
constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;

// Modal results (a form's ModalResult and MessageDlg's answer).
constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
              mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

enum class TDialogKind { MessageBox, MessageDlg, ShowMessage, Color, Font, OpenFile, SaveFile, Folder, Help };

// A font as the font dialog shows and returns it.
struct TFontDescription {
    std::string Name;
    int Size = 0;             // points
    std::uint32_t Color = 0;  // 0x00BBGGRR
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    bool operator==(const TFontDescription&) const = default;
};

struct TDialogRequest {
    TDialogKind Kind = TDialogKind::MessageBox;
    std::string Text;     // message text, or help file and topic
    std::string Caption;  // box caption, or dialog title
    unsigned Flags = 0;   // MB_* flags of a message box, or help command
    TMsgDlgType Type = mtInformation;
    TMsgDlgButtons Buttons = 0;
    std::string Filter;    // file dialogs: "Text (*.txt)|*.txt|..."
    std::string FileName;  // file dialogs: proposed name
    std::string InitialDir;
    std::uint32_t Color = 0;  // colour dialog: the colour it starts from (0x00BBGGRR)
    TFontDescription Font;    // font dialog: the font it starts from
};

struct TDialogAnswer {
    TDialogAnswer() = default;
    TDialogAnswer(int Result, std::string FileName = {}, std::uint32_t Color = 0, TFontDescription Font = {})
        : Result(Result), FileName(std::move(FileName)), Color(Color), Font(std::move(Font))
    {
    }
    int Result = 0;           // ID* for a message box, mr* for MessageDlg, mrOk/mrCancel otherwise
    std::string FileName;     // chosen file
    std::uint32_t Color = 0;  // chosen colour (0x00BBGGRR)
    TFontDescription Font;    // chosen font
};

using TDialogInterceptor = std::function<TDialogAnswer(const TDialogRequest&)>;

// Installs (or with an empty function removes) the interceptor; returns the previous one.
TDialogInterceptor SetDialogInterceptor(TDialogInterceptor Interceptor);

// Raises the request: through the interceptor when one is installed, else as a real
// modal dialog running a nested message loop.
TDialogAnswer ExecuteDialog(const TDialogRequest& Request);

int MessageDlg(const std::string& Text, TMsgDlgType Type, TMsgDlgButtons Buttons, int HelpContext = 0);
void ShowMessage(const std::string& Text);

// File dialogs: true and the chosen name when the operator confirmed.
std::optional<std::string> PromptForOpenFile(const std::string& Title, const std::string& Filter,
                                             const std::string& InitialDir, const std::string& FileName = {});
std::optional<std::string> PromptForSaveFile(const std::string& Title, const std::string& Filter,
                                             const std::string& InitialDir, const std::string& FileName = {});
// Colour dialog on a 0x00BBGGRR colour; the chosen colour when confirmed.
std::optional<std::uint32_t> PromptForColor(std::uint32_t Initial);
// Font dialog; the chosen font when confirmed.
std::optional<TFontDescription> PromptForFont(const TFontDescription& Initial);

// True while a dialog raised through ExecuteDialog is open: a window losing activation to
// it has not lost the operator's attention.
bool DialogRunning();

// Help viewer: HH_DISPLAY_TOPIC opens the page HelpPage finds for "file::/topic" with the
// desktop's viewer, and says so in a box when there is no page or no viewer; HH_CLOSE_ALL
// closes the viewers this program opened. The request carries the page as its FileName.
constexpr unsigned HH_DISPLAY_TOPIC = 0x0000, HH_CLOSE_ALL = 0x0012;
// The page to show for "file::/topic": the file itself when it exists, else the help
// shipped as HTML pages, the topic's page in the file's folder; "" when neither exists.
std::string HelpPage(const std::string& FileAndTopic);
void HtmlHelp(HWND Caller, const std::string& FileAndTopic, unsigned Command, std::uintptr_t Data);
