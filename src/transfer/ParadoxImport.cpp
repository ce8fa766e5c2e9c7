#include "ParadoxImport.h"
#include "ParadoxMemo.h"
#include "ParadoxRecords.h"
#include "ParadoxText.h"
#include "RegisterBackup.h"

#include "Backend.h"
#include "BulkInsert.h"
#include "Catalog.h"
#include "Engine.h"
#include "Errors.h"
#include "Schema.h"
#include "Verlauf.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QScopeGuard>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>
extern "C" {
#include <paradox.h>
}

namespace {

// The field name of the change history's rows about an import.
const QString kVerlaufFeld = QStringLiteral("Datenübernahme");

// Julian day of 1 January 0001, the day before the first Paradox day.
constexpr qint64 kParadoxEpoch = 1721425;

struct PxError {
    QString message;
};

void pxErrorHandler(pxdoc_t*, int type, const char* msg, void* data)
{
    if (type == PX_Warning || !data)
        return;
    auto* err = static_cast<PxError*>(data);
    if (err->message.isEmpty())
        err->message = QString::fromLocal8Bit(msg).trimmed();
}

// One open Paradox file and its memo file.
class PxFile {
public:
    explicit PxFile(const QString& path)
    {
        m_doc = PX_new3(pxErrorHandler, nullptr, nullptr, nullptr, &m_error);
        if (!m_doc)
            throw HwError(QStringLiteral("Die Paradox-Bibliothek konnte nicht gestartet werden."));
        const QByteArray name = QFile::encodeName(path);
        if (PX_open_file(m_doc, name.constData()) < 0 || !m_doc->px_head)
            throw HwError(damaged(path, m_error.message));
    }
    ~PxFile()
    {
        if (m_doc) {
            PX_close(m_doc);
            PX_delete(m_doc);
        }
    }
    PxFile(const PxFile&) = delete;
    PxFile& operator=(const PxFile&) = delete;

    pxdoc_t* doc() const { return m_doc; }
    pxhead_t* head() const { return m_doc->px_head; }
    QString error() const { return m_error.message; }

    static QString detail(const QString& msg) { return msg.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(msg); }
    static QString damaged(const QString& path, const QString& msg)
    {
        return QStringLiteral("Die Tabelle „%1“ ist keine lesbare Paradox-Tabelle oder ist beschädigt.%2 "
                              "Es wurde nichts übernommen.")
            .arg(QDir::toNativeSeparators(path), detail(msg));
    }

private:
    pxdoc_t* m_doc = nullptr;
    PxError m_error;
};

ParadoxRecords::Layout layoutOf(const pxhead_t& h)
{
    return ParadoxRecords::Layout{h.px_headersize, qint64(h.px_maxtablesize) * 1024, int(h.px_firstblock), int(h.px_fileblocks), h.px_recordsize};
}

// The register's tables in the order their keys are needed.
const QStringList& importOrder()
{
    static const QStringList order{QStringLiteral("PR_TAB"),  QStringLiteral("LARTEN"), QStringLiteral("MATERIAL"),
                                   QStringLiteral("PRUEFER"), QStringLiteral("FIRMEN"), QStringLiteral("LFNAME"),
                                   QStringLiteral("LT_LEIT"), QStringLiteral("LT_PRUEF")};
    return order;
}

TableDef tableDef(const QString& table)
{
    const TableDef* def = Schema::known(table);
    if (!def)
        throw HwError(QStringLiteral("Unbekannte Tabelle %1").arg(table));
    return *def;
}

QString germanTableName(const QString& table)
{
    static const QHash<QString, QString> names{
        {QStringLiteral("LT_LEIT"), QStringLiteral("Leitern")},       {QStringLiteral("LT_PRUEF"), QStringLiteral("Prüfungen")},
        {QStringLiteral("PR_TAB"), QStringLiteral("Prüfungsarten")},  {QStringLiteral("LARTEN"), QStringLiteral("Leiterarten")},
        {QStringLiteral("MATERIAL"), QStringLiteral("Materialien")},  {QStringLiteral("PRUEFER"), QStringLiteral("Prüfer")},
        {QStringLiteral("FIRMEN"), QStringLiteral("Firmen/Abteilungen")}, {QStringLiteral("LFNAME"), QStringLiteral("Lieferanten")}};
    return names.value(table, table);
}

QString findFile(const QDir& dir, const QString& base, const QString& ext)
{
    const QString wanted = (base + QLatin1Char('.') + ext).toUpper();
    const QStringList files = dir.entryList(QDir::Files);
    for (const QString& f : files)
        if (f.toUpper() == wanted)
            return dir.filePath(f);
    return QString();
}

// How one column of the file becomes one column of the register.
struct ColumnMap {
    int offset = 0;      // in the record
    int len = 0;
    int pxType = 0;
    FieldDef target;
};

bool convertible(int pxType, FieldType target)
{
    const bool number = pxType == pxfShort || pxType == pxfLong || pxType == pxfAutoInc || pxType == pxfNumber
                        || pxType == pxfCurrency || pxType == pxfBCD;
    const bool text = pxType == pxfAlpha || pxType == pxfMemoBLOb || pxType == pxfFmtMemoBLOb;
    switch (target) {
    case FieldType::Integer:
    case FieldType::AutoInc:
    case FieldType::Float: return number;
    case FieldType::Text:
    case FieldType::Memo: return text || number;
    case FieldType::Date:
    case FieldType::DateTime: return pxType == pxfDate || pxType == pxfTimestamp;
    case FieldType::Boolean: return pxType == pxfLogical || pxType == pxfShort || pxType == pxfLong;
    }
    return false;
}

QString pxTypeName(int t)
{
    switch (t) {
    case pxfAlpha: return QStringLiteral("Alpha");
    case pxfDate: return QStringLiteral("Datum");
    case pxfShort: return QStringLiteral("Short");
    case pxfLong: return QStringLiteral("Long");
    case pxfCurrency: return QStringLiteral("Währung");
    case pxfNumber: return QStringLiteral("Zahl");
    case pxfLogical: return QStringLiteral("Logisch");
    case pxfMemoBLOb: case pxfFmtMemoBLOb: return QStringLiteral("Memo");
    case pxfTimestamp: return QStringLiteral("Zeitstempel");
    case pxfAutoInc: return QStringLiteral("Autoinkrement");
    case pxfBCD: return QStringLiteral("BCD");
    case pxfBLOb: return QStringLiteral("Binär-BLOb");
    case pxfOLE: return QStringLiteral("OLE");
    case pxfGraphic: return QStringLiteral("Grafik");
    case pxfBytes: return QStringLiteral("Bytes");
    case pxfTime: return QStringLiteral("Zeit");
    default: return QStringLiteral("Typ %1").arg(t);
    }
}

// A value that cannot be taken over: the row is refused with this reason.
struct RowRefused {
    QString reason;
};

// One value of a record in the type of its register column, bound as it is: no QVariant per
// value and row. The text buffer is kept from row to row.
struct Cell {
    enum Kind : quint8 { Null, Int, Double, Bool, Text, Date, DateTime };
    Kind kind = Null;
    qint64 i = 0;        // Int, Bool; the Julian day of Date and DateTime
    double d = 0;
    int ms = 0;          // DateTime: milliseconds of the day
    QByteArray text;     // UTF-8

