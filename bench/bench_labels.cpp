// Label sheets to PDF.
//   bench_labels [labels] [rounds]
// Default 2,400 labels (100 sheets of 3 × 8) with QR codes, rendered and written to a PDF, in
// pages per second; the floor is the same sheets with each code's value as plain text instead
// of the code, rendered and written in the same run. Every round times both; the best round of
// each counts.
#include "Etiketten.h"
#include "RenderedReport.h"
#include "ReportPrinter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

QList<EtikettDaten> leitern(int n)
{
    QList<EtikettDaten> out;
    out.reserve(n);
    for (int i = 0; i < n; ++i)
        out << EtikettDaten{i + 1, 100000 + i, QStringLiteral("Mehrzweckleiter %1 Sprossen").arg(3 + i % 14),
                            QStringLiteral("Holmwacht GmbH - Werk %1 - Halle %2").arg(1 + i % 3).arg(1 + i % 17),
                            QDate(2027, 1, 1).addDays(i % 365)};
    return out;
}

struct Lauf {
    double ms = 0;
    int seiten = 0;
    qint64 bytes = 0;
};

Lauf messen(bool codes, const QList<EtikettDaten>& liste, const QString& pdf)
{
    const EtikettenFormat format = EtikettenFormat::standard().first();
    EtikettInhalt inhalt;
    inhalt.art = BarcodeArt::QrCode;
    inhalt.freieZeile = true;
    inhalt.freierText = QStringLiteral("Prüfdienst Nord");
    QElapsedTimer t;
    t.start();
    auto report = codes ? Etiketten::rendern(format, inhalt, 1, liste) : Etiketten::rendernOhneCodes(format, inhalt, 1, liste);
    ReportPrinter::writePdf(*report, pdf);
    Lauf l;
    l.ms = t.nsecsElapsed() / 1e6;
    l.seiten = report->pageCount();
    l.bytes = QFileInfo(pdf).size();
    return l;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int anzahl = argc > 1 ? atoi(argv[1]) : 2400;
    const int runden = argc > 2 ? atoi(argv[2]) : 3;
    const QList<EtikettDaten> liste = leitern(anzahl);
    QTemporaryDir dir;
    Lauf besteCodes, besteText;
    for (int r = 0; r < runden; ++r) {
        // Alternating, so neither side profits from a warmer machine.
        const Lauf text = messen(false, liste, dir.filePath("text.pdf"));
        const Lauf codes = messen(true, liste, dir.filePath("codes.pdf"));
        std::printf("round %d: QR %.0f ms, text %.0f ms\n", r + 1, codes.ms, text.ms);
        if (r == 0 || codes.ms < besteCodes.ms)
            besteCodes = codes;
        if (r == 0 || text.ms < besteText.ms)
            besteText = text;
    }
    const double ratio = besteCodes.ms / besteText.ms;
    std::printf("labels %d, pages %d\n", anzahl, besteCodes.seiten);
    std::printf("QR codes:   %8.1f ms  %7.1f pages/s  PDF %lld KB\n", besteCodes.ms,
                besteCodes.seiten * 1000.0 / besteCodes.ms, besteCodes.bytes / 1024);
    std::printf("plain text: %8.1f ms  %7.1f pages/s  PDF %lld KB\n", besteText.ms,
                besteText.seiten * 1000.0 / besteText.ms, besteText.bytes / 1024);
    std::printf("ratio QR / text: %.2f (goal <= 2)\n", ratio);
    return 0;
}
