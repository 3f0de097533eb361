// Cells kept outside a grid: the grid asks for the counts and for one cell's text at a
// time, only for the cells it draws or is asked about. Counts include the fixed title
// row and column.
#pragma once
#include <string>

class TGridSource {
public:
    virtual ~TGridSource() = default;
    virtual int ColCount() const = 0;
    virtual int RowCount() const = 0;
    virtual std::string CellText(int Col, int Row) const = 0;
};