    bool isNull() const { return kind == Null; }
    double number() const { return kind == Double ? d : double(i); }
    QString toString() const
    {
        switch (kind) {
        case Null: return QString();
        case Int: return QString::number(i);
        case Bool: return i ? QStringLiteral("ja") : QStringLiteral("nein");
        case Double: return QString::number(d, 'g', 15);
        case Text: return QString::fromUtf8(text);
        case Date: return QDate::fromJulianDay(i).toString(QStringLiteral("dd.MM.yyyy"));
        case DateTime:
            return QDateTime(QDate::fromJulianDay(i), QTime::fromMSecsSinceStartOfDay(ms)).toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
        }
        return QString();
    }
    // As a unique index compares it (texts of a case-insensitive index in lower case).
    QString keyText(bool folded) const
    {
        switch (kind) {
        case Text: return folded ? QString::fromUtf8(text).toLower() : QString::fromUtf8(text);
        case DateTime: return QStringLiteral("%1 %2").arg(i).arg(ms);
        case Double: return QString::number(d, 'g', 17);
        default: return QString::number(i);
        }
    }
    QString shown() const { return kind == Text ? QStringLiteral("„%1“").arg(toString()) : toString(); }
    // Empty once trimmed, as the program's own check of a required name.
    bool blankText() const
    {
        if (kind != Text)
            return kind == Null;
        const auto c = static_cast<unsigned char>(text.isEmpty() ? ' ' : text.front());
        if (c > 0x20 && c < 0x7f)
            return false;
        return QString::fromUtf8(text).trimmed().isEmpty();
    }
};

// Integers and the row that holds each: open addressing with Fibonacci hashing, a few times
// cheaper than QHash for the keys of a table of a million rows.
class IntOwners {
public:
    void reserve(qint64 n)
    {
        size_t cap = 16;
        while (cap < size_t(std::max<qint64>(n, 0)) * 2)
            cap <<= 1;
        if (cap > m_keys.size())
            rehash(cap);
    }
    const qint64* find(qint64 key) const
    {
        if (m_keys.empty())
            return nullptr;
        for (size_t i = slot(key);; i = (i + 1) & m_mask) {
            if (m_keys[i] == key)
                return &m_owners[i];
            if (m_keys[i] == kEmpty)
                return nullptr;
        }
    }
    bool contains(qint64 key) const { return find(key) != nullptr; }
    void insert(qint64 key, qint64 owner)
    {
        if ((m_count + 1) * 2 > m_keys.size())
            rehash(std::max<size_t>(16, m_keys.size() * 2));
        for (size_t i = slot(key);; i = (i + 1) & m_mask) {
            if (m_keys[i] == kEmpty) {
                m_keys[i] = key;
                m_owners[i] = owner;
                ++m_count;
                return;
            }
            if (m_keys[i] == key) {
                m_owners[i] = owner;
                return;
            }
        }
    }

private:
    // Paradox integers have 32 bits: this value is never a key.
    static constexpr qint64 kEmpty = std::numeric_limits<qint64>::min();
    size_t slot(qint64 key) const { return size_t((quint64(key) * 0x9E3779B97F4A7C15ull) >> m_shift); }
    void rehash(size_t cap)
    {
        std::vector<qint64> keys(cap, kEmpty), owners(cap, 0);
        keys.swap(m_keys);
        owners.swap(m_owners);
        m_mask = cap - 1;
        m_shift = 64;
        for (size_t c = cap; c > 1; c >>= 1)
            --m_shift;
        m_count = 0;
        for (size_t i = 0; i < keys.size(); ++i)
            if (keys[i] != kEmpty)
                insert(keys[i], owners[i]);
    }

