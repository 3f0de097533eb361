// A stand-in for a process window of which other windows write only the two dipper limit
// fields (the dipping and the deposition window): a window of the given kind with the
// fields, filled through the operations the real window offers.
#pragma once
#include "platform/ui/RxSpin.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Windowroles.h"

template <TToolWindowKind WindowKind>
class TLimitFieldsProbe : public TToolWindow, public IDipperLimitsWindow {
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
    void SetDipperUpLimit(double Mm) override { SEUpperLimit->SetValue(Mm); }
    void SetDipperDownLimit(double Mm) override { SELowerLimit->SetValue(Mm); }
    TRxSpinEdit* SEUpperLimit;
    TRxSpinEdit* SELowerLimit;
};
