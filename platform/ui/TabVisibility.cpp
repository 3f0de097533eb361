#include "platform/ui/TabVisibility.h"

#include <QTabWidget>

namespace {

QTabWidget* TabsOf(const TTabSheet* Sheet)
{
    if (!Sheet || !Sheet->GetPageControl()) return nullptr;
    return qobject_cast<QTabWidget*>(Sheet->GetPageControl()->Widget());
}

}  // namespace

void SetTabVisible(TTabSheet* Sheet, bool Visible)
{
    QTabWidget* tabs = TabsOf(Sheet);
    if (!tabs) return;
    const int index = tabs->indexOf(Sheet->Widget());
    if (index >= 0) tabs->setTabVisible(index, Visible);
}

bool GetTabVisible(const TTabSheet* Sheet)
{
    QTabWidget* tabs = TabsOf(Sheet);
    if (!tabs) return false;
    const int index = tabs->indexOf(Sheet->Widget());
    return index >= 0 && tabs->isTabVisible(index);
}