    std::vector<qint64> m_keys, m_owners;
    size_t m_mask = 0;
    int m_shift = 64;
    size_t m_count = 0;
};

// Columns that point at the key of another table; the summary counts the rows whose target is missing.
struct Link {
    QString table, column, target, targetKey, text;
};

const QList<Link>& links()
{
    static const QList<Link> all{
        {QStringLiteral("LT_PRUEF"), QStringLiteral("LT_ID"), QStringLiteral("LT_LEIT"), QStringLiteral("ID"),
         QStringLiteral("Prüfungen ohne Leiter (LT_ID)")},
        {QStringLiteral("LT_PRUEF"), QStringLiteral("Pruefer_ID"), QStringLiteral("PRUEFER"), QStringLiteral("ID"),
         QStringLiteral("Prüfungen mit unbekanntem Prüfer (Pruefer_ID)")},
        {QStringLiteral("LT_PRUEF"), QStringLiteral("PruefungArt_ID"), QStringLiteral("PR_TAB"), QStringLiteral("Nr"),
         QStringLiteral("Prüfungen mit unbekannter Prüfungsart (PruefungArt_ID)")},
        {QStringLiteral("LT_LEIT"), QStringLiteral("FirmenAbtID"), QStringLiteral("FIRMEN"), QStringLiteral("ID"),
         QStringLiteral("Leitern mit fehlender Abteilung (FirmenAbtID)")},
        {QStringLiteral("LT_LEIT"), QStringLiteral("Art_ID"), QStringLiteral("LARTEN"), QStringLiteral("ID"),
         QStringLiteral("Leitern mit unbekannter Leiter-Art (Art_ID)")},
        {QStringLiteral("LT_LEIT"), QStringLiteral("Mat_ID"), QStringLiteral("MATERIAL"), QStringLiteral("ID"),
         QStringLiteral("Leitern mit unbekanntem Material (Mat_ID)")},
        {QStringLiteral("LT_LEIT"), QStringLiteral("PruefungArt_ID"), QStringLiteral("PR_TAB"), QStringLiteral("Nr"),
         QStringLiteral("Leitern mit unbekannter Prüfungsart (PruefungArt_ID)")},
        {QStringLiteral("FIRMEN"), QStringLiteral("ParentID"), QStringLiteral("FIRMEN"), QStringLiteral("ID"),
         QStringLiteral("Abteilungen mit fehlendem übergeordneten Eintrag (ParentID)")},
    };
    return all;
}

// One unique index of the target table (its key included). Rows that would break it are
// refused here and named, instead of the database ending the whole import with its refusal.
// The indexes come from the register's own catalog: which indexes a table carries is a
// property of the register, not only of the program.
struct UniqueCheck {
    QString what;                 // "ID", "Leiter-Nr", "LT_ID/Datum"
    bool primary = false;
    bool keyMissing = false;      // a key the file lacks and the database does not assign
    QList<int> cols;              // into the mapped columns; -1: not in the file (empty)
    QList<bool> folded;           // text compared without regard to case, as the index does
    bool singleInt = false;
    IntOwners ints;               // value -> the owner (its ID or row number)
    QHash<QString, qint64> keys;
};

QList<UniqueCheck> uniqueChecks(const TableDef& shape, const QList<ColumnMap>& cols)
{
    QList<UniqueCheck> out;
    for (const IndexDef& idx : shape.indexes) {
        if (!idx.primary && !idx.unique)
            continue;
        UniqueCheck u;
        u.primary = idx.primary;
        QStringList names;
        bool assigned = false;
        const QStringList fields = idx.fieldList();
        for (const QString& name : fields) {
            const FieldDef* fd = shape.field(name);
            int at = -1;
            for (int i = 0; i < cols.size() && at < 0; ++i)
                if (cols[i].target.name.compare(name, Qt::CaseInsensitive) == 0)
                    at = i;
            if (at < 0 && idx.primary) {
                if (fields.size() == 1 && fd && fd->type == FieldType::AutoInc)
                    assigned = true;     // the database numbers the rows
                else
                    u.keyMissing = true;
            }
            u.cols << at;
            u.folded << (idx.caseInsensitive && fd && (fd->type == FieldType::Text || fd->type == FieldType::Memo));
            names << (fd ? (idx.primary ? fd->name : fd->label()) : name);
        }
        // Empty values never collide: an index none of whose columns is in the file holds nothing.
        if (assigned || (!idx.primary && std::all_of(u.cols.cbegin(), u.cols.cend(), [](int c) { return c < 0; })))
            continue;
        u.what = names.join(QLatin1Char('/'));
        u.singleInt = u.cols.size() == 1 && u.cols[0] >= 0 && !u.folded[0]
                      && (cols[u.cols[0]].target.type == FieldType::Integer || cols[u.cols[0]].target.type == FieldType::AutoInc);
        if (u.primary)
            out.prepend(u);
        else
            out << u;
    }
    return out;
}

class RowReader {
public:
    RowReader(pxdoc_t* doc, ParadoxText::CodePage cp, const ParadoxMemoFile* memo) : m_doc(doc), m_cp(cp), m_memo(memo) {}

    void read(char* rec, const ColumnMap& c, Cell& out, QString* note)
    {
        out.kind = Cell::Null;
        char* data = rec + c.offset;
        const FieldType t = c.target.type;
        // An empty field is all zero bytes. pxlib 0.6.8 reads an empty long or date as
        // -2147483648 instead of reporting it empty, so this is decided here for every type.
        if (c.pxType != pxfAlpha && c.pxType != pxfMemoBLOb && c.pxType != pxfFmtMemoBLOb) {
            bool empty = true;
            for (int i = 0; i < c.len && empty; ++i)
                empty = data[i] == 0;
            if (empty)
                return;
        }
        switch (c.pxType) {
        case pxfAlpha: {
            const void* end = std::memchr(data, 0, size_t(c.len));
            const qsizetype n = end ? static_cast<const char*>(end) - data : c.len;
            if (n > 0)
                textTo(QByteArrayView(data, n), c, out, note);
            return;
        }
        case pxfMemoBLOb:
        case pxfFmtMemoBLOb: {
            QString reason;
            const bool ok = m_memo ? m_memo->read(data, c.len, &m_blob, &reason)
                                   : ParadoxMemoFile::readInRecord(data, c.len, &m_blob);
            if (!ok)
                throw RowRefused{QStringLiteral("Memo %1 nicht lesbar (%2)")
                                     .arg(c.target.name, m_memo ? reason : QStringLiteral("Memo-Datei fehlt"))};
            // Old programs kept a closing zero byte in some memos.
            qsizetype n = m_blob.indexOf('\0');
            if (n < 0)
                n = m_blob.size();
            if (n > 0)
                textTo(QByteArrayView(m_blob.constData(), n), c, out, note);
            return;
        }
        case pxfShort: {
            short v = 0;
            if (PX_get_data_short(m_doc, data, c.len, &v) > 0)
                numberTo(double(v), c, out);
            return;
        }
        case pxfLong:
        case pxfAutoInc: {
            long v = 0;
            if (PX_get_data_long(m_doc, data, c.len, &v) > 0)
                numberTo(double(v), c, out);
            return;
        }
        case pxfNumber:
        case pxfCurrency: {
            double v = 0;
            if (PX_get_data_double(m_doc, data, c.len, &v) > 0)
                numberTo(v, c, out);
            return;
        }
        case pxfBCD: {
            char* s = nullptr;
            if (PX_get_data_bcd(m_doc, reinterpret_cast<unsigned char*>(data), c.len, &s) <= 0 || !s)
                return;
            bool ok = false;
            const double v = QString::fromLatin1(s).toDouble(&ok);
            m_doc->free(m_doc, s);
            if (!ok)
                throw RowRefused{QStringLiteral("%1 ist keine Zahl").arg(c.target.name)};
            numberTo(v, c, out);
            return;
        }
        case pxfLogical: {
            char v = 0;
            if (PX_get_data_byte(m_doc, data, c.len, &v) <= 0)
                return;
            out.kind = Cell::Bool;
            out.i = v != 0;
            return;
        }
        case pxfDate: {
            long v = 0;
            if (PX_get_data_long(m_doc, data, c.len, &v) <= 0)
                return;
            const QDate d = QDate::fromJulianDay(kParadoxEpoch + v);
            if (v <= 0 || !d.isValid() || d.year() > 9999)
                throw RowRefused{QStringLiteral("ungültiges Datum in %1").arg(c.target.name)};
            out.kind = t == FieldType::DateTime ? Cell::DateTime : Cell::Date;
            out.i = kParadoxEpoch + v;
            out.ms = 0;
            return;
        }
        case pxfTimestamp: {
            double v = 0;
            if (PX_get_data_double(m_doc, data, c.len, &v) <= 0)
                return;
            const qint64 ms = qint64(std::llround(v));
            const qint64 days = ms / 86400000;
            const QDate d = QDate::fromJulianDay(kParadoxEpoch + days);
            if (ms <= 0 || !std::isfinite(v) || !d.isValid() || d.year() > 9999)
                throw RowRefused{QStringLiteral("ungültiger Zeitpunkt in %1").arg(c.target.name)};
            out.kind = t == FieldType::Date ? Cell::Date : Cell::DateTime;
            out.i = kParadoxEpoch + days;
            out.ms = int(ms % 86400000);
            return;
        }
        }
    }

private:
    // Each byte of these code pages is one character: the length in bytes is the length in characters.
    void textTo(QByteArrayView bytes, const ColumnMap& c, Cell& out, QString* note)
    {
        if (c.target.type == FieldType::Text && c.target.size > 0 && bytes.size() > c.target.size) {
            *note = QStringLiteral("%1 auf %2 Zeichen gekürzt (war „%3“)")
                        .arg(c.target.name)
                        .arg(c.target.size)
                        .arg(ParadoxText::decode(bytes, m_cp));
            bytes = bytes.first(c.target.size);
        }
        ParadoxText::decodeUtf8(bytes, m_cp, out.text);
        out.kind = Cell::Text;
    }
    static void numberTo(double v, const ColumnMap& c, Cell& out)
    {
        switch (c.target.type) {
        case FieldType::Integer:
        case FieldType::AutoInc:
            if (v != std::floor(v) || std::fabs(v) > 2147483647.0)
                throw RowRefused{QStringLiteral("%1 ist keine ganze Zahl (%2)").arg(c.target.name).arg(v)};
            out.kind = Cell::Int;
            out.i = qint64(v);
            return;
        case FieldType::Float:
            out.kind = Cell::Double;
            out.d = v;
            return;
        case FieldType::Boolean:
            out.kind = Cell::Bool;
            out.i = v != 0;
            return;
        case FieldType::Text:
        case FieldType::Memo:
            out.kind = Cell::Text;
            out.text = QLocale(QLocale::German).toString(v, 'g', 15).toUtf8();
            return;
        default: return;
        }
    }

