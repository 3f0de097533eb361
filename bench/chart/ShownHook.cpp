// Loaded into a program before it starts (LD_PRELOAD) by the start-up benchmark: ends
// the process the moment the window titled $ZEL_BENCH_WINDOW_TITLE first paints, so
// that the process's lifetime is its start-up up to its main window shown.
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <cstdlib>
#include <string>

namespace {

class TShownWatch : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* Target, QEvent* Event) override
    {
        if (Event->type() == QEvent::Paint) {
            auto* widget = qobject_cast<QWidget*>(Target);
            if (widget && widget->isWindow() && widget->windowTitle().toStdString() == Title()) std::_Exit(0);
        }
        return false;
    }
    static std::string Title()
    {
        const char* title = std::getenv("ZEL_BENCH_WINDOW_TITLE");
        return title ? title : "";
    }
};

void Watch() { QCoreApplication::instance()->installEventFilter(new TShownWatch(QCoreApplication::instance())); }

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Watch)
