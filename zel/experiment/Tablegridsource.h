// A table of a data set as the cells of a grid: a title row of column headings, a column
// of row numbers, and each value made into text only when the grid asks for it.
#pragma once
#include <memory>
#include <string>
#include "platform/ui/GridSource.h"

class ISXDataField;
class TPTableData;
struct TSXColumnInfo;

// The column's short name, and its unit after Between when it has one.
std::string TableColumnHeading(const TSXColumnInfo& Info, const char* Between);
// A value as the table view shows it: fixed notation, 3 decimals, 12 digits of precision.
std::string TableValueText(float Value);

class TTableGridSource : public TGridSource {
public:
    TTableGridSource();
    ~TTableGridSource() override;

    // The table shown (null for none); held while shown, so a table whose set is gone
    // still answers.
    void SetTable(ISXDataField* Table);
    ISXDataField* Table() const;
    int TableRows() const;
    int TableColumns() const;

    // A table without rows still has one blank row under its titles.
    int ColCount() const override;
    int RowCount() const override;
    std::string CellText(int Col, int Row) const override;

private:
    std::unique_ptr<TPTableData> FData;
};