    pxdoc_t* m_doc;
    ParadoxText::CodePage m_cp;
    const ParadoxMemoFile* m_memo;
    QByteArray m_blob;
};

void bind(BulkInsert& out, int col, const Cell& v)
{
    switch (v.kind) {
    case Cell::Null: out.setNull(col); return;
    case Cell::Int: out.setInt(col, v.i); return;
    case Cell::Double: out.setDouble(col, v.d); return;
    case Cell::Bool: out.setBool(col, v.i != 0); return;
    case Cell::Text: out.setText(col, QByteArrayView(v.text)); return;
    case Cell::Date: out.setDate(col, v.i); return;
    case Cell::DateTime: out.setDateTime(col, v.i, v.ms); return;
    }
}

// Records read and checked, handed from the reading thread to the writing one: the cells of
// each row (width per row; a refused row's are not used), whether it was taken over, and its
// refusal or notes. A few batches in a ring, so that neither thread waits for the other at
// every batch when the machine is busy; their buffers stay from batch to batch.
struct RowBatch {
    static constexpr int kRows = 512;
    struct Text {
        int row;         // in the batch
        QString text;
    };
    std::vector<Cell> cells;
    std::vector<char> taken;
    std::vector<Text> texts;     // in row order
    int rows = 0;
    bool last = false;           // the table ends with this batch
};

class RowPipe {
public:
    explicit RowPipe(size_t width)
    {
        for (RowBatch& b : m_batches) {
            b.cells.resize(size_t(RowBatch::kRows) * width);
            b.taken.resize(size_t(RowBatch::kRows));
        }
    }
    // Reading side: an empty batch, or nullptr once the writing side gave up.
    RowBatch* toFill()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_stop || !m_full[m_fillAt]; });
        if (m_stop)
            return nullptr;
        RowBatch& b = m_batches[m_fillAt];
        b.rows = 0;
        b.last = false;
        b.texts.clear();
        return &b;
    }
    void filled()
    {
        const std::lock_guard lock(m_mutex);
        m_full[m_fillAt] = true;
        m_fillAt = (m_fillAt + 1) % kBatches;
        m_changed.notify_all();
    }
    void failed(std::exception_ptr e)
    {
        const std::lock_guard lock(m_mutex);
        m_error = std::move(e);
        m_changed.notify_all();
    }
    // Writing side: the next batch in order; throws what ended the reading.
    RowBatch* toWrite()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_full[m_writeAt] || m_error; });
        if (!m_full[m_writeAt])
            std::rethrow_exception(m_error);
        return &m_batches[m_writeAt];
    }
    void written()
    {
        const std::lock_guard lock(m_mutex);
        m_full[m_writeAt] = false;
        m_writeAt = (m_writeAt + 1) % kBatches;
        m_changed.notify_all();
    }
    void stop()
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
        m_changed.notify_all();
    }

private:
    static constexpr int kBatches = 4;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    RowBatch m_batches[kBatches];
    bool m_full[kBatches] = {};
    int m_fillAt = 0;
    int m_writeAt = 0;
    bool m_stop = false;
    std::exception_ptr m_error;
};

// The non-unique indexes of a table, dropped while its rows go in and made again afterwards,
// all in the import's transaction: one sort per index instead of an index entry per row.
class IndexesAside {
public:
    IndexesAside(Backend& db, const TableDef& shape) : m_db(db), m_shape(shape)
    {
        const QString table = normalTableName(shape.name);
        for (const IndexDef& i : shape.indexes) {
            if (i.primary || i.unique)
                continue;
            m_db.exec(QStringLiteral("DROP INDEX IF EXISTS %1_%2").arg(table, i.name));
            m_aside << i;
        }
    }
    void restore()
    {
        const QString table = normalTableName(m_shape.name);
        for (const IndexDef& i : std::as_const(m_aside))
            m_db.exec(m_db.indexSql(table, table + QLatin1Char('_') + i.name, i, m_shape));
        m_aside.clear();
    }

private:
    Backend& m_db;
    const TableDef& m_shape;
    QList<IndexDef> m_aside;
};

} // namespace

