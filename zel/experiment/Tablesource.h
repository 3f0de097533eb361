// Where a graph finds tables beyond its own run's: the source lists them by the names it
// offers the operator and gives the table of such a name. The experiment register is
// one; the graph windows and their property dialog know only this.
#pragma once
#include <string>

class ISXDataField;
class TStringList;

class ITableSource {
public:
    // Appends the names of the tables on offer; returns how many there are.
    virtual int ListTables(TStringList* List) const = 0;
    // The table of a listed name (its data set loaded if need be); null when there is none.
    virtual ISXDataField* GetTableByName(const std::string& Name) = 0;

protected:
    ~ITableSource() = default;
};
