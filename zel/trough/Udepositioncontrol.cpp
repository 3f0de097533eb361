#include "zel/trough/Udepositioncontrol.h"

#include <vector>

namespace {

const std::vector<TRunColumn> DepositionColumns = {
    {"Barrier Position (BPos)", "BPos", "mm"},
    {"Trough Area (TA)", "TA", "cm2"},
    {"Trough Area Increment (dTA)", "dTA", "cm2"},
    {"Area Per Molecule (MA)", "MA", "nm^2"},
    {"Surface pressure (SP)", "SP", "mN/m"},
    {"Time (t)", "t", "s"},
    {"Length of a way of immersing (l)", "l", "mm"},
    {"Transfer (R)", "R", ""},
    {"Layer number (Z)", "Z", ""},
    {"R/Z", "R/Z", ""},
};

constexpr int colTransfer = 7;
constexpr int colLayer = 8;
constexpr int colTransferPerLayer = 9;

}  // namespace

std::unique_ptr<TPTableData> CreateDepositionTable(ISXDataSet* DataSet, const std::string& Name)
{
    return CreateRunTable(DataSet, Name, DepositionColumns, colLayer, colTransfer, colTransferPerLayer);
}
