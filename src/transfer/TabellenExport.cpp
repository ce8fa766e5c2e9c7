#include "TabellenExport.h"

#include "DataSet.h"
#include "Errors.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>
#include <sys/stat.h>
#include <xlsxwriter.h>

namespace {

const QLocale kDe(QLocale::German);

// Days since Excel's day 0 (30.12.1899).
double excelTag(const QDate& d) { return double(d.toJulianDay() - QDate(1899, 12, 30).toJulianDay()); }

double excelZeit(const QDateTime& dt)
{
    const QTime t = dt.time();
    return excelTag(dt.date()) + (t.msecsSinceStartOfDay() / 86400000.0);
}

[[noreturn]] void schreibFehler(const QString& fileName, const QString& grund)
{
    throw HwError(QStringLiteral("Die Datei \"%1\" konnte nicht geschrieben werden (%2).\n"
                                 "Bitte ein anderes Verzeichnis oder einen anderen Namen wählen.")
                      .arg(QDir::toNativeSeparators(fileName), grund));
}

// A unique, empty file beside the target, removed again unless keep() was called.
class TempBeside {
public:
    explicit TempBeside(const QString& target)
    {
        const QFileInfo fi(target);
        QTemporaryFile t(fi.absolutePath() + QStringLiteral("/.") + fi.fileName() + QStringLiteral(".XXXXXX"));
        t.setAutoRemove(false);
        if (!t.open())
            schreibFehler(target, t.errorString());
        m_path = t.fileName();
    }
    ~TempBeside()
    {
        if (!m_kept)
            QFile::remove(m_path);
    }
    const QString& path() const { return m_path; }
    // Puts the finished file under the target name in one step.
    void moveTo(const QString& target)
    {
        // The temporary file was made private; the list gets the modes of any new file.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(QFile::encodeName(m_path).constData(), 0666 & ~mask);
        if (std::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(target).constData()) != 0)
            schreibFehler(target, QString::fromLocal8Bit(std::strerror(errno)));
        m_kept = true;
    }

private:
    QString m_path;
    bool m_kept = false;
};

bool melden(ProgressThrottle& p, qint64 done, qint64 total)
{
    return p.report(done, total, QStringLiteral("Export"));
}

void schreibeXlsx(const ExportTabelle& t, const QString& path, const QString& target, ProgressThrottle& progress)
{
    lxw_workbook_options opts{};
    opts.constant_memory = LXW_TRUE;
    opts.use_zip64 = LXW_TRUE;
    const QByteArray file = QFile::encodeName(path);
    lxw_workbook* wb = workbook_new_opt(file.constData(), &opts);
    if (!wb)
        schreibFehler(target, QStringLiteral("Arbeitsmappe nicht angelegt"));
    QByteArray blatt = t.blatt.left(31).toUtf8();
    lxw_worksheet* ws = workbook_add_worksheet(wb, blatt.isEmpty() ? nullptr : blatt.constData());
    lxw_format* kopf = workbook_add_format(wb);
    format_set_bold(kopf);
    format_set_bottom(kopf, LXW_BORDER_THIN);
    lxw_format* datum = workbook_add_format(wb);
    format_set_num_format(datum, "dd.mm.yyyy");
    lxw_format* datumZeit = workbook_add_format(wb);
    format_set_num_format(datumZeit, "dd.mm.yyyy hh:mm");
    lxw_format* ganz = workbook_add_format(wb);
    format_set_num_format(ganz, "0");
    QList<lxw_format*> zahl;
    for (const ExportSpalte& s : t.spalten) {
        lxw_format* f = nullptr;
        if (s.typ == ExportTyp::Zahl) {
            f = workbook_add_format(wb);
            const QByteArray fmt = s.nachkommastellen > 0
                                       ? QByteArray("#,##0.") + QByteArray(s.nachkommastellen, '0')
                                       : QByteArray("#,##0");
            format_set_num_format(f, fmt.constData());
        }
        zahl << f;
    }

    const int n = int(t.spalten.size());
    for (int c = 0; c < n; ++c) {
        const ExportSpalte& s = t.spalten[c];
        lxw_format* spaltenFormat = s.typ == ExportTyp::Datum ? datum : s.typ == ExportTyp::DatumZeit ? datumZeit : nullptr;
        worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), qMax(s.breite, int(s.titel.size())) + 2, spaltenFormat);
    }
    worksheet_freeze_panes(ws, 1, 0);
    for (int c = 0; c < n; ++c)
        worksheet_write_string(ws, 0, lxw_col_t(c), t.spalten[c].titel.toUtf8().constData(), kopf);

    bool abgebrochen = false;
    lxw_error err = LXW_NO_ERROR;
    QByteArray text;
    try {
        for (qint64 r = 0; r < t.zeilen && err == LXW_NO_ERROR; ++r) {
            const lxw_row_t row = lxw_row_t(r + 1);
            for (int c = 0; c < n && err == LXW_NO_ERROR; ++c) {
                const QVariant v = t.wert(r, c);
                if (!v.isValid() || v.isNull())
                    continue;
                const lxw_col_t col = lxw_col_t(c);
                switch (t.spalten[c].typ) {
                case ExportTyp::Datum: {
                    const QDate d = v.toDate();
                    if (d.isValid())
                        err = worksheet_write_number(ws, row, col, excelTag(d), datum);
                    break;
                }
                case ExportTyp::DatumZeit: {
                    const QDateTime dt = v.toDateTime();
                    if (dt.isValid())
                        err = worksheet_write_number(ws, row, col, excelZeit(dt), datumZeit);
                    break;
                }
                case ExportTyp::Ganzzahl:
                    err = worksheet_write_number(ws, row, col, double(v.toLongLong()), ganz);
                    break;
                case ExportTyp::Zahl:
                    err = worksheet_write_number(ws, row, col, v.toDouble(), zahl[c]);
                    break;
                case ExportTyp::Text: {
                    const QString s = v.toString();
                    if (s.isEmpty())
                        break;
                    text = s.toUtf8();
                    err = worksheet_write_string(ws, row, col, text.constData(), nullptr);
                    break;
                }
                }
            }
            if (!melden(progress, r + 1, t.zeilen)) {
                abgebrochen = true;
                break;
            }
        }
    } catch (...) {
        // The workbook's temporary files go with it, whatever stopped the rows.
        workbook_close(wb);
        throw;
    }
    const lxw_error closeErr = workbook_close(wb);
    if (abgebrochen)
        throw Abort();
    if (err != LXW_NO_ERROR)
        schreibFehler(target, QString::fromUtf8(lxw_strerror(err)));
    if (closeErr != LXW_NO_ERROR)
        schreibFehler(target, QString::fromUtf8(lxw_strerror(closeErr)));
}

