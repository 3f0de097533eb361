#include "platform/ui/ProgramStyle.h"

#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWidget>
#include <optional>

namespace {

// Stands for one of the style's standard icons and asks the style for the real icon on
// first use, whatever that use is.
class TDeferredIconEngine : public QIconEngine {
public:
    TDeferredIconEngine(const QStyle* Style, QStyle::StandardPixmap Which, const QStyleOption* Option,
                        const QWidget* Widget)
        : Style(const_cast<QStyle*>(Style)), Which(Which), Widget(const_cast<QWidget*>(Widget))
    {
        // Standard icons read only the common part of an option (its direction).
        if (Option) this->Option = *Option;
    }
    void paint(QPainter* Painter, const QRect& Rect, QIcon::Mode Mode, QIcon::State State) override
    {
        Real().paint(Painter, Rect, Qt::AlignCenter, Mode, State);
    }
    QPixmap pixmap(const QSize& Size, QIcon::Mode Mode, QIcon::State State) override
    {
        return Real().pixmap(Size, Mode, State);
    }
    QPixmap scaledPixmap(const QSize& Size, QIcon::Mode Mode, QIcon::State State, qreal Scale) override
    {
        return Real().pixmap(Size, Scale, Mode, State);
    }
    QSize actualSize(const QSize& Size, QIcon::Mode Mode, QIcon::State State) override
    {
        return Real().actualSize(Size, Mode, State);
    }
    QList<QSize> availableSizes(QIcon::Mode Mode, QIcon::State State) override
    {
        return Real().availableSizes(Mode, State);
    }
    bool isNull() override { return Real().isNull(); }
    QString iconName() override { return Real().name(); }
    QString key() const override { return QStringLiteral("ZelDeferredStandardIcon"); }
    QIconEngine* clone() const override { return new TDeferredIconEngine(*this); }

private:
    const QIcon& Real()
    {
        if (!Made) {
            // The style outlives its icons as a rule; one that went first leaves an empty icon.
            if (Style) Icon = Style->standardIcon(Which, Option ? &*Option : nullptr, Widget);
            Made = true;
        }
        return Icon;
    }
    // Held only to be asked; QPointer cannot hold a pointer to const.
    QPointer<QStyle> Style;
    QStyle::StandardPixmap Which;
    std::optional<QStyleOption> Option;
    QPointer<QWidget> Widget;
    QIcon Icon;
    bool Made = false;
};

class TProgramStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap Which, const QStyleOption* Option, const QWidget* Widget) const override
    {
        return QIcon(new TDeferredIconEngine(baseStyle(), Which, Option, Widget));
    }
};

}  // namespace

QStyle* NewProgramStyle() { return new TProgramStyle(); }