// The keys of the tables taken over and the values of their links, so that links pointing
// nowhere are found without reading the tables again.
// Opening a table with pxlib reads the head of every data block: once per import is enough.
struct ParadoxImport::OpenTable {
    explicit OpenTable(const QString& path) : px(path) {}
    PxFile px;
    std::optional<ParadoxMemoFile> memo;
};

struct ParadoxImport::Taken {
    QHash<QString, IntOwners> keys;        // table -> the integer keys of its rows taken over
    QSet<QString> keysAssigned;            // tables whose keys the database gave
    std::vector<std::vector<qint64>> linkValues = std::vector<std::vector<qint64>>(size_t(links().size()));
};

ParadoxImport::~ParadoxImport() = default;

qint64 ImportReport::refusedRows() const
{
    qint64 n = 0;
    for (const auto& t : tables)
        n += t.refused;
    return n;
}

QString ImportReport::summary(int maxListed) const
{
    return (committed ? QStringLiteral("Datenübernahme abgeschlossen.")
                      : QStringLiteral("Datenübernahme nicht ausgeführt – das Register ist unverändert."))
        + QLatin1Char('\n') + details(maxListed);
}

QString ImportReport::details(int maxListed) const
{
    const auto listed = [maxListed](QStringList& lines, const QStringList& items) {
        const qsizetype n = maxListed < 0 ? items.size() : std::min<qsizetype>(items.size(), maxListed);
        for (qsizetype i = 0; i < n; ++i)
            lines << QStringLiteral("   ") + items[i];
        if (n < items.size())
            lines << QStringLiteral("   … und %1 weitere").arg(items.size() - n);
    };
    const QLocale de(QLocale::German);
    QStringList lines;
    if (!replaced.isEmpty())
        lines << QStringLiteral("Ersetzt wurden die bisherigen Daten: %1").arg(replaced.join(QStringLiteral(", ")));
    for (const auto& t : tables) {
        QString line = QStringLiteral("%1 (%2, %3): %4 von %5 Zeilen übernommen")
                           .arg(germanTableName(t.table), t.file, t.codePage, de.toString(t.imported), de.toString(t.read));
        if (t.refused)
            line += QStringLiteral(", %1 abgewiesen").arg(de.toString(t.refused));
        lines << line;
        if (!t.extraColumns.isEmpty())
            lines << QStringLiteral("   unbekannte Spalten, nicht übernommen: %1").arg(t.extraColumns.join(QStringLiteral(", ")));
        if (!t.missingColumns.isEmpty()) {
            // A window names a few; the tool lists them all.
            const int shown = maxListed < 0 ? int(t.missingColumns.size()) : std::min<int>(int(t.missingColumns.size()), 8);
            QString names = t.missingColumns.mid(0, shown).join(QStringLiteral(", "));
            if (shown < t.missingColumns.size())
                names += QStringLiteral(" … (%1 insgesamt)").arg(t.missingColumns.size());
            lines << QStringLiteral("   fehlende Spalten, leer gelassen: %1").arg(names);
        }
    }
    if (!refusals.isEmpty()) {
        lines << QStringLiteral("Abgewiesene Zeilen:");
        listed(lines, refusals);
    }
    if (!notes.isEmpty()) {
        lines << QStringLiteral("Geänderte Werte:");
        listed(lines, notes);
    }
    if (!danglingLinks.isEmpty()) {
        lines << QStringLiteral("Verweise ins Leere (übernommen, Anzeige bleibt leer):");
        for (const QString& r : danglingLinks)
            lines << QStringLiteral("   ") + r;
    }
    return lines.join(QLatin1Char('\n'));
}

ParadoxImport::ParadoxImport(QString sourceDir) : m_dir(std::move(sourceDir)) {}

QStringList ParadoxImport::tablesFound() const
{
    QStringList t;
    for (const auto& s : m_sources)
        t << s.table;
    return t;
}

void ParadoxImport::check()
{
    m_sources.clear();
    const QDir dir(m_dir);
    if (m_dir.isEmpty() || !dir.exists())
        throw HwError(QStringLiteral("Das Verzeichnis „%1“ gibt es nicht.").arg(QDir::toNativeSeparators(m_dir)));
    for (const QString& table : importOrder()) {
        const QString path = findFile(dir, table, QStringLiteral("DB"));
        if (path.isEmpty())
            continue;
        Source s{table, path, findFile(dir, table, QStringLiteral("MB")), std::make_shared<OpenTable>(path)};
        const pxhead_t* h = s.file->px.head();
        // A file cut short still has its header; the blocks it announces must all be there.
        const qint64 blockSize = qint64(h->px_maxtablesize) * 1024;
        const qint64 needed = qint64(h->px_headersize) + qint64(h->px_fileblocks) * blockSize;
        if (h->px_filetype != pxfFileTypIndexDB && h->px_filetype != pxfFileTypNonIndexDB)
            throw HwError(PxFile::damaged(path, QStringLiteral("keine Datentabelle")));
        if (blockSize <= 0 || h->px_numrecords < 0 || QFileInfo(path).size() < needed
            || (h->px_numrecords > 0 && h->px_fileblocks == 0))
            throw HwError(PxFile::damaged(path, QStringLiteral("Datei ist kürzer als ihr Kopf angibt")));
        bool memos = false;
        for (int i = 0; i < h->px_numfields; ++i)
            memos = memos || h->px_fields[i].px_ftype == pxfMemoBLOb || h->px_fields[i].px_ftype == pxfFmtMemoBLOb;
        // Paradox always keeps a memo file beside a table with memo fields.
        if (memos && s.memoPath.isEmpty())
            throw HwError(QStringLiteral("Zur Tabelle „%1“ fehlt die Memo-Datei %2. Bitte die .MB-Datei mit in das "
                                         "Verzeichnis legen. Es wurde nichts übernommen.")
                              .arg(QDir::toNativeSeparators(path), QFileInfo(path).completeBaseName() + QStringLiteral(".MB")));
        if (memos)
            s.file->memo.emplace(s.memoPath);
        else
            s.memoPath.clear();
        m_sources << s;
    }
    if (m_sources.isEmpty())
        throw HwError(QStringLiteral("Im Verzeichnis „%1“ liegen keine Tabellen des Leiterregisters (LT_LEIT.DB, "
                                     "LT_PRUEF.DB, PR_TAB.DB …). Bitte das Verzeichnis der alten Daten wählen.")
                          .arg(QDir::toNativeSeparators(m_dir)));
}

