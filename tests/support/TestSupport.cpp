#include "TestSupport.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QApplication>
#include <QWidget>
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"

#include <QDir>
#include <cstdio>
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

std::string HexDigits(std::uint64_t Value, int Digits)
{
    char text[24];
    std::snprintf(text, sizeof text, "%0*llX", Digits, static_cast<unsigned long long>(Value));
    return text;
}

std::string Hex8(std::int64_t Value) { return HexDigits(static_cast<std::uint32_t>(Value), 8); }

std::string SumDigits(const std::string& Text)
{
    unsigned sum = 0;
    for (unsigned char c : Text) sum += c;
    return HexDigits(sum & 0xFF, 2);
}

std::string Valued(const std::string& Word, std::int64_t Value) { return Word + " " + Hex8(Value); }

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

void OperatorClick(QWidget* Widget, int X, int Y)
{
    QWidget* target = Widget->childAt(X, Y);
    if (!target) target = Widget;
    const QPointF local = target->mapFrom(Widget, QPoint(X, Y));
    const QPointF global = Widget->mapToGlobal(QPoint(X, Y));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

void OperatorKey(QWidget* Widget, int Key)
{
    const QString text = Key == Qt::Key_Return ? QString("\r") : Key == Qt::Key_Escape ? QString(QChar(27)) : QString();
    QKeyEvent press(QEvent::KeyPress, Key, Qt::NoModifier, text);
    QApplication::sendEvent(Widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Key, Qt::NoModifier, text);
    QApplication::sendEvent(Widget, &release);
}

std::string WindowFrame(TForm* Form)
{
    if (Form->HostDockSite()) return "docked";
    QWidget* widget = Form->Widget();
    // A child window's frame is the frame widget around it in the main window's area.
    QWidget* frame = widget->isWindow() || !widget->parentWidget() ? widget : widget->parentWidget();
    const Qt::WindowFlags flags = frame->windowFlags();
    std::string words;
    switch (flags & Qt::WindowType_Mask) {
    case Qt::Dialog:
        words = "dialog";
        break;
    case Qt::Tool:
        words = "tool";
        break;
    case Qt::SubWindow:
        words = "child";
        break;
    default:
        words = "window";
        break;
    }
    const bool frameless = flags.testFlag(Qt::FramelessWindowHint);
    words += frameless ? ", frameless" : ", titled";
    // Without customising, a window has every button of its kind.
    const bool customised = flags.testFlag(Qt::CustomizeWindowHint);
    if (!frameless &&
        (customised ? flags.testFlag(Qt::WindowMaximizeButtonHint)
                    : (flags & Qt::WindowType_Mask) == Qt::Window || (flags & Qt::WindowType_Mask) == Qt::SubWindow))
        words += ", maximisable";
    if (flags.testFlag(Qt::WindowStaysOnTopHint)) words += ", on top";
    if (frame->minimumSize() == frame->maximumSize()) words += ", fixed";
    return words;
}

namespace {

void CollectClippedTexts(TForm* Form, TControl* Control, std::vector<std::string>& Faults)
{
    if (auto* parent = dynamic_cast<TWinControl*>(Control)) {
        for (int i = 0; i < parent->ControlCount(); ++i) CollectClippedTexts(Form, parent->Controls(i), Faults);
        if (auto* pages = dynamic_cast<TPageControl*>(Control))
            for (int i = 0; i < pages->PageCount(); ++i) CollectClippedTexts(Form, pages->Pages(i), Faults);
    }
    QWidget* widget = Control->Widget();
    const TControl::TTextNeed need = Control->TextNeed();
    if (need.Width <= 0 || !widget || !widget->isVisibleTo(Form->Widget()) || Control == Form) return;
    const std::string where = Form->GetCaption() + ": " + Control->Name + " \"" + Control->GetCaption() + "\"";
    if (widget->width() < need.Width)
        Faults.push_back(where + " is " + std::to_string(widget->width()) + " wide, its text needs " +
                         std::to_string(need.Width));
    QRect text(0, 0, need.Flows ? need.Width : widget->width(), widget->height());
    // Up through the containers to the window, and for a docked window to its dock page:
    // nothing above hides the text, no edge cuts it. Windows overlapping windows are the
    // operator's arrangement, not a fault of the layout.
    QWidget* top = Form->Floating() ? Form->Widget() : Form->Widget()->parentWidget();
    for (QWidget* level = widget; level && level != top && !level->isWindow(); level = level->parentWidget()) {
        QWidget* parent = level->parentWidget();
        text.translate(level->pos());
        const QObjectList& siblings = parent->children();
        for (qsizetype i = siblings.indexOf(level) + 1; i < siblings.size(); ++i) {
            auto* above = qobject_cast<QWidget*>(siblings[i]);
            if (!above || above->isWindow() || !above->isVisible()) continue;
            if (above->geometry().contains(level->geometry())) return;  // stacked alternate, out of sight
            if (above->geometry().intersects(text)) {
                const TControl* other = TControl::FromWidget(above);
                Faults.push_back(where + " lies under " + (other ? other->Name : std::string("a part of its window")));
                return;
            }
        }
        if (!parent->rect().contains(text)) {
            const TControl* container = TControl::FromWidget(parent);
            Faults.push_back(where + " runs past the edge of " +
                             (container ? container->Name : std::string("its container")));
            return;
        }
    }
}

}  // namespace

std::vector<std::string> ClippedTexts(TForm* Form)
{
    std::vector<std::string> faults;
    CollectClippedTexts(Form, Form, faults);
    return faults;
}
