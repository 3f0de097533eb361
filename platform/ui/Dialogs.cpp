#include "platform/ui/Dialogs.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QStyle>
#include <QUrl>
#include <mutex>

#include "platform/ui/Application.h"
#include "platform/base/FileDates.h"

namespace {

TDialogInterceptor& Interceptor()
{
    static TDialogInterceptor interceptor;
    return interceptor;
}

QString Q(const std::string& Text) { return QString::fromStdString(Text); }

// The icon of each kind of box, by the icon flag of a message box and by the type of a
// message dialog; a box of neither has no icon.
struct TIconRow {
    unsigned Flag;
    TMsgDlgType Type;
    QMessageBox::Icon Icon;
};
constexpr TIconRow IconRows[] = {
    {MB_ICONERROR, mtError, QMessageBox::Critical},
    {MB_ICONQUESTION, mtConfirmation, QMessageBox::Question},
    {MB_ICONWARNING, mtWarning, QMessageBox::Warning},
    {MB_ICONINFORMATION, mtInformation, QMessageBox::Information},
};

QMessageBox::Icon IconOfFlags(unsigned Flags)
{
    for (const TIconRow& row : IconRows)
        if ((Flags & 0xF0) == row.Flag) return row.Icon;
    return QMessageBox::NoIcon;
}

QMessageBox::Icon IconOfType(TMsgDlgType Type)
{
    for (const TIconRow& row : IconRows)
        if (Type == row.Type) return row.Icon;
    return QMessageBox::NoIcon;
}

struct TButtonChoice {
    const char* Text;
    int Result;
};

// A box is at least as wide as its caption needs in the window manager's title bar: the
// caption in bold beside the bar's icon and its three buttons, each about a bar high.
void KeepCaptionWhole(QMessageBox& Box)
{
    auto* grid = qobject_cast<QGridLayout*>(Box.layout());
    if (!grid || Box.windowTitle().isEmpty()) return;
    QFont bold = Box.font();
    bold.setBold(true);
    const int bar = Box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &Box);
    const int width = QFontMetrics(bold).horizontalAdvance(Box.windowTitle()) + 5 * bar + 24;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

// Runs a real box with the given buttons; exec() keeps the message loop turning.
int RunBox(QMessageBox::Icon Icon, const std::string& Caption, const std::string& Text,
           const std::vector<TButtonChoice>& Buttons, int Escape)
{
    QMessageBox box(Icon, Q(Caption), Q(Text));
    // A box waits for an answer: it must not open under a window that stays on top (the
    // script window, the status window), where its text and buttons would be hidden.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    KeepCaptionWhole(box);
    std::vector<std::pair<QAbstractButton*, int>> map;
    for (const TButtonChoice& choice : Buttons)
        map.emplace_back(box.addButton(QString::fromUtf8(choice.Text), QMessageBox::AcceptRole), choice.Result);
    box.exec();
    for (const auto& [button, result] : map)
        if (box.clickedButton() == button) return result;
    return Escape;
}

std::vector<TButtonChoice> ButtonsOfFlags(unsigned Flags)
{
    switch (Flags & 0x0F) {
    case MB_OKCANCEL:
        return {{"OK", IDOK}, {"Cancel", IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
        return {{"Abort", IDABORT}, {"Retry", IDRETRY}, {"Ignore", IDIGNORE}};
    case MB_YESNOCANCEL:
        return {{"Yes", IDYES}, {"No", IDNO}, {"Cancel", IDCANCEL}};
    case MB_YESNO:
        return {{"Yes", IDYES}, {"No", IDNO}};
    case MB_RETRYCANCEL:
        return {{"Retry", IDRETRY}, {"Cancel", IDCANCEL}};
    default:
        return {{"OK", IDOK}};
    }
}

std::vector<TButtonChoice> ButtonsOfSet(TMsgDlgButtons Buttons)
{
    static const struct {
        TMsgDlgBtn Bit;
        TButtonChoice Choice;
    } all[] = {{mbYes, {"Yes", mrYes}},
               {mbNo, {"No", mrNo}},
               {mbOK, {"OK", mrOk}},
               {mbCancel, {"Cancel", mrCancel}},
               {mbAbort, {"Abort", mrAbort}},
               {mbRetry, {"Retry", mrRetry}},
               {mbIgnore, {"Ignore", mrIgnore}},
               {mbAll, {"All", mrAll}},
               {mbNoToAll, {"No to All", mrNoToAll}},
               {mbYesToAll, {"Yes to All", mrYesToAll}}};
    std::vector<TButtonChoice> result;
    for (const auto& entry : all)
        if (Buttons & entry.Bit) result.push_back(entry.Choice);
    if (result.empty()) result.push_back({"OK", mrOk});
    return result;
}

// "Text (*.txt)|*.txt|Any file (*.*)|*.*" becomes Qt's "Text (*.txt);;Any file (*.*)".
QString QtFilter(const std::string& Filter)
{
    QStringList parts = Q(Filter).split('|');
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString pattern = QString(parts[i + 1]).replace(';', ' ');
        result << (parts[i].contains('(') ? parts[i] : parts[i] + " (" + pattern + ")");
    }
    return result.join(";;");
}

TDialogAnswer RunRealDialog(const TDialogRequest& Request)
{
    TDialogAnswer answer;
    switch (Request.Kind) {
    case TDialogKind::MessageBox: {
        const auto buttons = ButtonsOfFlags(Request.Flags);
        answer.Result =
            RunBox(IconOfFlags(Request.Flags), Request.Caption, Request.Text, buttons, buttons.back().Result);
        break;
    }
    case TDialogKind::MessageDlg:
    case TDialogKind::ShowMessage: {
        const auto buttons = ButtonsOfSet(Request.Buttons);
        const std::string caption = Request.Caption.empty() && Application ? Application->Title : Request.Caption;
        answer.Result = RunBox(IconOfType(Request.Type), caption, Request.Text, buttons,
                               (Request.Buttons & mbCancel) ? mrCancel : buttons.back().Result);
        break;
    }
    case TDialogKind::OpenFile:
    case TDialogKind::SaveFile: {
        const QString start =
            Q(Request.InitialDir.empty() ? Request.FileName : Request.InitialDir + "/" + Request.FileName);
        const QString name =
            Request.Kind == TDialogKind::OpenFile
                ? QFileDialog::getOpenFileName(nullptr, Q(Request.Caption), start, QtFilter(Request.Filter))
                : QFileDialog::getSaveFileName(nullptr, Q(Request.Caption), start, QtFilter(Request.Filter));
        answer.Result = name.isEmpty() ? mrCancel : mrOk;
        answer.FileName = name.toStdString();
        break;
    }
    case TDialogKind::Folder: {
        const QString start = Q(Request.InitialDir.empty() ? Request.FileName : Request.InitialDir);
        const QString name = QFileDialog::getExistingDirectory(nullptr, Q(Request.Caption), start);
        answer.Result = name.isEmpty() ? mrCancel : mrOk;
        answer.FileName = name.toStdString();
        break;
    }
    case TDialogKind::Color: {
        const std::uint32_t c = Request.Color;
        const QColor chosen = QColorDialog::getColor(QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        answer.Result = chosen.isValid() ? mrOk : mrCancel;
        answer.Color = static_cast<std::uint32_t>(chosen.red()) | static_cast<std::uint32_t>(chosen.green()) << 8 |
                       static_cast<std::uint32_t>(chosen.blue()) << 16;
        break;
    }
    case TDialogKind::Help: {
        // The desktop's viewer runs on its own, so closing leaves nothing of ours to close.
        if (Request.Flags != HH_DISPLAY_TOPIC) break;
        const std::vector<TButtonChoice> ok{{"OK", mrOk}};
        if (Request.FileName.empty()) {
            RunBox(QMessageBox::Warning, "Help",
                   "The help was not found: " + Request.Text.substr(0, Request.Text.find("::")), ok, mrOk);
            answer.Result = mrCancel;
        } else if (QDesktopServices::openUrl(QUrl::fromLocalFile(Q(Request.FileName)))) {
            answer.Result = mrOk;
        } else {
            RunBox(QMessageBox::Warning, "Help",
                   "No viewer for the help is installed on this computer. The help is the page " + Request.FileName +
                       "; open it in a web browser.",
                   ok, mrOk);
            answer.Result = mrCancel;
        }
        break;
    }
    case TDialogKind::Font: {
        const TFontDescription& f = Request.Font;
        QFont start(Q(f.Name), f.Size > 0 ? f.Size : -1);
        start.setBold(f.Bold);
        start.setItalic(f.Italic);
        start.setUnderline(f.Underline);
        start.setStrikeOut(f.StrikeOut);
        bool accepted = false;
        const QFont chosen = QFontDialog::getFont(&accepted, start, nullptr, Q(Request.Caption));
        answer.Result = accepted ? mrOk : mrCancel;
        // The dialog has no colour of its own: the font keeps the colour it came with.
        answer.Font = {chosen.family().toStdString(),
                       chosen.pointSize(),
                       f.Color,
                       chosen.bold(),
                       chosen.italic(),
                       chosen.underline(),
                       chosen.strikeOut()};
        break;
    }
    }
    return answer;
}

}  // namespace

TDialogInterceptor SetDialogInterceptor(TDialogInterceptor NewInterceptor)
{
    TDialogInterceptor previous = std::move(Interceptor());
    Interceptor() = std::move(NewInterceptor);
    return previous;
}

namespace {
int RunningDialogs = 0;
}  // namespace

bool DialogRunning() { return RunningDialogs > 0; }

TDialogAnswer ExecuteDialog(const TDialogRequest& Request)
{
    struct TRunning {
        TRunning() { ++RunningDialogs; }
        ~TRunning() { --RunningDialogs; }
    } running;
    if (Interceptor()) {
        // Keep the interceptor alive even if it replaces itself while running.
        TDialogInterceptor current = Interceptor();
        return current(Request);
    }
    return RunRealDialog(Request);
}

int MessageDlg(const std::string& Text, TMsgDlgType Type, TMsgDlgButtons Buttons, int)
{
    TDialogRequest request;
    request.Kind = TDialogKind::MessageDlg;
    request.Text = Text;
    request.Caption = Application ? Application->Title : std::string();
    request.Type = Type;
    request.Buttons = Buttons;
    return ExecuteDialog(request).Result;
}

void ShowMessage(const std::string& Text)
{
    TDialogRequest request;
    request.Kind = TDialogKind::ShowMessage;
    request.Text = Text;
    request.Caption = Application ? Application->Title : std::string();
    request.Type = mtCustom;
    request.Buttons = mbOK;
    ExecuteDialog(request);
}

namespace {
std::optional<std::string> PromptForFile(TDialogKind Kind, const std::string& Title, const std::string& Filter,
                                         const std::string& InitialDir, const std::string& FileName)
{
    TDialogRequest request;
    request.Kind = Kind;
    request.Caption = Title;
    request.Filter = Filter;
    request.InitialDir = InitialDir;
    request.FileName = FileName;
    const TDialogAnswer answer = ExecuteDialog(request);
    if (answer.Result != mrOk || answer.FileName.empty()) return std::nullopt;
    return answer.FileName;
}
}  // namespace

std::optional<std::string> PromptForOpenFile(const std::string& Title, const std::string& Filter,
                                             const std::string& InitialDir, const std::string& FileName)
{
    return PromptForFile(TDialogKind::OpenFile, Title, Filter, InitialDir, FileName);
}

std::optional<std::string> PromptForSaveFile(const std::string& Title, const std::string& Filter,
                                             const std::string& InitialDir, const std::string& FileName)
{
    return PromptForFile(TDialogKind::SaveFile, Title, Filter, InitialDir, FileName);
}

std::optional<std::uint32_t> PromptForColor(std::uint32_t Initial)
{
    TDialogRequest request;
    request.Kind = TDialogKind::Color;
    request.Color = Initial;
    const TDialogAnswer answer = ExecuteDialog(request);
    if (answer.Result != mrOk) return std::nullopt;
    return answer.Color;
}

std::optional<TFontDescription> PromptForFont(const TFontDescription& Initial)
{
    TDialogRequest request;
    request.Kind = TDialogKind::Font;
    request.Font = Initial;
    const TDialogAnswer answer = ExecuteDialog(request);
    if (answer.Result != mrOk) return std::nullopt;
    return answer.Font;
}

std::string HelpPage(const std::string& FileAndTopic)
{
    const size_t split = FileAndTopic.find("::");
    const std::string file = FileAndTopic.substr(0, split);
    if (file.empty()) return {};
    if (IsExistingFile(file)) return file;
    if (split == std::string::npos) return {};
    std::string topic = FileAndTopic.substr(split + 2);
    while (!topic.empty() && topic.front() == '/') topic.erase(0, 1);
    if (topic.empty()) return {};
    const std::string page = ExtractFilePath(file) + topic;
    return IsExistingFile(page) ? page : std::string();
}

void HtmlHelp(HWND, const std::string& FileAndTopic, unsigned Command, std::uintptr_t)
{
    TDialogRequest request;
    request.Kind = TDialogKind::Help;
    request.Text = FileAndTopic;
    request.Flags = Command;
    if (Command == HH_DISPLAY_TOPIC) request.FileName = HelpPage(FileAndTopic);
    ExecuteDialog(request);
}