qint64 ParadoxImport::ladderCount(const QString& alias)
{
    Backend& db = Engine::instance().backend(alias);
    auto c = db.select(QStringLiteral("SELECT COUNT(*) FROM LT_LEIT"));
    return c->next() ? c->intValue(0) : 0;
}

void ParadoxImport::requireAlone(const QString& alias)
{
    // The others' windows would keep rows of a register that is no longer there.
    const QStringList others = RegisterBackup::otherUsers(alias);
    if (!others.isEmpty())
        throw HwError(QStringLiteral("Daten können nur übernommen werden, wenn an keinem anderen Arbeitsplatz mit dem Register "
                                     "gearbeitet wird. Noch angemeldet: %1.\nBitte dort das Programm beenden und dann erneut "
                                     "übernehmen. Es wurde nichts geändert.")
                          .arg(others.join(QStringLiteral(", "))));
}

ImportReport ParadoxImport::run(const QString& alias)
{
    // The files as they are now, even when checked before a question to the user.
    check();
    const auto closeFiles = qScopeGuard([this] {
        for (Source& s : m_sources)
            s.file.reset();
    });
    requireAlone(alias);
    m_report = ImportReport();
    m_taken = std::make_unique<Taken>();
    Backend& db = Engine::instance().backend(alias);

    qint64 total = 0;
    for (const auto& s : m_sources)
        total += s.file->px.head()->px_numrecords;

    Transaction t(db);
    const qint64 existing = [&] {
        auto c = db.select(QStringLiteral("SELECT COUNT(*) FROM LT_LEIT"));
        return c->next() ? c->intValue(0) : 0;
    }();
    if (existing > 0 && !m_replace)
        throw HwError(QStringLiteral("Das Register enthält schon %1 Leitern. Die Übernahme ersetzt es nur, "
                                     "wenn das ausdrücklich bestätigt wird; es wurde nichts geändert.")
                          .arg(QLocale(QLocale::German).toString(existing)));
    // Replacing means the whole register: inspections of a ladder that is gone would dangle.
    // The change history keeps one row per replaced table instead of one per field and row.
    m_rowVersion.clear();
    for (const QString& table : importOrder()) {
        // Rows that come back under an ID they had before carry a version no replaced row
        // had, so a workstation holding the old row re-reads it and cannot save over it.
        if (tableDef(table).primaryIndex()) {
            auto c = db.select(QStringLiteral("SELECT COALESCE(MAX(%2), 0) FROM %1").arg(table, QLatin1String(Catalog::RowVersionColumn)));
            m_rowVersion.insert(table, c->next() ? c->intValue(0) + 1 : 1);
        }
        const int removed = db.exec(QStringLiteral("DELETE FROM %1").arg(table));
        if (removed > 0)
            m_report.replaced << QStringLiteral("%1: %2 Zeilen").arg(germanTableName(table)).arg(removed);
        if (removed > 0)
            Verlauf::write(db, table, Verlauf::Aktion::Geloescht, 0, std::nullopt,
                           {{kVerlaufFeld, QStringLiteral("%1 Zeilen durch Datenübernahme ersetzt").arg(removed), QString()}});
    }

    ProgressThrottle progress(m_progress);
    qint64 done = 0;
    for (const auto& s : m_sources)
        importTable(db, s, progress, done, total);
    findDanglingLinks(db);
    for (const ImportTableResult& r : std::as_const(m_report.tables))
        Verlauf::write(db, r.table, Verlauf::Aktion::Neu, 0, std::nullopt,
                       {{kVerlaufFeld, QString(),
                         QStringLiteral("%1 Zeilen übernommen aus %2").arg(r.imported).arg(QDir::toNativeSeparators(sourceFile(r)))}});

    if (db.description() == QLatin1String("PostgreSQL")) {
        // Kept IDs: the next new row must get a number after them.
        for (const QString& table : importOrder()) {
            const TableDef def = tableDef(table);
            for (const FieldDef& f : def.fields)
                if (f.type == FieldType::AutoInc)
                    db.select(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), "
                                             "COALESCE((SELECT MAX(%2) FROM %1), 0) + 1, false)")
                                  .arg(table.toLower(), f.name.toLower()))
                        ->next();
        }
    }
    for (const QString& table : importOrder())
        Catalog::bumpChange(db, table);

    if (!progress.finish(done, total, QStringLiteral("Übernahme abgeschlossen")))
        throw Abort();
    if (m_report.refusedRows() > 0 && !(m_confirm && m_confirm(m_report)))
        throw Abort();
    t.commit();
    m_report.committed = true;
    return m_report;
}

QString ParadoxImport::sourceFile(const ImportTableResult& r) const
{
    for (const Source& s : m_sources)
        if (s.table == r.table)
            return s.path;
    return r.file;
}

