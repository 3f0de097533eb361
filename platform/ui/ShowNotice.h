// A widget that tells its control as it is about to show for the first time. Parts that
// only a shown widget needs are made then: most controls belong to windows that stay hidden
// at start-up, and making those parts for every one of them is costly. (Every widget is
// styled at start-up, hidden or not, so styling comes too early to wait for.)
#pragma once

#include <QEvent>
#include <functional>
#include <utility>

template <class Widget>
class TShowNotice : public Widget {
public:
    using Widget::Widget;
    std::function<void()> BeforeFirstShow;

protected:
    bool event(QEvent* Event) override
    {
        if (Event->type() == QEvent::Show && BeforeFirstShow) std::exchange(BeforeFirstShow, nullptr)();
        return Widget::event(Event);
    }
};
