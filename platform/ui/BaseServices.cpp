// What the base layer cannot do without a window system, given to it when this layer is
// loaded: the system locale's number separators, from Qt's locale data (which knows
// locales the C library may not have installed), and the operator's box for a settings
// file that cannot be written.
#include <QLocale>
#include <QString>
#include <cstdio>
#include <string>

#include "platform/base/FloatFormat.h"
#include "platform/base/IniFiles.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Messages.h"

namespace {

char FirstLatin1(const QString& Text, char Fallback)
{
    if (Text.isEmpty()) return Fallback;
    const char16_t c = Text.at(0).unicode();
    if (c == 0x00A0 || c == 0x202F) return ' ';  // no-break spaces of some locales
    return c < 0x80 ? static_cast<char>(c) : Fallback;
}

char LocaleDecimalSeparator() { return FirstLatin1(QLocale::system().decimalPoint(), '.'); }
char LocaleThousandSeparator() { return FirstLatin1(QLocale::system().groupSeparator(), ','); }

// A box needs the GUI thread; a write that fails on another thread is told on the error
// output.
void ShowSettingsFailure(const std::string& Text)
{
    if (!IsGuiThread()) {
        std::fprintf(stderr, "%s\n", Text.c_str());
        return;
    }
    TDialogRequest request;
    request.Kind = TDialogKind::MessageBox;
    request.Text = Text;
    request.Caption = Application ? Application->Title : std::string();
    request.Flags = MB_OK | MB_ICONERROR;
    ExecuteDialog(request);
}

const bool Installed = [] {
    SetSystemSeparatorSources(&LocaleDecimalSeparator, &LocaleThousandSeparator);
    SetSettingsFailureReporter(&ShowSettingsFailure);
    return true;
}();

}  // namespace