void ParadoxImport::importTable(Backend& db, const Source& src, ProgressThrottle& progress, qint64& done, qint64 total)
{
    const PxFile& f = src.file->px;
    const std::optional<ParadoxMemoFile>& memo = src.file->memo;
    pxdoc_t* doc = f.doc();
    const pxhead_t* h = f.head();
    const TableDef def = tableDef(src.table);
    // The register's own description of the table: its indexes are the register's.
    const std::optional<TableDef> live = Catalog::readTable(db, src.table);
    const TableDef& shape = live ? *live : def;

    ImportTableResult res;
    res.table = src.table;
    res.file = QFileInfo(src.path).fileName();
    const ParadoxText::CodePage cp = ParadoxText::fromHeader(h->px_doscodepage);
    res.codePage = ParadoxText::name(cp, h->px_doscodepage);
    res.read = h->px_numrecords;

    // Columns by name, regardless of case and order.
    QList<ColumnMap> cols;
    QSet<QString> seen;
    int offset = 0;
    for (int i = 0; i < h->px_numfields; ++i) {
        const pxfield_t& pf = h->px_fields[i];
        const QString name = ParadoxText::decode(QByteArrayView(pf.px_fname, qstrlen(pf.px_fname)), cp);
        const FieldDef* target = def.field(name);
        if (target && !target->isStored())
            target = nullptr;
        if (target && !convertible(pf.px_ftype, target->type)) {
            res.extraColumns << QStringLiteral("%1 (%2 passt nicht)").arg(name, pxTypeName(pf.px_ftype));
        } else if (!target || seen.contains(target->name.toUpper())) {
            res.extraColumns << name;
        } else {
            seen.insert(target->name.toUpper());
            cols << ColumnMap{offset, pf.px_flen, pf.px_ftype, *target};
        }
        offset += pf.px_flen;
    }
    // A column the old program never had stays empty without a word.
    for (const FieldDef& fd : def.fields)
        if (fd.isStored() && !seen.contains(fd.name.toUpper()) && !Schema::addedLater(src.table, fd.name))
            res.missingColumns << fd.name;

    QStringList names;
    int nrCol = -1, kurzCol = -1;
    for (int i = 0; i < cols.size(); ++i) {
        names << cols[i].target.name;
        if (src.table == QLatin1String("LT_LEIT") && cols[i].target.name == QLatin1String("Nr"))
            nrCol = i;
        if (cols[i].target.name == QLatin1String("KurzBez"))
            kurzCol = i;
    }
    QList<UniqueCheck> uniques = uniqueChecks(shape, cols);
    // The key named with a refused row and as the owner of a value another row repeats.
    int keyCol = -1;
    if (!uniques.isEmpty() && uniques[0].primary && uniques[0].cols.size() == 1)
        keyCol = uniques[0].cols[0];
    for (UniqueCheck& u : uniques)
        if (u.singleInt)
            u.ints.reserve(h->px_numrecords);
    QList<std::pair<std::vector<qint64>*, int>> linkCols;     // where the values go, column
    for (int li = 0; li < links().size(); ++li) {
        if (links()[li].table != src.table)
            continue;
        for (int i = 0; i < cols.size(); ++i)
            if (cols[i].target.name.compare(links()[li].column, Qt::CaseInsensitive) == 0)
                linkCols << std::make_pair(&m_taken->linkValues[size_t(li)], i);
    }
    const bool versioned = m_rowVersion.contains(src.table);
    if (versioned)
        names << QLatin1String(Catalog::RowVersionColumn);
    const qint64 rowVersion = m_rowVersion.value(src.table);
    const FieldDef* kurzDef = def.field(QStringLiteral("KurzBez"));
    const bool needNr = src.table == QLatin1String("LT_LEIT");
    const bool needKurz = kurzDef && kurzDef->required;

    QList<int> ruled;
    for (int i = 0; i < cols.size(); ++i) {
        const FieldDef& fd = cols[i].target;
        if ((fd.required && fd.type != FieldType::AutoInc) || fd.minValue || fd.maxValue)
            ruled << i;
    }
    RowReader reader(doc, cp, memo ? &*memo : nullptr);
    struct Pending {
        UniqueCheck* u;
        qint64 value;
        QString key;
    };
    QList<Pending> pending;
    ParadoxRecords records(src.path, layoutOf(*h));
    IndexesAside aside(db, shape);
    const std::unique_ptr<BulkInsert> insert = bulkInsert(db, src.table, names);
    const size_t width = size_t(cols.size());
    const QString what = QStringLiteral("%1 (%2)").arg(germanTableName(src.table), res.file);

    // Reads, converts and checks one record into values (width cells); false when the row is
    // refused. Only the reading thread calls it: it keeps the unique checks and the links.
    QStringList rowNotes;
    QString note;
    const auto readRow = [&](char* record, qint64 r, Cell* values, RowBatch& out) -> bool {
        const auto where = [&] { return QStringLiteral("%1 Zeile %2").arg(res.file).arg(r + 1); };
        rowNotes.clear();
        int readCols = 0;
        try {
            for (const ColumnMap& c : std::as_const(cols)) {
                reader.read(record, c, values[size_t(readCols)], &note);
                ++readCols;
                if (!note.isEmpty()) {
                    rowNotes << note;
                    note.clear();
                }
            }
            // The field rules the program's own saves keep: a required value, a range.
            for (int i : std::as_const(ruled)) {
                const FieldDef& fd = cols[i].target;
                const Cell& v = values[size_t(i)];
                if (v.isNull()) {
                    if (fd.required && i != keyCol && i != nrCol)
                        throw RowRefused{QStringLiteral("Feld '%1' muß einen Wert haben").arg(fd.label())};
                    continue;
                }
                const double x = v.number();
                if ((fd.minValue && x < *fd.minValue) || (fd.maxValue && x > *fd.maxValue))
                    throw RowRefused{QStringLiteral("%1 muß zwischen %2 und %3 liegen (ist %4)")
                                         .arg(fd.label())
                                         .arg(fd.minValue.value_or(0))
                                         .arg(fd.maxValue.value_or(0))
                                         .arg(v.toString())};
            }
            if (needNr && (nrCol < 0 || values[size_t(nrCol)].isNull()))
                throw RowRefused{QStringLiteral("Leiter-Nr fehlt")};
            pending.clear();
            for (UniqueCheck& u : uniques) {
                if (u.keyMissing)
                    throw RowRefused{QStringLiteral("Schlüssel %1 fehlt").arg(u.what)};
                bool empty = false;
                for (int c : std::as_const(u.cols))
                    empty = empty || c < 0 || values[size_t(c)].isNull();
                if (empty) {
                    if (u.primary)
                        throw RowRefused{QStringLiteral("Schlüssel %1 fehlt").arg(u.what)};
                    continue;     // an empty value never breaks a unique index
                }
                const auto twice = [&](qint64 owner) {
                    QStringList shown;
                    for (int c : std::as_const(u.cols))
                        shown << values[size_t(c)].shown();
                    const QString text = QStringLiteral("%1 %2 doppelt").arg(u.what, shown.join(QLatin1Char('/')));
                    if (u.primary)
                        return text;
                    return QStringLiteral("%1 (%2)").arg(text, keyCol >= 0 ? QStringLiteral("schon bei %1 %2").arg(cols[keyCol].target.name).arg(owner)
                                                                             : QStringLiteral("schon in Zeile %1").arg(owner));
                };
                if (u.singleInt) {
                    const qint64 v = values[size_t(u.cols[0])].i;
                    if (const qint64* owner = u.ints.find(v))
                        throw RowRefused{twice(*owner)};
                    pending << Pending{&u, v, QString()};
                } else {
                    QString key;
                    for (int i = 0; i < u.cols.size(); ++i)
                        key += values[size_t(u.cols[i])].keyText(u.folded[i]) + QChar(0x1f);
                    const auto it = u.keys.constFind(key);
                    if (it != u.keys.cend())
                        throw RowRefused{twice(*it)};
                    pending << Pending{&u, 0, key};
                }
            }
            if (needKurz && (kurzCol < 0 || values[size_t(kurzCol)].blankText()))
                throw RowRefused{QStringLiteral("%1 ist leer").arg(kurzDef->label())};
        } catch (const RowRefused& refused) {
            QString id;
            if (keyCol >= 0 && keyCol < readCols && !values[size_t(keyCol)].isNull())
                id = QStringLiteral(" (%1 %2)").arg(cols[keyCol].target.name, values[size_t(keyCol)].toString());
            out.texts.push_back({out.rows, QStringLiteral("%1%2: %3").arg(where(), id, refused.reason)});
            return false;
        }
        // Only a row taken over holds its values: a refused one leaves them to a later row.
        const qint64 self = keyCol >= 0 ? values[size_t(keyCol)].i : r + 1;
        for (const Pending& p : std::as_const(pending)) {
            if (p.u->singleInt)
                p.u->ints.insert(p.value, self);
            else
                p.u->keys.insert(p.key, self);
        }
        for (const auto& [to, i] : std::as_const(linkCols)) {
            const Cell& v = values[size_t(i)];
            if (v.kind == Cell::Int && v.i != 0)     // 0 is "none" for these keys, as empty is
                to->push_back(v.i);
        }
        for (const QString& n : std::as_const(rowNotes))
            out.texts.push_back({out.rows, QStringLiteral("%1: %2").arg(where(), n)});
        return true;
    };

    // One thread reads and checks the records while this one writes the rows before them:
    // the database stays with the caller's thread (and the progress and questions with it).
    RowPipe pipe(width);
    std::thread reading([&] {
        qint64 r = 0;
        try {
            while (RowBatch* batch = pipe.toFill()) {
                while (batch->rows < RowBatch::kRows) {
                    char* record = records.next();
                    if (!record) {
                        batch->last = true;
                        break;
                    }
                    if (r >= h->px_numrecords)
                        throw HwError(PxFile::damaged(src.path, QStringLiteral("mehr Zeilen als der Kopf angibt")));
                    Cell* values = &batch->cells[size_t(batch->rows) * width];
                    batch->taken[size_t(batch->rows)] = readRow(record, r, values, *batch);
                    ++batch->rows;
                    ++r;
                }
                const bool last = batch->last;
                pipe.filled();
                if (last)
                    return;
            }
        } catch (...) {
            pipe.failed(std::current_exception());
        }
    });
    const auto stopReading = qScopeGuard([&] {
        pipe.stop();
        if (reading.joinable())
            reading.join();
    });
    for (;;) {
        RowBatch* batch = pipe.toWrite();     // rethrows what stopped the reading
        size_t text = 0;
        for (int e = 0; e < batch->rows; ++e) {
            ++done;
            // The throttle asks the clock; every row would cost more than the row.
            if ((done & 63) == 1 && !progress.report(done, total, what))
                throw Abort();
            if (!batch->taken[size_t(e)]) {
                ++res.refused;
                for (; text < batch->texts.size() && batch->texts[text].row == e; ++text)
                    m_report.refusals << batch->texts[text].text;
                continue;
            }
            const Cell* values = &batch->cells[size_t(e) * width];
            for (size_t i = 0; i < width; ++i)
                bind(*insert, int(i), values[i]);
            if (versioned)
                insert->setInt(int(width), rowVersion);
            insert->addRow();
            ++res.imported;
            for (; text < batch->texts.size() && batch->texts[text].row == e; ++text)
                m_report.notes << batch->texts[text].text;
        }
        const bool last = batch->last;
        pipe.written();
        if (last)
            break;
    }
    reading.join();
    if (records.read() != h->px_numrecords)
        throw HwError(PxFile::damaged(src.path, QStringLiteral("%1 Zeilen gefunden, der Kopf nennt %2").arg(records.read()).arg(h->px_numrecords)));
    if (!uniques.isEmpty() && uniques[0].primary && uniques[0].singleInt)
        m_taken->keys.insert(src.table, std::move(uniques[0].ints));
    else
        m_taken->keysAssigned.insert(src.table);
    insert->finish();
    aside.restore();
    m_report.tables << res;
}

