// Language files read through TKvMultiLang: names case-insensitive, file order, gaps,
// empty values, missing files and re-reading.
#include <gtest/gtest.h>
#include "TestSupport.h"
#include "kvc/KvMultiLang.h"

using KVC::TKvMultiLang;

namespace {
const char* Sample =
    "[Menu]\r\n"
    "FileItem=&Datei\r\n"
    "Empty=\r\n"
    "Quoted=\"so\"\r\n"
    "[IsothermCtrl]\r\n"
    "0=Isotherme\r\n"
    "1=\r\n"
    "2=Start\r\n"
    "4=after a gap\r\n"
    "[Resource]\r\n"
    "Zeta=letzte\r\n"
    "Alpha=erste\r\n"
    "Device not responding!=Gerät antwortet nicht!\r\n"
    "[NoZero]\r\n"
    "1=one\r\n";
}

TEST(KvMultiLang, WithoutAFileEveryRequestIsRefusedAndTouchesNothing)
{
    TKvMultiLang lang(nullptr);
    std::string text = "keep";
    TStringList items;
    items.Add("old");
    EXPECT_FALSE(lang.CheckLangFile());
    EXPECT_FALSE(lang.GetLangItem("Menu", "FileItem", &text));
    EXPECT_FALSE(lang.GetLangNumericItems("IsothermCtrl", "", &items));
    EXPECT_FALSE(lang.GetLangItems("Resource", &items));
    EXPECT_EQ(text, "keep");
    ASSERT_EQ(items.Count(), 1);
    EXPECT_EQ(items[0], "old");
}

TEST(KvMultiLang, ReadsItemsWithCaseInsensitiveNamesAndValuesAsStored)
{
    TTempDir dir;
    WriteFileText(dir.File("deutsch.lng"), Sample);
    TKvMultiLang lang(nullptr);
    lang.LangFileName = dir.File("deutsch.lng");

    std::string text = "File";
    EXPECT_TRUE(lang.GetLangItem("menu", "FILEITEM", &text));
    EXPECT_EQ(text, "&Datei");
    text = "Quoted";
    EXPECT_TRUE(lang.GetLangItem("Menu", "Quoted", &text));
    EXPECT_EQ(text, "\"so\"");
    text = "Caption";
    EXPECT_TRUE(lang.GetLangItem("Menu", "Missing", &text));
    EXPECT_EQ(text, "Caption") << "a missing key keeps the caption";
    EXPECT_TRUE(lang.GetLangItem("Menu", "Empty", &text));
    EXPECT_EQ(text, "") << "a present empty value empties the text";

    TStringList resource;
    resource.Add("stale");
    EXPECT_TRUE(lang.GetLangItems("RESOURCE", &resource));
    EXPECT_EQ(resource.Lines(), (std::vector<std::string>{"Zeta=letzte", "Alpha=erste",
                                                          "Device not responding!=Gerät antwortet nicht!"}));

    TStringList keys, values;
    keys.Add("alpha");
    keys.Add("nothing");
    keys.Add("Zeta");
    values.Add("stale");
    EXPECT_TRUE(lang.GetLangItems("Resource", &keys, &values));
    EXPECT_EQ(values.Lines(), (std::vector<std::string>{"erste", "", "letzte"}));
}

TEST(KvMultiLang, NumberedItemsStopAtTheFirstGapAndKeepEmptyValues)
{
    TTempDir dir;
    WriteFileText(dir.File("deutsch.lng"), Sample);
    TKvMultiLang lang(nullptr);
    lang.LangFileName = dir.File("deutsch.lng");

    TStringList items;
    items.Add("stale");
    EXPECT_TRUE(lang.GetLangNumericItems("isothermctrl", "", &items));
    EXPECT_EQ(items.Lines(), (std::vector<std::string>{"Isotherme", "", "Start"}));
    EXPECT_TRUE(lang.GetLangNumericItems("IsothermCtrl", nullptr, &items));
    EXPECT_EQ(items.Count(), 3) << "a null prefix reads 0, 1, 2, ...";
    EXPECT_TRUE(lang.GetLangNumericItems("NoZero", "", &items));
    EXPECT_EQ(items.Count(), 0);
    EXPECT_TRUE(lang.GetLangNumericItems("NoSuchSection", "", &items));
    EXPECT_EQ(items.Count(), 0);

    std::string text = "keep";
    EXPECT_FALSE(lang.GetLangItem(nullptr, "0", &text));
    EXPECT_FALSE(lang.GetLangNumericItems(nullptr, "", &items));
    EXPECT_FALSE(lang.GetLangItems(nullptr, &items));
    EXPECT_FALSE(lang.GetLangItem("Menu", "FileItem", nullptr));
    EXPECT_EQ(text, "keep");
}

