// TFDepositionCtrl: Langmuir-Blodgett deposition. The module's table factory is shared
// with the script window, which records its dipping runs in the same layout.
#pragma once
#include <memory>
#include <string>
#include "zel/trough/Uprocesswindow.h"

// The deposition table: barrier position, trough area and its change, area per molecule,
// surface pressure, time, immersion length, transfer ratio, layer number and their ratio;
// layer number on X, transfer on the left axis, R/Z on the right. Null when the table
// cannot be made.
std::unique_ptr<TPTableData> CreateDepositionTable(ISXDataSet* DataSet, const std::string& Name);
