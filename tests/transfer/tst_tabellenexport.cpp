#include "Errors.h"
#include "TabellenExport.h"
#include "Table.h"
#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>
#include <unistd.h>

// Spreadsheet export: what Excel reads back from the files, and no half file on failure.
class TestTabellenExport : public QObject {
    Q_OBJECT

    // Nr, short description, length, due date, changed at.
    static ExportTabelle beispiel()
    {
        ExportTabelle t;
        t.blatt = QStringLiteral("Leitern");
        t.spalten = {{"Leiter-Nr", ExportTyp::Ganzzahl, 8},
                     {"Kurz.-Bezeichnung", ExportTyp::Text, 27},
                     {"Länge (m)", ExportTyp::Zahl, 8, 2},
                     {"Prüf.-Termin", ExportTyp::Datum, 11},
                     {"geändert am:", ExportTyp::DatumZeit, 16}};
        static const QList<QVariantList> rows = {
            {7, QStringLiteral("Stehleiter; \"Größe 3\" Übergröße"), 1.5, QDate(2026, 2, 1),
             QDateTime(QDate(2026, 1, 5), QTime(14, 30))},
            {12, QStringLiteral("=HYPERLINK(\"x\")"), QVariant(), QVariant(), QVariant()},
            {13, QStringLiteral("zwei\nZeilen"), 12.25, QDate(1999, 12, 31), QVariant()}};
        t.zeilen = rows.size();
        t.wert = [](qint64 r, int c) { return rows[int(r)][c]; };
        return t;
    }

    static QByteArray unzip(const QString& file, const QString& member)
    {
        QProcess p;
        p.start("unzip", {"-p", file, member});
        if (!p.waitForFinished(10000) || p.exitCode() != 0)
            return QByteArray();
        return p.readAllStandardOutput();
    }

    struct Zelle {
        QString typ, stil, wert;
    };

    // Cells of the sheet by reference ("B2"), and the number of rows.
    static QHash<QString, Zelle> zellen(const QByteArray& xml, int* rows, QString* pane)
    {
        QHash<QString, Zelle> out;
        QXmlStreamReader x(xml);
        QString ref;
        *rows = 0;
        while (!x.atEnd()) {
            x.readNext();
            if (!x.isStartElement())
                continue;
            if (x.name() == u"row")
                ++*rows;
            else if (x.name() == u"pane")
                *pane = x.attributes().value("ySplit").toString() + "/" + x.attributes().value("state").toString();
            else if (x.name() == u"c") {
                ref = x.attributes().value("r").toString();
                out[ref] = {x.attributes().value("t").toString(), x.attributes().value("s").toString(), QString()};
            } else if (x.name() == u"v" || x.name() == u"t")
                out[ref].wert = x.readElementText();
        }
        return out;
    }

    // numFmtId -> format code, and cellXfs index -> numFmtId.
    static QString zahlFormat(const QByteArray& styles, int xf)
    {
        QHash<QString, QString> codes;
        QStringList xfs;
        bool inXfs = false;
        QXmlStreamReader x(styles);
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == u"numFmt")
                codes[x.attributes().value("numFmtId").toString()] = x.attributes().value("formatCode").toString();
            else if (x.isStartElement() && x.name() == u"cellXfs")
                inXfs = true;
            else if (x.isEndElement() && x.name() == u"cellXfs")
                inXfs = false;
            else if (inXfs && x.isStartElement() && x.name() == u"xf")
                xfs << x.attributes().value("numFmtId").toString();
        }
        return codes.value(xfs.value(xf));
    }

    // A small CSV reader as Excel reads: ';', quoted fields with doubled quotes, CRLF.
    static QList<QStringList> leseCsv(const QString& text)
    {
        QList<QStringList> rows;
        QStringList row;
        QString field;
        bool quoted = false;
        for (int i = 0; i < text.size(); ++i) {
            const QChar ch = text[i];
            if (quoted) {
                if (ch == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else if (ch == '"') {
                    quoted = false;
                } else {
                    field += ch;
                }
            } else if (ch == '"') {
                quoted = true;
            } else if (ch == ';') {
                row << field;
                field.clear();
            } else if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                row << field;
                rows << row;
                row.clear();
                field.clear();
                ++i;
            } else {
                field += ch;
            }
        }
        return rows;
    }

