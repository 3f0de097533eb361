// TKvMultiLang: the texts of the user interface from a language file (.lng, INI form).
// The file is opened on the first request after LangFileName is set or changed, and every
// request reads it as it is on disk at that moment.
#pragma once
#include <memory>
#include <string>
#include "platform/ui/Controls.h"
#include "platform/base/IniFiles.h"
#include "platform/base/Strings.h"

namespace KVC {

class TKvMultiLang : public TComponent {
public:
    explicit TKvMultiLang(TComponent* Owner);
    ~TKvMultiLang() override;

    // Path of the language file; takes effect at the next request.
    std::string LangFileName;

    // Opens the reader for LangFileName, or keeps the open one when the name is the same
    // (compared exactly) or empty; false while no reader has ever been opened. A missing
    // file reads as a file without sections.
    bool CheckLangFile();

    // Each getter returns false, touching nothing, when no file is set or a required
    // argument is null.
    // Text := the key's value; a missing key leaves Text as it is.
    bool GetLangItem(const char* Section, const char* Key, std::string* Text);
    // Items := the section's "key=value" lines in file order.
    bool GetLangItems(const char* Section, TStringList* Items);
    // Values := one line per key of Keys, in order, empty for a missing key.
    bool GetLangItems(const char* Section, TStringList* Keys, TStringList* Values);
    // Items := values of Prefix + "0", Prefix + "1", ... up to the first missing key (a
    // null Prefix is empty). Empty values count as items.
    bool GetLangNumericItems(const char* Section, const char* Prefix, TStringList* Items);

private:
    std::unique_ptr<TIniFile> FReader;
};

}  // namespace KVC