void schreibeCsv(const ExportTabelle& t, const QString& path, const QString& target, ProgressThrottle& progress)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        schreibFehler(target, f.errorString());
    QByteArray puffer;
    puffer.reserve(1 << 16);
    puffer.append("\xEF\xBB\xBF");
    const int n = int(t.spalten.size());
    for (int c = 0; c < n; ++c) {
        if (c)
            puffer.append(';');
        puffer.append(csvFeld(t.spalten[c].titel, ExportTyp::Text).toUtf8());
    }
    puffer.append("\r\n");
    auto flush = [&] {
        if (f.write(puffer) != puffer.size())
            schreibFehler(target, f.errorString());
        puffer.clear();
    };
    for (qint64 r = 0; r < t.zeilen; ++r) {
        for (int c = 0; c < n; ++c) {
            if (c)
                puffer.append(';');
            const ExportSpalte& s = t.spalten[c];
            puffer.append(csvFeld(t.wert(r, c), s.typ, s.nachkommastellen).toUtf8());
        }
        puffer.append("\r\n");
        if (puffer.size() > (1 << 16) - 4096)
            flush();
        if (!melden(progress, r + 1, t.zeilen))
            throw Abort();
    }
    flush();
    if (!f.flush())
        schreibFehler(target, f.errorString());
    f.close();
    if (f.error() != QFileDevice::NoError)
        schreibFehler(target, f.errorString());
}

} // namespace

QString csvFeld(const QVariant& v, ExportTyp typ, int nachkommastellen)
{
    if (!v.isValid() || v.isNull())
        return QString();
    QString s;
    switch (typ) {
    case ExportTyp::Datum: return v.toDate().isValid() ? v.toDate().toString(QStringLiteral("dd.MM.yyyy")) : QString();
    case ExportTyp::DatumZeit:
        return v.toDateTime().isValid() ? v.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")) : QString();
    case ExportTyp::Ganzzahl: return QString::number(v.toLongLong());
    case ExportTyp::Zahl: {
        QLocale l = kDe;
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        return l.toString(v.toDouble(), 'f', nachkommastellen);
    }
    case ExportTyp::Text: s = v.toString(); break;
    }
    // A text that starts like a formula would be run by the spreadsheet: keep it a text.
    if (!s.isEmpty() && QStringLiteral("=+-@").contains(s.front()))
        s.prepend(QLatin1Char('\''));
    if (s.contains(QLatin1Char(';')) || s.contains(QLatin1Char('"')) || s.contains(QLatin1Char('\n'))
        || s.contains(QLatin1Char('\r')) || s.startsWith(QLatin1Char(' ')) || s.endsWith(QLatin1Char(' '))) {
        s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        s = QLatin1Char('"') + s + QLatin1Char('"');
    }
    return s;
}

