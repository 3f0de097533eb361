// The settings dialog on real widgets: its fields from the shared settings, the language
// list, OK and Cancel, and the values reaching the settings file when the program ends.
#include "DialogFixture.h"
#include "MainWindowFixture.h"
#include "kvc/KvMultiLang.h"
#include "platform/base/IniFiles.h"
#include "zel/core/Usettings.h"

namespace {

class TSettingsDialog : public TMainWindowFixture {
protected:
    void StartWithLanguages(const std::string& Language)
    {
        ForceLanguage();  // english.lng and german.lng
        WriteFileText(Dir.File("Language/french.lng"),
                      "[Settings]\n0=Reglages\n1=Donnees\n2=\n3=\n4=\n5=\n6=\n7=Valider\n");
        WriteFileText(Dir.File("Language/readme.txt"), "not a language");
        Start("[Common]\nLangFileName=" + Language + "\n" + Libraries() +
              "[Settings]\nUpdateStatusInterval=700\nUpdateReceivedDataInterval=1200\nADCDataAccuracy=1\n");
    }
    TFSettings* Open() { return Dialog = CreateForm<TFSettings>(nullptr); }
    TFSettings* Dialog = nullptr;
};

TEST_F(TSettingsDialog, ShowsTheSettingsAndTheLanguageFilesWithTheOneInUseSelected)
{
    StartWithLanguages("german.lng");
    Open();
    EXPECT_EQ(Dialog->GetCaption(), "Settings");
    EXPECT_EQ(WindowFrame(Dialog), "dialog, titled, on top, fixed");
    EXPECT_EQ(Dialog->TSData->GetCaption(), "Data");
    EXPECT_EQ(Dialog->TSInterface->GetCaption(), "Interface");
    EXPECT_EQ(Dialog->lblUpdateStatusInterval->GetCaption(), "Update Status Interval (ms)");
    EXPECT_EQ(Dialog->lblUpdateReceivedDataInterval->GetCaption(), "Interval of updating of the received data (ms)");
    EXPECT_EQ(Dialog->lblDataAccuracy->GetCaption(), "Data accuracy");
    EXPECT_EQ(Dialog->lblLanguage->GetCaption(), "Language");
    EXPECT_EQ(Dialog->SEUpdateStatusInterval->GetValue(), 700);
    EXPECT_EQ(Dialog->SEUpdateReceivedDataInterval->GetValue(), 1200);
    EXPECT_EQ(Dialog->SEDataAccuracy->GetValue(), 1);
    EXPECT_EQ(Dialog->LBLangFiles->Items().Lines(),
              (std::vector<std::string>{"english.lng", "french.lng", "german.lng"}));
    EXPECT_EQ(Dialog->LBLangFiles->GetItemIndex(), 2);
    EXPECT_EQ(Dialog->InitialLanguageIndex, 2);
    // The ranges hold what the operator types.
    Dialog->SEUpdateStatusInterval->SetValue(20);
    Dialog->SEUpdateReceivedDataInterval->SetValue(50000);
    Dialog->SEDataAccuracy->SetValue(9);
    EXPECT_EQ(Dialog->SEUpdateStatusInterval->GetValue(), 100);
    EXPECT_EQ(Dialog->SEUpdateReceivedDataInterval->GetValue(), 10000);
    EXPECT_EQ(Dialog->SEDataAccuracy->GetValue(), 3);
}

TEST_F(TSettingsDialog, OkStoresTheNumbersAndChangesTheLanguageOnlyToAnotherFile)
{
    StartWithLanguages("german.lng");
    Open();
    Dialog->SEUpdateStatusInterval->SetValue(300);
    Dialog->SEUpdateReceivedDataInterval->SetValue(900);
    Dialog->SEDataAccuracy->SetValue(2);
    // The language in use chosen again: nothing is translated anew.
    Main->MultiLang->LangFileName = Dir.File("Language/german.lng");
    Dialog->BBOk->Click();
    EXPECT_EQ(AppSettings.UpdateStatusInterval, 300u);
    EXPECT_EQ(AppSettings.UpdateReceivedDataInterval, 900u);
    EXPECT_EQ(AppSettings.ADCDataAccuracy, 2);
    EXPECT_EQ(Main->MultiLang->LangFileName, Dir.File("Language/german.lng"));
    FreeForm(Dialog);

    Open();
    Dialog->LBLangFiles->SetItemIndex(1);
    Dialog->BBOk->Click();
    EXPECT_EQ(Main->MultiLang->LangFileName, Dir.File("Language/french.lng"));
    FreeForm(Dialog);
    // The new language reaches the next dialog's captions.
    Open();
    EXPECT_EQ(Dialog->GetCaption(), "Reglages");
    EXPECT_EQ(Dialog->TSData->GetCaption(), "Donnees");
    EXPECT_EQ(Dialog->BBOk->GetCaption(), "Valider");
    EXPECT_EQ(Dialog->BBCancel->GetCaption(), "Cancel");
    EXPECT_EQ(Dialog->LBLangFiles->GetItemIndex(), 1);
}

TEST_F(TSettingsDialog, LanguageOutsideTheFolderSelectsNothingAndOkKeepsIt)
{
    StartWithLanguages("lost.lng");
    const std::string language = Main->MultiLang->LangFileName;
    Open();
    EXPECT_EQ(Dialog->LBLangFiles->GetItemIndex(), -1);
    Dialog->BBOk->Click();
    EXPECT_EQ(Main->MultiLang->LangFileName, language);
}

TEST_F(TSettingsDialog, ThroughTheActionOkPersistsAtTheEndAndCancelChangesNothing)
{
    StartWithLanguages("english.lng");
    {
        TModalActor<TFSettings> cancel([](TFSettings& Dialog) {
            Dialog.SEUpdateStatusInterval->SetValue(2500);
            Dialog.BBCancel->Click();
        });
        Main->AFileSettings->Execute();
        ASSERT_TRUE(cancel.Ran);
    }
    EXPECT_EQ(AppSettings.UpdateStatusInterval, 700u);
    {
        TModalActor<TFSettings> ok([](TFSettings& Dialog) {
            Dialog.SEUpdateStatusInterval->SetValue(2500);
            Dialog.SEDataAccuracy->SetValue(3);
            Dialog.BBOk->Click();
        });
        Main->AFileSettings->Execute();
        ASSERT_TRUE(ok.Ran);
    }
    EXPECT_EQ(AppSettings.UpdateStatusInterval, 2500u);
    // The dialog is gone once closed.
    for (int i = 0; i < Screen->FormCount(); ++i) EXPECT_EQ(dynamic_cast<TFSettings*>(Screen->Forms(i)), nullptr);
    // Not in the file before the program ends.
    EXPECT_EQ(ReadFileText(Dir.File("zel.ini")).find("UpdateStatusInterval=2500"), std::string::npos);
    DestroyForms();
    const std::string ini = ReadFileText(Dir.File("zel.ini"));
    EXPECT_NE(ini.find("UpdateStatusInterval=2500"), std::string::npos) << ini;
    EXPECT_NE(ini.find("ADCDataAccuracy=3"), std::string::npos) << ini;
    EXPECT_NE(ini.find("UpdateReceivedDataInterval=1200"), std::string::npos) << ini;
}

TEST_F(TSettingsDialog, EmptyLanguageFolderGivesAnEmptyList)
{
    Start("[Common]\n" + Libraries());
    Open();
    EXPECT_EQ(Dialog->LBLangFiles->Count(), 0);
    Dialog->SEDataAccuracy->SetValue(0);
    Dialog->BBOk->Click();
    EXPECT_EQ(AppSettings.ADCDataAccuracy, 0);
}

}  // namespace