void ParadoxImport::findDanglingLinks(Backend& db)
{
    // Every table of the register was emptied first: a target that was not taken over is empty.
    const auto keyOf = [](const QString& table) {
        const IndexDef* primary = tableDef(table).primaryIndex();
        return primary ? primary->fields : QString();
    };
    for (int li = 0; li < links().size(); ++li) {
        const Link& l = links()[li];
        std::vector<qint64> dangling;
        if (m_taken->keysAssigned.contains(l.target) || keyOf(l.target).compare(l.targetKey, Qt::CaseInsensitive) != 0) {
            // Keys the database gave are only in the database.
            auto c = db.select(QStringLiteral("SELECT a.%2 FROM %1 a WHERE a.%2 IS NOT NULL AND a.%2 <> 0 AND NOT EXISTS "
                                              "(SELECT 1 FROM %3 b WHERE b.%4 = a.%2)")
                                   .arg(l.table, l.column, l.target, l.targetKey));
            while (c->next())
                dangling.push_back(c->intValue(0));
        } else {
            const IntOwners empty;
            const auto found = m_taken->keys.constFind(l.target);
            const IntOwners& keys = found != m_taken->keys.cend() ? *found : empty;
            for (const qint64 v : m_taken->linkValues[size_t(li)])
                if (!keys.contains(v))
                    dangling.push_back(v);
        }
        if (dangling.empty())
            continue;
        const qint64 n = qint64(dangling.size());
        std::sort(dangling.begin(), dangling.end());
        dangling.erase(std::unique(dangling.begin(), dangling.end()), dangling.end());
        QStringList sample;
        for (size_t i = 0; i < dangling.size() && i < 10; ++i)
            sample << QString::number(dangling[i]);
        m_report.danglingLinks << QStringLiteral("%1: %2 (%3%4)")
                                      .arg(l.text)
                                      .arg(n)
                                      .arg(sample.join(QStringLiteral(", ")), dangling.size() > size_t(sample.size()) ? QStringLiteral(" …") : QString());
    }
}