ExportFormat exportFormatFuer(const QString& fileName)
{
    return fileName.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ? ExportFormat::Csv : ExportFormat::Xlsx;
}

QString exportDateiFilter()
{
    return QStringLiteral("Excel-Arbeitsmappe (*.xlsx);;CSV für Excel (*.csv)");
}

void exportiere(const ExportTabelle& t, const QString& fileName, ExportFormat format, const ProgressCallback& progress)
{
    if (fileName.trimmed().isEmpty())
        throw HwError(QStringLiteral("Kein Dateiname für den Export angegeben."));
    if (QFileInfo(fileName).isDir())
        schreibFehler(fileName, QStringLiteral("ein Verzeichnis dieses Namens besteht"));
    ProgressThrottle p(progress ? progress : ProgressCallback([](qint64, qint64, const QString&) { return true; }));
    TempBeside tmp(fileName);
    if (format == ExportFormat::Csv)
        schreibeCsv(t, tmp.path(), fileName, p);
    else
        schreibeXlsx(t, tmp.path(), fileName, p);
    if (!p.finish(t.zeilen, t.zeilen, QStringLiteral("Export")))
        throw Abort();
    tmp.moveTo(fileName);
}

ExportTabelle exportTabelle(DataSet& ds, const QStringList& fieldNames, const QString& blatt)
{
    ExportTabelle t;
    t.blatt = blatt;
    struct Col {
        int index;
        bool anzeige;       // shown as the grid shows it (booleans with texts of their own)
        bool ja;            // a boolean without texts: "ja" or nothing
        int schluessel;     // a lookup by one whole-number key: that key's field, else -1
    };
    auto cols = std::make_shared<QList<Col>>();
    for (const QString& name : fieldNames) {
        Field* f = ds.findField(name);
        if (!f)
            continue;
        ExportSpalte s;
        s.titel = f->displayLabel().trimmed();
        if (s.titel.isEmpty())
            s.titel = f->name();
        s.breite = qBound(4, f->displayWidth(), 60);
        bool anzeige = false, ja = false;
        switch (f->type()) {
        case FieldType::Integer:
        case FieldType::AutoInc: s.typ = ExportTyp::Ganzzahl; break;
        case FieldType::Float: s.typ = ExportTyp::Zahl; break;
        case FieldType::Date: s.typ = ExportTyp::Datum; break;
        case FieldType::DateTime: s.typ = ExportTyp::DatumZeit; break;
        case FieldType::Boolean: (f->def().boolTexts.isEmpty() ? ja : anzeige) = true; break;
        default: break;
        }
        int schluessel = -1;
        if (f->kind() == FieldKind::Lookup && !f->def().keyFields.contains(QLatin1Char(';'))) {
            const Field* k = ds.findField(f->def().keyFields.trimmed());
            if (k && k->kind() == FieldKind::Data && (k->type() == FieldType::Integer || k->type() == FieldType::AutoInc))
                schluessel = k->index();
        }
        t.spalten << s;
        *cols << Col{f->index(), anzeige, ja, schluessel};
    }
    t.zeilen = ds.active() ? ds.recordCount() : 0;
    DataSet* d = &ds;
    // A lookup's text depends on its key alone, and the master data does not change while the
    // list is written: each key is looked up once per column, not once per row.
    auto gefunden = std::make_shared<std::vector<QHash<qint64, QVariant>>>(cols->size());
    t.wert = [d, cols, gefunden](qint64 row, int c) -> QVariant {
        const Col& col = (*cols)[c];
        if (col.anzeige)
            return d->displayTextAt(int(row), col.index);
        if (col.ja)
            return d->valueAt(int(row), col.index).toBool() ? QStringLiteral("ja") : QString();
        if (col.schluessel >= 0) {
            const QVariant key = d->valueAt(int(row), col.schluessel);
            if (!key.isValid() || key.isNull())
                return d->valueAt(int(row), col.index);
            QHash<qint64, QVariant>& memo = (*gefunden)[size_t(c)];
            const qint64 k = key.toLongLong();
            auto it = memo.constFind(k);
            if (it == memo.constEnd())
                it = memo.insert(k, d->valueAt(int(row), col.index));
            return *it;
        }
        return d->valueAt(int(row), col.index);
    };
    return t;
}
