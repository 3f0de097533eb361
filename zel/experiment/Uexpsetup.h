// The experiment set-up window: the experiment description and solution composition, the
// experiment register of data-set files, and the view and text export of one table.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>
#include "kvc/KvEdit.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Grids.h"
#include "platform/ui/PopupMenu.h"
#include "platform/ui/RxSpin.h"
#include "platform/ui/StdCtrls.h"
#include "platform/base/FileDates.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Windowroles.h"
#include "zel/experiment/Expregister.h"
#include "zel/experiment/Tablegridsource.h"
#include "zel/experiment/Tablesource.h"

class ISXDataSet;
class ISXDataField;

// The component grid: asks the window before another cell is selected.
class TNodesGrid : public TStringGrid {
public:
    using TStringGrid::TStringGrid;
    std::function<bool(int Col, int Row)> OnSelectCellQuery;

protected:
    bool SelectCell(int Col, int Row) override;
};

class TFExpSetup : public TToolWindow, public IRegisterWindow, public ITableSource {
public:
    explicit TFExpSetup(TComponent* Owner);
    ~TFExpSetup() override;

    // Description page.
    TPageControl* PageControl;
    TTabSheet* tsDescription;
    TTabSheet* tsDataSheets;
    TGroupBox* gbDataList;
    TLabel* LUserName;
    TLabel* LCompoundName;
    TLabel* LSubstrate;
    TLabel* LSubphase;
    TLabel* LTemperature;
    TComboBox* CBUserName;
    TComboBox* CBCompoundName;
    TComboBox* CBSubstrate;
    TComboBox* CBSubphase;
    TComboBox* CBTemperature;
    TGroupBox* gbWorkingDir;
    TDirectoryEdit* DEWorkingDir;
    TGroupBox* gbSolution;
    TLabel* LCompositionCount;
    KVC::TKvEdit* EDCompositionCount;
    TButton* btnCompCountDown;
    TButton* btnCompCountUp;
    TLabel* LVolumeOfSolvent;
    KVC::TKvEdit* EDVolumeOfSolvent;
    TLabel* LAliquot;
    KVC::TKvEdit* EDAliquot;
    TLabel* LSurfaceArea;
    TLabel* STSurfaceArea;
    TNodesGrid* SGNodes;

    // Data sheets page.
    TGroupBox* gbExperiments;
    TGroupBox* gbOperations;
    TStringGrid* DBGrid;
    TButton* SBLoadUnload;
    TPanel* DBNavigator;
    // The navigator's buttons in their order: first, prior, next, last, insert, delete.
    enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete };
    TSpeedButton* NavigatorButtons[nbDelete + 1];
    TPopupMenu* PopupMenu;
    TMenuItem* MILoadUnload;
    TMenuItem* MIUnloadAll;
    TMenuItem* MIRemoveEmpty;
    TMenuItem* MIClearTable;
    TMenuItem* miShowInfo;
    TMenuItem* MIExport;
    TGroupBox* gbExperimentTables;
    TComboBox* CBExperimentTables;
    TGroupBox* gbExperimentData;
    TStringGrid* SGExperimentData;
    TGroupBox* gbCreateGraph;
    TLabel* LGraphBottomAxis;
    TLabel* LGraphLeftAxis;
    TLabel* LGraphRightAxis;
    TComboBox* CBGraphBottomAxis;
    TComboBox* CBGraphLeftAxis;
    TComboBox* CBGraphRightAxis;
    TButton* SBCreateGraph;

    TExpRegister ExpTable;

    // Texts for the rest of the program.
    std::string GetUserName() const { return CBUserName->GetText(); }
    std::string GetCompoundName() const { return CBCompoundName->GetText(); }
    std::string GetSubstrate() const { return CBSubstrate->GetText(); }
    std::string GetSubphase() const { return CBSubphase->GetText(); }
    std::string GetTemperature() const { return CBTemperature->GetText(); }
    std::string GetWorkDir() const;
    std::string GetDescriptionText() const;
    std::string GetDeviceInfoText() const;

    // Solution composition.
    double CalcMoleculeCount();
    double AreaPerMolecule(double Area);
    void EDAliquotEnterValue(TObject* Sender);
    void EDCompositionCountEnterValue(TObject* Sender);
    void ComboExit(TComboBox* Combo);
    void SGNodesKeyPress(char& Key);
    bool ValidateNodeCell(int Col, int Row);

    // New data-set files.
    static std::string MakeDataFileName(const TLocalDateTime& Now);
    std::string NewDataFileName() const;
    std::string NewDataFileName(const TLocalDateTime& Now) const;

    // The register.
    int RecNo() const { return FRecNo; }
    void Scroll(int Index);
    ISXDataSet* CurrentDataSet() const { return FCurrentDataSet; }
    void AddDataSet(ISXDataField* Table);
    bool LocateDataSet(ISXDataField* Table);
    int ListTables(TStringList* List) const override { return ExpTable.ListTables(List); }
    ISXDataField* GetTableByName(const std::string& Name) override;
    int FindByDataName(const std::string& DataName) const { return ExpTable.FindByDataName(DataName); }
    void SBLoadUnloadClick(TObject* Sender);
    ISXDataSet* ReadDataSet(const std::string& FileName);
    void UnloadAll();
    void RemoveEmptyFileRecords();
    void ClearTable();
    void RunRegisterInsert() override;
    void DeleteRecord();
    // The operator's edit of one text field of the current record (the file name renames).
    bool EditField(TRegField Field, const std::string& Text);
    void SortByColumn(int GridColumn);
    void NavigatorClick(TNavigateBtn Button);
    // Whether the operator may edit the register grid's cell.
    bool RegisterCellEditable(int Col, int Row) const;
    void RegisterCellEdited(int Col, int Row, const std::string& Text);
    void UpdateTableNames();
    void ShowExperimentInfo();
    void WMSave();

    // Table view and export.
    ISXDataField* CurrentTable() const { return FCurrentTable; }
    void FillTableList();
    void CBExperimentTablesClick(TObject* Sender);
    void WMRowsAdded(ISXDataField* Table, int First, int Last);
    // Enter in a data cell writes its text into the table; leaving it unconfirmed drops it.
    void SGExperimentDataKeyPress(char& Key);
    void SBCreateGraphClick(TObject* Sender);
    bool ExportText(const std::string& FileName, ISXDataField* Table);

protected:
    void PrepareWindow() override;
    std::vector<TCaptionTarget> CaptionTargets() override;
    void LoadValues() override;
    void SaveValues() override;
    void WndProc(TMessage& Message) override;

private:
    // The description lists kept in the settings, each with its key.
    std::vector<std::pair<TComboBox*, const char*>> StoredLists() const;
    void CompositionCountChanged();
    void BuildRegisterControls();
    void BuildCreateGraphControls();
    void EnableCreateGraph(bool Enabled);
    void FillAxisLists();
    void UpdateRegisterMenu();
    void RefreshRegisterGrid();
    // The button and its popup item offer what the selected record allows: "Unload" while
    // it holds a set, "Load" while not.
    void ShowLoadState();
    void PostRecord(const TRegRecord& Record);
    bool PostWithRules(const TRegRecord& Before, const TRegRecord& After);

    int FRecNo = -1;
    ISXDataSet* FCurrentDataSet = nullptr;
    // The set AddDataSet is entering while its first file is written aside.
    ISXDataSet* FEnteringSet = nullptr;
    ISXDataField* FCurrentTable = nullptr;
    TTableGridSource FTableSource;
    std::string FSavedNodeText;
    int FNodeCol = 1, FNodeRow = 1;
};

extern TFExpSetup* FExpSetup;
