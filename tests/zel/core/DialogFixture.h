// Acting on a modal dialog from inside its own loop: the actor polls the forms from a
// timer and acts once on the first dialog of its type that is shown modally.
#pragma once
#include <QTimer>

#include <functional>

#include "platform/ui/Forms.h"

template <class TDialog>
class TModalActor {
public:
    explicit TModalActor(std::function<void(TDialog&)> Act) : FAct(std::move(Act))
    {
        FTimer.setInterval(5);
        QObject::connect(&FTimer, &QTimer::timeout, [this] { Poll(); });
        FTimer.start();
    }
    bool Ran = false;

private:
    void Poll()
    {
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (auto* dialog = dynamic_cast<TDialog*>(Screen->Forms(i)); dialog && dialog->Modal()) {
                FTimer.stop();
                Ran = true;
                FAct(*dialog);
                return;
            }
    }
    std::function<void(TDialog&)> FAct;
    QTimer FTimer;
};
