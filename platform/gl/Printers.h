// The framework's printer: resolution and printable page size in printer dots, and one
// print job at a time drawn on its canvas. Without a printer on the system (or when an
// output file is named) the job is written as a PDF file.
#pragma once
#include <memory>
#include <string>
#include "platform/ui/Graphics.h"

class QPrinter;
class QPainter;

class TPrinter {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // A PDF file that receives the next jobs (empty: the system's default printer).
    void SetOutputFileName(const std::string& FileName);
    int PixelsPerInchX() const;
    int PixelsPerInchY() const;
    // The printable area of the page.
    int PageWidth() const;
    int PageHeight() const;

    // False when the job cannot start (no printer, an output file that cannot be written).
    bool BeginDoc();
    void EndDoc();
    bool Printing() const { return FPainter != nullptr; }
    // Drawing on the page while a job runs.
    TCanvas* Canvas() const { return FCanvas.get(); }

private:
    std::unique_ptr<QPrinter> FPrinter;
    std::unique_ptr<QPainter> FPainter;
    std::unique_ptr<TCanvas> FCanvas;
};

// The process's one printer.
TPrinter* Printer();