TEST(KvMultiLang, PrefixedNumbersAreDecimalWithoutLeadingZeros)
{
    TTempDir dir;
    WriteFileText(dir.File("p.lng"), "[S]\nItem0=a\nItem1=b\nItem01=x\nItem2=c\n");
    TKvMultiLang lang(nullptr);
    lang.LangFileName = dir.File("p.lng");
    TStringList items;
    EXPECT_TRUE(lang.GetLangNumericItems("S", "Item", &items));
    EXPECT_EQ(items.Lines(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(KvMultiLang, MissingFileReadsAsEmptyAndEveryRequestSeesTheFileAsItIsNow)
{
    TTempDir dir;
    const std::string path = dir.File("later.lng");
    TKvMultiLang lang(nullptr);
    lang.LangFileName = path;
    std::string text = "Default";
    EXPECT_TRUE(lang.GetLangItem("Menu", "FileItem", &text));
    EXPECT_EQ(text, "Default");
    TStringList items;
    EXPECT_TRUE(lang.GetLangNumericItems("IsothermCtrl", "", &items));
    EXPECT_EQ(items.Count(), 0);

    WriteFileText(path, "[Menu]\nFileItem=First\n");
    EXPECT_TRUE(lang.GetLangItem("Menu", "FileItem", &text));
    EXPECT_EQ(text, "First");
    WriteFileText(path, "[Menu]\nFileItem=Second\n");
    EXPECT_TRUE(lang.GetLangItem("Menu", "FileItem", &text));
    EXPECT_EQ(text, "Second");
}

TEST(KvMultiLang, ChangedNameReopensAndAnEmptiedNameKeepsTheLastFile)
{
    TTempDir dir;
    WriteFileText(dir.File("a.lng"), "[Menu]\nFileItem=lower\n");
    WriteFileText(dir.File("A.lng"), "[Menu]\nFileItem=upper\n");
    TKvMultiLang lang(nullptr);
    std::string text;
    lang.LangFileName = dir.File("a.lng");
    EXPECT_TRUE(lang.GetLangItem("Menu", "FileItem", &text));
    EXPECT_EQ(text, "lower");
    lang.LangFileName = dir.File("A.lng");  // same path in other letter case
    EXPECT_TRUE(lang.GetLangItem("Menu", "FileItem", &text));
    EXPECT_EQ(text, "upper");
    lang.LangFileName.clear();
    EXPECT_TRUE(lang.CheckLangFile());
    EXPECT_TRUE(lang.GetLangItem("Menu", "FileItem", &text));
    EXPECT_EQ(text, "upper");
}

TEST(KvMultiLang, ManyNumberedItemsComeInOrderAndTheFirstOfEqualKeysCounts)
{
    // A long list, each item also present a second time in another case further down;
    // the first one of two equal keys is the one that is read, as for a single item.
    TTempDir dir;
    std::string text = "[Other]\n1=not this\n[Big]\n";
    const int count = 3000;
    for (int i = 0; i < count; ++i) text += "Item" + std::to_string(i) + "=value " + std::to_string(i) + "\n";
    for (int i = 0; i < count; ++i) text += "ITEM" + std::to_string(i) + "=second " + std::to_string(i) + "\n";
    WriteFileText(dir.File("big.lng"), text);
    TKvMultiLang lang(nullptr);
    lang.LangFileName = dir.File("big.lng");
    TStringList items;
    ASSERT_TRUE(lang.GetLangNumericItems("big", "item", &items));
    ASSERT_EQ(items.Count(), count);
    for (int i = 0; i < count; ++i) ASSERT_EQ(items[i], "value " + std::to_string(i));
    std::string single;
    EXPECT_TRUE(lang.GetLangItem("Big", "item2999", &single));
    EXPECT_EQ(single, "value 2999");
    TStringList lines;
    ASSERT_TRUE(lang.GetLangItems("Big", &lines));
    EXPECT_EQ(lines.Count(), count);
}