private slots:
    void xlsxGelesen()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("liste.xlsx");
        exportiere(beispiel(), file, exportFormatFuer(file));
        const QByteArray sheet = unzip(file, "xl/worksheets/sheet1.xml");
        QVERIFY(!sheet.isEmpty());
        int rows = 0;
        QString pane;
        const QHash<QString, Zelle> z = zellen(sheet, &rows, &pane);
        QCOMPARE(rows, 4);
        QCOMPARE(pane, QString("1/frozen"));
        QVERIFY(sheet.contains("<col "));
        QCOMPARE(z["B1"].wert, QString("Kurz.-Bezeichnung"));
        QCOMPARE(z["C1"].wert, QString("Länge (m)"));
        // Numbers and dates are numeric cells (no type attribute), texts are strings.
        QCOMPARE(z["A2"].typ, QString());
        QCOMPARE(z["A2"].wert, QString("7"));
        QCOMPARE(z["C2"].wert.toDouble(), 1.5);
        QCOMPARE(z["D2"].typ, QString());
        QCOMPARE(z["D2"].wert, QString("46054"));        // 01.02.2026 as Excel's day number
        QCOMPARE(z["D4"].wert, QString("36525"));        // 31.12.1999
        QCOMPARE(z["E2"].wert.toDouble(), 46027 + 14.5 / 24);
        QVERIFY(!z["B2"].typ.isEmpty());
        QCOMPARE(z["B2"].wert, QString("Stehleiter; \"Größe 3\" Übergröße"));
        QCOMPARE(z["B3"].wert, QString("=HYPERLINK(\"x\")"));
        QVERIFY(!z.contains("D3"));                       // empty date: no cell
        const QByteArray styles = unzip(file, "xl/styles.xml");
        QCOMPARE(zahlFormat(styles, z["D2"].stil.toInt()), QString("dd.mm.yyyy"));
        QCOMPARE(zahlFormat(styles, z["E2"].stil.toInt()), QString("dd.mm.yyyy hh:mm"));
        QVERIFY(!QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(".liste").size());
    }

    void csvGelesen()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("liste.CSV");
        exportiere(beispiel(), file, exportFormatFuer(file));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QList<QStringList> rows = leseCsv(QString::fromUtf8(bytes.mid(3)));
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0], (QStringList{"Leiter-Nr", "Kurz.-Bezeichnung", "Länge (m)", "Prüf.-Termin", "geändert am:"}));
        QCOMPARE(rows[1], (QStringList{"7", "Stehleiter; \"Größe 3\" Übergröße", "1,50", "01.02.2026", "05.01.2026 14:30"}));
        // A formula-like text stays text; empty values are empty fields.
        QCOMPARE(rows[2], (QStringList{"12", "'=HYPERLINK(\"x\")", "", "", ""}));
        QCOMPARE(rows[3], (QStringList{"13", "zwei\nZeilen", "12,25", "31.12.1999", ""}));
    }

    // A cursor's rows as the grid shows them: the ladder type and material are looked up by
    // keys that repeat, are empty or name nothing; each cell is the text of that row's own key
    // in that column's own table (both tables number from 1).
    void ausCursorMitNachschlagen()
    {
        TestDataDir dir;
        Table arten("LARTEN");
        arten.open();
        QList<int> artId;
        for (const char* name : {"Stehleiter", "Anlegeleiter"}) {
            arten.append();
            arten.setValue("KurzBez", QString::fromUtf8(name));
            arten.post();
            artId << arten.field("ID").asInteger();
        }
        Table material("MATERIAL");
        material.open();
        for (const char* name : {"Holz", "Aluminium"}) {
            material.append();
            material.setValue("KurzBez", QString::fromUtf8(name));
            material.post();
        }
        const QList<QVariant> keys = {artId[0], artId[1], QVariant(), artId[0], artId[1] + 100, artId[1]};
        {
            Table t("LT_LEIT");
            t.open();
            for (int i = 0; i < keys.size(); ++i) {
                t.append();
                t.setValue("Nr", i + 1);
                t.setValue("KurzBez", QString("Leiter %1").arg(i + 1));
                if (keys[i].isValid()) {
                    t.setValue("Art_ID", keys[i]);
                    t.setValue("Mat_ID", keys[i]);
                }
                t.post();
            }
        }
        Table leiter("LT_LEIT");
        leiter.setIndexFieldNames("Nr");
        leiter.addLookupField("Art", 30, "Leiter-Art", "Art_ID", &arten, "ID", "KurzBez");
        leiter.addLookupField("Mat", 30, "Material", "Mat_ID", &material, "ID", "KurzBez");
        leiter.open();
        const ExportTabelle e = exportTabelle(leiter, {"Nr", "Art", "Mat"}, "Leitern");
        QCOMPARE(e.zeilen, qint64(keys.size()));
        QCOMPARE(e.spalten[1].titel, QString("Leiter-Art"));
        const QStringList art = {"Stehleiter", "Anlegeleiter", "", "Stehleiter", "", "Anlegeleiter"};
        const QStringList mat = {"Holz", "Aluminium", "", "Holz", "", "Aluminium"};
        for (int r = 0; r < keys.size(); ++r) {
            QCOMPARE(e.wert(r, 0).toInt(), r + 1);
            QCOMPARE(e.wert(r, 1).toString(), art[r]);
            QCOMPARE(e.wert(r, 2).toString(), mat[r]);
        }
    }

    // A write that cannot be done leaves neither a half file nor a temporary one, and an older
    // file of the same name stays as it was.
    void fehlschlagHinterlaesstNichts_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("fall");
        for (const char* fmt : {"xlsx", "csv"}) {
            QTest::newRow(QByteArray(fmt) + ", read-only directory") << fmt << "readonly";
            QTest::newRow(QByteArray(fmt) + ", cancelled over an older file") << fmt << "cancel";
            QTest::newRow(QByteArray(fmt) + ", missing directory") << fmt << "missing";
        }
    }

    void fehlschlagHinterlaesstNichts()
    {
        QFETCH(QString, format);
        QFETCH(QString, fall);
        QTemporaryDir tmp;
        QString dirPath = tmp.filePath("ziel");
        QVERIFY(QDir().mkpath(dirPath));
        const QString older = "alte Liste";
        if (fall == "cancel") {
            QFile f(dirPath + "/liste." + format);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(older.toUtf8());
        } else if (fall == "readonly") {
            // root writes into any mode bits: /proc takes no new files from anyone.
            if (::geteuid() == 0)
                dirPath = "/proc/self";
            else
                QVERIFY(QFile::setPermissions(dirPath, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        } else {
            dirPath = tmp.filePath("fehlt/auch");
        }
        const QString file = dirPath + "/liste." + format;
        const QStringList before = QDir(dirPath).entryList(QDir::Files | QDir::Hidden | QDir::System);
        ExportTabelle t = beispiel();
        bool aborted = false;
        QString message;
        try {
            exportiere(t, file, exportFormatFuer(file), [](qint64 done, qint64, const QString&) { return done < 2; });
        } catch (const Abort&) {
            aborted = true;
        } catch (const HwError& e) {
            message = e.message();
        }
        QFile::setPermissions(tmp.filePath("ziel"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (fall == "cancel") {
            QVERIFY(aborted);
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromUtf8(f.readAll()), older);
        } else {
            QVERIFY(!aborted);
            QVERIFY2(message.contains("konnte nicht geschrieben werden"), qPrintable(message));
            QVERIFY(!QFile::exists(file));
        }
        QCOMPARE(QDir(dirPath).entryList(QDir::Files | QDir::Hidden | QDir::System), before);
    }
};

QTEST_MAIN(TestTabellenExport)
#include "tst_tabellenexport.moc"
