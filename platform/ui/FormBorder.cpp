#include "platform/ui/FormBorder.h"

#include <QWidget>
#include "platform/ui/Forms.h"

void SetSizeableToolWindow(TForm* Form)
{
    if (!Form || !Form->Widget()) return;
    Form->Widget()->setWindowFlag(Qt::Tool, true);
}
