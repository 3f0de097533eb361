#include "kvc/KvStrokedSelector.h"

#include "kvc/KvStore.h"

namespace KVC {

TKvStrokedSelector::TKvStrokedSelector(TComponent* Owner)
    : TKvCustomImageSelector(Owner), FPen(std::make_unique<TPen>())
{
}

TKvStrokedSelector::~TKvStrokedSelector() = default;

void TKvStrokedSelector::SetPen(const TPen* Value)
{
    if (Value && Value != FPen.get()) FPen->Assign(*Value);
}

void TKvStrokedSelector::SetPenBackColor(TColor Value) { Store(FPenBackColor, Value); }
void TKvStrokedSelector::SetPenStripy(bool Value) { Store(FPenStripy, Value); }
void TKvStrokedSelector::SetShiftStateMove(TShiftState Value) { Store(FShiftStateMove, Value); }
void TKvStrokedSelector::SetPenStripyLineWidth(int Value) { Store(FPenStripyLineWidth, Value); }
void TKvStrokedSelector::SetPenStripyTickLen(int Value) { Store(FPenStripyTickLen, Value); }

}  // namespace KVC
