#include "platform/gl/Printers.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

TPrinter::TPrinter()
    : FPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)), FCanvas(std::make_unique<TCanvas>())
{
}

TPrinter::~TPrinter()
{
    if (Printing()) EndDoc();
}

void TPrinter::SetOutputFileName(const std::string& FileName)
{
    FPrinter->setOutputFileName(QString::fromStdString(FileName));
}

int TPrinter::PixelsPerInchX() const { return FPrinter->logicalDpiX(); }
int TPrinter::PixelsPerInchY() const { return FPrinter->logicalDpiY(); }
int TPrinter::PageWidth() const { return FPrinter->pageLayout().paintRectPixels(FPrinter->resolution()).width(); }
int TPrinter::PageHeight() const { return FPrinter->pageLayout().paintRectPixels(FPrinter->resolution()).height(); }

bool TPrinter::BeginDoc()
{
    if (Printing()) return false;
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(FPrinter.get())) return false;
    FPainter = std::move(painter);
    FCanvas->AttachPainter(FPainter.get());
    return true;
}

void TPrinter::EndDoc()
{
    if (!Printing()) return;
    FCanvas->DetachPainter();
    FPainter->end();
    FPainter.reset();
}

TPrinter* Printer()
{
    // Made on first use, when the application object exists, and kept to the end.
    static TPrinter* printer = new TPrinter;
    return printer;
}
