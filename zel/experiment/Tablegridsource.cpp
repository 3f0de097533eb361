#include "zel/experiment/Tablegridsource.h"

#include <algorithm>

#include "platform/tabrix/SXDataSet.h"
#include "platform/base/FloatFormat.h"

std::string TableColumnHeading(const TSXColumnInfo& Info, const char* Between)
{
    const std::string Unit = ReadFixedText(Info.Unit);
    return ReadFixedText(Info.ShortName) + (Unit.empty() ? std::string() : Between + Unit);
}

std::string TableValueText(float Value) { return FloatToStrF(Value, ffFixed, 12, 3); }

TTableGridSource::TTableGridSource() = default;
TTableGridSource::~TTableGridSource() = default;

void TTableGridSource::SetTable(ISXDataField* Table)
{
    FData.reset();
    if (!Table) return;
    FData = std::make_unique<TPTableData>(Table);
    if (!FData->Valid) FData.reset();
}

ISXDataField* TTableGridSource::Table() const { return FData ? FData->Field : nullptr; }

int TTableGridSource::TableRows() const { return FData ? FData->GetNumRows() : 0; }

int TTableGridSource::TableColumns() const { return FData ? FData->GetNumColumns() : 0; }

int TTableGridSource::ColCount() const { return TableColumns() + 1; }

int TTableGridSource::RowCount() const { return std::max(TableRows(), 1) + 1; }

std::string TTableGridSource::CellText(int Col, int Row) const
{
    if (!FData || Col < 0 || Col > TableColumns() || Row < 0 || Row > TableRows()) return {};
    if (Row == 0) {
        const TSXColumnInfo* Info = Col > 0 ? FData->GetColumnInfo(Col - 1) : nullptr;
        return Info ? TableColumnHeading(*Info, ", ") : std::string();
    }
    if (Col == 0) return std::to_string(Row);
    return TableValueText(FData->GetData(Col - 1, Row - 1));
}
