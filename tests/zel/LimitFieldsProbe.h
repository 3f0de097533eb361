// A stand-in for a process window of which other windows write only the two dipper limit
// fields (the dipping and the deposition window): a window of the given kind with the
// fields under their names, as the real window sets them up.
#pragma once
#include "platform/ui/RxSpin.h"
#include "zel/core/Toolwindow.h"

template <TToolWindowKind WindowKind>
class TLimitFieldsProbe : public TToolWindow {
public:
    explicit TLimitFieldsProbe(TComponent* Owner) : TToolWindow(Owner, WindowKind)
    {
        for (auto [field, name] :
             {std::pair{&SEUpperLimit, "SEUpperLimit"}, std::pair{&SELowerLimit, "SELowerLimit"}}) {
            *field = new TRxSpinEdit(this);
            (*field)->Name = name;
            (*field)->SetValueType(vtFloat);
            (*field)->SetDecimal(1);
            (*field)->SetMinValue(-100000);
            (*field)->SetMaxValue(100000);
            (*field)->SetParent(this);
        }
    }
    TRxSpinEdit* SEUpperLimit;
    TRxSpinEdit* SELowerLimit;
};
