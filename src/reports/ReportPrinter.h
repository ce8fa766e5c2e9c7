#pragma once
#include <QString>

class QPrinter;
class RenderedReport;

// Output of rendered pages on a printer or into a PDF file; failures throw HwError.
namespace ReportPrinter {
// Prints the printer's page range (all pages when none is chosen) at the report's paper size.
void print(const RenderedReport& report, QPrinter& printer);
void writePdf(const RenderedReport& report, const QString& fileName);
}
