// Shared set-up of the graph tests: a settings file in a temporary program folder, the
// main window's child-window area, and tables with named columns.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "TestSupport.h"
#include "platform/tabrix/SXDataSet.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "zel/core/Common.h"
#include "zel/experiment/Ugraphprop.h"
#include "zel/experiment/Usedatasetmanager.h"

// Every test starts with the built-in defaults, not yet read, and a fresh zel.ini.
class TGraphSettingsFixture : public ::testing::Test {
protected:
    void StartWith(const std::string& Ini)
    {
        WriteFileText(Dir.File("zel.ini"), Ini);
        FSavedExe = Application->ExeName();
        Application->SetExeName(Dir.File("zel"));
        InitCommon();
        DefaultLineProp = TZelGraphLineProp();
        DefaultAxisProp = TZelGraphAxisProp();
        DefaultGraphProp = TZelGraphProp();
        GraphDefaultsLoaded = false;
    }
    void TearDown() override
    {
        if (IniFile) {
            DoneCommon();
            Application->SetExeName(FSavedExe);
        }
    }
    TTempDir Dir;
    std::string FSavedExe;
};

// One column of a test table: full name, short name, unit.
struct TTestColumn {
    const char* Name;
    const char* ShortName;
    const char* Unit;
};

inline ISXDataField* MakeTable(ISXDataSet* Set, const char* Name, const std::vector<TTestColumn>& Columns)
{
    ISXDataField* field = TPTableData::CreateSXTableData(Set, "ZelTable", Name, static_cast<int>(Columns.size()), 100);
    TPTableData data(field);
    data.SetTableName(Name);
    for (size_t c = 0; c < Columns.size(); ++c) {
        TSXColumnInfo* info = data.GetColumnInfo(static_cast<int>(c));
        info->Flags = 0;
        WriteFixedText(info->Name, Columns[c].Name);
        WriteFixedText(info->ShortName, Columns[c].ShortName);
        WriteFixedText(info->Unit, Columns[c].Unit);
    }
    return field;
}

// Appends rows; each row gives one value per column.
inline void AddRows(ISXDataField* Field, const std::vector<std::vector<float>>& Rows)
{
    TPTableData data(Field);
    for (const auto& row : Rows) {
        data.AddRows(1);
        for (size_t c = 0; c < row.size(); ++c) data.SetData(static_cast<int>(c), data.GetNumRows() - 1, row[c]);
    }
}

// The use count of a set as the keeper has it.
inline int Uses(ISXDataSet* Set)
{
    const int count = UseDataSetManager.AddRef(Set) - 1;
    UseDataSetManager.Release(Set);
    return count;
}

// The main window's child-window area, made once for the test program.
inline TForm* MainArea()
{
    static TForm* main = [] {
        TForm* form = CreateForm<TForm>(nullptr);
        form->SetFormStyle(fsMDIForm);
        form->SetBounds(0, 0, 1000, 700);
        form->Show();
        return form;
    }();
    return main;
}
