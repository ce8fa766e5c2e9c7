#include "ExportDialog.h"

#include "Dialogs.h"
#include "Errors.h"
#include "TabellenExport.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

namespace {
QString& letztesVerzeichnis()
{
    static QString dir = QDir::homePath();
    return dir;
}
} // namespace

void exportiereMitDialog(QWidget* parent, const ExportTabelle& tabelle, const QString& vorschlag)
{
    const QString file = Dialogs::saveFileName(parent, QStringLiteral("Export"),
                                               QDir(letztesVerzeichnis()).filePath(vorschlag + QStringLiteral(".xlsx")),
                                               exportDateiFilter(), QStringLiteral("xlsx"));
    if (file.isEmpty())
        throw Abort();
    letztesVerzeichnis() = QFileInfo(file).absolutePath();

    std::unique_ptr<QProgressDialog> progress;
    ProgressCallback cb;
    if (tabelle.zeilen > 2000 && !Dialogs::testMode()) {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("Export nach %1 ..").arg(QFileInfo(file).fileName()),
                                                     QStringLiteral("Abbrechen"), 0, 1000, parent);
        progress->setWindowTitle(QStringLiteral("Export"));
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(300);
        cb = [p = progress.get()](qint64 done, qint64 total, const QString&) {
            p->setValue(total > 0 ? int(done * 1000 / total) : 0);
            QApplication::processEvents();
            return !p->wasCanceled();
        };
    }
    exportiere(tabelle, file, exportFormatFuer(file), cb);
    progress.reset();
    Dialogs::information(parent, QStringLiteral("%1 Zeilen exportiert nach\n%2")
                                     .arg(tabelle.zeilen)
                                     .arg(QDir::toNativeSeparators(file)),
                         QStringLiteral("Export"));
}
