// The program's style on real widgets (offscreen): its standard icons, made before
// anything asks to draw them, draw as the platform's default style draws its own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolBar>
#include <QToolButton>
#include <memory>

namespace {

// A fresh instance of the style the program's style draws with.
std::unique_ptr<QStyle> DefaultStyle()
{
    const auto* proxy = qobject_cast<const QProxyStyle*>(QApplication::style());
    return std::unique_ptr<QStyle>(QStyleFactory::create((proxy ? proxy->baseStyle() : QApplication::style())->name()));
}

QImage Painted(const QIcon& Icon, QIcon::Mode Mode)
{
    QImage image(40, 30, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    Icon.paint(&painter, QRect(3, 2, 33, 25), Qt::AlignCenter, Mode);
    return image;
}

TEST(ProgramStyle, StandardIconsDrawAsTheDefaultStylesOwn)
{
    QStyle* program = QApplication::style();
    const std::unique_ptr<QStyle> plain = DefaultStyle();
    ASSERT_NE(plain, nullptr);
    QStyleOption rightToLeft;
    rightToLeft.direction = Qt::RightToLeft;
    const struct {
        QStyle::StandardPixmap Which;
        const QStyleOption* Option;
    } cases[] = {
        {QStyle::SP_ToolBarHorizontalExtensionButton, nullptr},
        {QStyle::SP_ToolBarHorizontalExtensionButton, &rightToLeft},
        {QStyle::SP_ToolBarVerticalExtensionButton, nullptr},
        {QStyle::SP_MessageBoxWarning, nullptr},
        {QStyle::SP_TitleBarCloseButton, nullptr},
        {QStyle::SP_ArrowBack, &rightToLeft},
        {QStyle::SP_DialogOkButton, nullptr},
        {QStyle::SP_CustomBase, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "pixmap " << c.Which << (c.Option ? " right to left" : ""));
        const QIcon mine = program->standardIcon(c.Which, c.Option);
        const QIcon theirs = plain->standardIcon(c.Which, c.Option);
        ASSERT_EQ(mine.isNull(), theirs.isNull());
        if (theirs.isNull()) continue;
        EXPECT_EQ(mine.availableSizes(), theirs.availableSizes());
        EXPECT_EQ(mine.actualSize(QSize(32, 32)), theirs.actualSize(QSize(32, 32)));
        for (int size : {8, 16, 32}) EXPECT_EQ(mine.pixmap(size).toImage(), theirs.pixmap(size).toImage()) << size;
        for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled})
            EXPECT_EQ(Painted(mine, mode), Painted(theirs, mode)) << mode;
        // A copy draws the same, also after the original has been drawn.
        const QIcon copy = mine;
        EXPECT_EQ(copy.pixmap(16).toImage(), theirs.pixmap(16).toImage());
    }
}

TEST(ProgramStyle, ToolBarsOverflowButtonShowsTheDefaultStylesArrow)
{
    const std::unique_ptr<QStyle> plain = DefaultStyle();
    ASSERT_NE(plain, nullptr);
    QToolBar bar;
    QToolButton* overflow = bar.findChild<QToolButton*>("qt_toolbar_ext_button");
    ASSERT_NE(overflow, nullptr);
    EXPECT_EQ(overflow->icon().pixmap(16).toImage(),
              plain->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).pixmap(16).toImage());
}

}  // namespace
