// "Datei → Daten übernehmen …" (a register kept as Paradox tables), "Datensicherung …",
// "Datensicherung zurückladen …" and the daily automatic backup set in tarvino.ini.
#include "Features.h"

#include "AppConfig.h"
#include "Backend.h"
#include "DataControls.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "Engine.h"
#include "LeiterVerlassen.h"
#include "LeiterVerw.h"
#include "MainMenus.h"
#include "ParadoxImport.h"
#include "RegisterBackup.h"
#include "Table.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTimer>

namespace {

const QString kImportCaption = QStringLiteral("Daten übernehmen");
const QString kBackupCaption = QStringLiteral("Datensicherung");
const QString kRestoreCaption = QStringLiteral("Datensicherung zurückladen");

// The folder of the old tables and that of the backups are remembered apart.
QString& lastFolder()
{
    static QString dir = QDir::homePath();
    return dir;
}
QString& lastBackupFolder()
{
    static QString dir = [] {
        const QString daily = RegisterBackup::readDailySettings(settingsFilePath()).folder;
        return daily.isEmpty() ? QDir::homePath() : daily;
    }();
    return dir;
}

QString germanDateTime(const QDateTime& t) { return QLocale(QLocale::German).toString(t, QStringLiteral("dd.MM.yyyy HH:mm")); }
QString number(qint64 n) { return QLocale(QLocale::German).toString(n); }

// A modal progress window with "Abbrechen"; none in test mode, where nothing may block.
class Progress {
public:
    Progress(QWidget* parent, const QString& text, const QString& caption)
    {
        if (Dialogs::testMode())
            return;
        m_dialog = std::make_unique<QProgressDialog>(text, QStringLiteral("Abbrechen"), 0, 1000, parent);
        m_dialog->setWindowTitle(caption);
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setMinimumDuration(300);
        m_dialog->setMinimumWidth(420);
    }
    ProgressCallback callback()
    {
        if (!m_dialog)
            return {};
        return [d = m_dialog.get()](qint64 done, qint64 total, const QString& what) {
            d->setLabelText(total > 0 ? QStringLiteral("%1\n%2 von %3").arg(what, number(done), number(total)) : what);
            d->setValue(total > 0 ? int(done * 1000 / total) : 0);
            QApplication::processEvents();
            return !d->wasCanceled();
        };
    }
    void close() { m_dialog.reset(); }

private:
    std::unique_ptr<QProgressDialog> m_dialog;
};

// The register is replaced underneath the cursors: nothing may be half edited.
void requireNoEdit(TLeiterVerw& w)
{
    Table* t = w.leiter();
    if (t && t->state() != DataSetState::Browse)
        throw HwError(QStringLiteral("Bitte zuerst die Eingabe der Leiter speichern oder verwerfen."));
}

void rightsFor(TLeiterVerw& w)
{
    TUserControl* rights = w.dataModule().DataUserControl;
    rights->CheckRight(crInsert);
    rights->CheckRight(crDelete);
}

void afterReplace(TLeiterVerw& w)
{
    // As F5: the department paths and the company lists too, not only the cursors (the
    // ladders' path texts came from the replaced departments).
    w.Aktualisieren();
    // The selection boxes of the pages build their entries anew (kinds and materials may be gone).
    for (TDBLookupComboBox* box : w.findChildren<TDBLookupComboBox*>())
        box->invalidateList();
    if (w.leiter())
        w.leiter()->first();
    for (TDBLookupComboBox* box : w.findChildren<TDBLookupComboBox*>())
        box->link().read();
}

void datenUebernehmen(TLeiterVerw& w)
{
    rightsFor(w);
    requireNoEdit(w);
    const QString picked = Dialogs::openFileName(
        &w, QStringLiteral("Daten übernehmen – eine Tabelle des alten Registers wählen (z. B. LT_LEIT.DB)"), lastFolder(),
        QStringLiteral("Paradox-Tabellen (*.DB *.db)"));
    if (picked.isEmpty())
        throw Abort();
    const QString dir = QFileInfo(picked).absolutePath();
    lastFolder() = dir;

    ParadoxImport imp(dir);
    imp.check();
    ParadoxImport::requireAlone();
    const qint64 ladders = ParadoxImport::ladderCount();
    if (ladders > 0) {
        if (!Dialogs::questionDefaultNo(&w,
                                        QStringLiteral("Das Register enthält schon %1 Leitern. Sollen alle Leitern, Prüfungen und "
                                                       "Stammdaten durch die Tabellen aus\n%2\nersetzt werden?%3")
                                            .arg(number(ladders), QDir::toNativeSeparators(dir),
                                                 RegisterBackup::onServer()
                                                     ? QStringLiteral("\n\nVorher bitte mit pg_dump sichern.")
                                                     : QStringLiteral("\n\nDer jetzige Stand wird vorher als Datensicherung im "
                                                                      "Datenverzeichnis aufbewahrt.")),
                                        kImportCaption))
            throw Abort();
        if (!RegisterBackup::onServer()) {
            const QString keep = QDir(Engine::instance().backend().location())
                                     .filePath(QStringLiteral("tarvino vor Datenübernahme %1.sqlite")
                                                   .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"))));
            RegisterBackup::backup(keep);
        }
        imp.setReplaceExisting(true);
    }
    imp.setConfirmRefusals([&w](const ImportReport& rep) {
        return Dialogs::questionDefaultNo(&w,
                                          QStringLiteral("%1 übernommen werden:\n\n%2\n\nSollen die übrigen "
                                                         "Zeilen trotzdem übernommen werden? Bei „Nein“ bleibt das Register "
                                                         "unverändert.")
                                              .arg(rep.refusedRows() == 1 ? QStringLiteral("1 Zeile kann nicht")
                                                                          : QStringLiteral("%1 Zeilen können nicht").arg(number(rep.refusedRows())),
                                                   rep.details(30)),
                                          kImportCaption);
    });
    Progress progress(&w, QStringLiteral("Daten übernehmen …"), kImportCaption);
    imp.setProgress(progress.callback());
    ImportReport rep;
    try {
        rep = imp.run();
    } catch (...) {
        progress.close();
        throw;
    }
    progress.close();
    afterReplace(w);
    Dialogs::information(&w, rep.summary(30), kImportCaption);
}

void sichern(TLeiterVerw& w)
{
    if (RegisterBackup::onServer()) {
        Dialogs::information(&w, RegisterBackup::serverText(), kBackupCaption);
        return;
    }
    const QString file = Dialogs::saveFileName(&w, kBackupCaption,
                                               QDir(lastBackupFolder()).filePath(RegisterBackup::fileNameFor(QDateTime::currentDateTime())),
                                               QStringLiteral("Datensicherung (*.sqlite)"), QStringLiteral("sqlite"));
    if (file.isEmpty())
        throw Abort();
    lastBackupFolder() = QFileInfo(file).absolutePath();
    Progress progress(&w, QStringLiteral("Datensicherung …"), kBackupCaption);
    BackupInfo info;
    try {
        info = RegisterBackup::backup(file, QStringLiteral("TARVINO"), progress.callback());
    } catch (...) {
        progress.close();
        throw;
    }
    progress.close();
    Dialogs::information(&w,
                         QStringLiteral("Datensicherung geschrieben und geprüft:\n%1\n\n%2 Leitern, %3 Prüfungen.")
                             .arg(QDir::toNativeSeparators(info.file), number(info.ladders), number(info.inspections)),
                         kBackupCaption);
}

void zurueckladen(TLeiterVerw& w)
{
    if (RegisterBackup::onServer()) {
        Dialogs::information(&w, RegisterBackup::serverText(), kRestoreCaption);
        return;
    }
    rightsFor(w);
    requireNoEdit(w);
    const QString file = Dialogs::openFileName(&w, kRestoreCaption, lastBackupFolder(), QStringLiteral("Datensicherung (*.sqlite)"));
    if (file.isEmpty())
        throw Abort();
    lastBackupFolder() = QFileInfo(file).absolutePath();
    const qint64 now = ParadoxImport::ladderCount();
    const QString keep = RegisterBackup::restore(file, [&](const BackupInfo& info) {
        return Dialogs::questionDefaultNo(&w,
                                          QStringLiteral("Die Datensicherung vom %1 mit %2 Leitern und %3 Prüfungen zurückladen?\n"
                                                         "%4\n\nDas Register hat jetzt %5 Leitern; dieser Stand wird vorher als "
                                                         "Kopie im Datenverzeichnis aufbewahrt.")
                                              .arg(germanDateTime(info.created), number(info.ladders), number(info.inspections),
                                                   QDir::toNativeSeparators(info.file), number(now)),
                                          kRestoreCaption);
    });
    afterReplace(w);
    Dialogs::information(&w,
                         QStringLiteral("Die Datensicherung ist zurückgeladen. Der vorherige Stand liegt in\n%1")
                             .arg(QDir::toNativeSeparators(keep)),
                         kRestoreCaption);
}

// On the first start of a day, when tarvino.ini names a folder.
void taeglicheSicherung(TLeiterVerw& w)
{
    if (RegisterBackup::onServer())
        return;
    const RegisterBackup::DailySettings s = RegisterBackup::readDailySettings(settingsFilePath());
    if (s.folder.isEmpty())
        return;
    try {
        const QString made = RegisterBackup::dailyBackup(s.folder, s.keep);
        if (!made.isEmpty())
            w.statusBar()->showMessage(QStringLiteral("Tägliche Datensicherung geschrieben: %1").arg(QDir::toNativeSeparators(made)), 15000);
    } catch (const HwError& e) {
        Dialogs::warning(&w, QStringLiteral("Die tägliche Datensicherung ist nicht gelungen.\n%1").arg(e.message()), kBackupCaption);
    }
}

QAction* eintrag(TLeiterVerw& w, const char* name, const QString& text, const QString& hint)
{
    auto* a = new QAction(text, &w);
    a->setObjectName(QLatin1String(name));
    a->setStatusTip(hint);
    return a;
}

} // namespace

void plugTransfer(TLeiterVerw& w)
{
    TMainMenus& m = *w.menus();
    const bool server = RegisterBackup::onServer();
    QAction* imp = eintrag(w, "MDateiUebernahme", QStringLiteral("Daten übernehmen ..."),
                           QStringLiteral("Leitern und Prüfungen aus Paradox-Tabellen (LT_LEIT.DB …) übernehmen"));
    QAction* save = eintrag(w, "MDateiSicherung", server ? QStringLiteral("Datensicherung (pg_dump) ...") : QStringLiteral("Datensicherung ..."),
                            server ? QStringLiteral("Register auf dem Server: mit pg_dump sichern")
                                   : QStringLiteral("Geprüfte Kopie des Registers in eine Datei schreiben"));
    QAction* back = eintrag(w, "MDateiZurueckladen",
                            server ? QStringLiteral("Datensicherung zurückladen (pg_restore) ...") : QStringLiteral("Datensicherung zurückladen ..."),
                            server ? QStringLiteral("Register auf dem Server: mit pg_restore zurückladen")
                                   : QStringLiteral("Register durch eine Datensicherung ersetzen"));
    // Before the change of user, beside the printer entries.
    QAction* before = nullptr;
    for (QAction* a : m.MDatei->actions())
        if (a->objectName() == QLatin1String("MDateiExLoginLine"))
            before = a;
    m.MDatei->insertSeparator(before);
    m.MDatei->insertAction(before, imp);
    m.MDatei->insertAction(before, save);
    m.MDatei->insertAction(before, back);
    m.plug(imp, [&w] { datenUebernehmen(w); });
    m.plug(save, [&w] { sichern(w); });
    m.plug(back, [&w] { zurueckladen(w); });
    for (QAction* a : {imp, save, back})
        m.setWanted(a, true);
    // Import and restore replace the rows under the cursor, a backup copies them: an edited
    // ladder is saved first, so the copy holds it.
    for (QAction* a : {imp, save, back})
        MenuGuard::markLeaving(a);
    QTimer::singleShot(0, &w, [&w] { taeglicheSicherung(w); });
}
