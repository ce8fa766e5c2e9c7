#include "RepLayout.h"

#include "DataModule.h"
#include "DataSet.h"
#include "DisplayMask.h"
#include "Kriterien.h"
#include "LtFirmAbt.h"
#include "ReportBand.h"
#include "ReportDataSource.h"

namespace RepLayout {

ReportText::Formatter flag(const QString& onText)
{
    return [onText](const QVariant& v) { return v.isValid() && !v.isNull() && v.toBool() ? onText : QString(); };
}

QString stufenText(const QVariant& ltAnzahl, const QVariant& stufenAnzahl)
{
    const QString stufen = stufenAnzahl.isNull() ? QString() : DisplayMask::format(stufenAnzahl, QString());
    if (!ltAnzahl.isNull() && ltAnzahl.toInt() > 0)
        return QString::number(ltAnzahl.toInt()) + QStringLiteral("  x  ") + stufen;
    return stufen;
}

QVariant wert(const ReportDataSource* source, const QString& field)
{
    return source && !source->eof() ? source->value(field) : QVariant();
}

void addLookup(DataSet& ds, const QString& name, const QString& keyField, DataSet* master, const QString& masterKey)
{
    ds.addLookupField(name, 30, QString(), keyField, master, masterKey, QStringLiteral("KurzBez"));
}

void addLeiterFelder(DataSet& ds, TDataModule1& dm, const TLtFirmAbt& firmAbt, std::function<void(DataSet&)> more)
{
    addLookup(ds, QStringLiteral("LeiterArt"), QStringLiteral("Art_ID"), dm.SLeiterArten, QStringLiteral("ID"));
    addLookup(ds, QStringLiteral("MaterialArt"), QStringLiteral("Mat_ID"), dm.SMaterial, QStringLiteral("ID"));
    FieldDef path;
    path.name = QStringLiteral("FirmaAbtText");
    path.type = FieldType::Text;
    path.size = 82;
    ds.addCalculatedField(path);
    const TLtFirmAbt* tree = &firmAbt;
    ds.onCalcFields = [tree, more = std::move(more)](DataSet& d) {
        const Field& id = d.field(QStringLiteral("FirmenAbtID"));
        d.setValue(QStringLiteral("FirmaAbtText"), id.isNull() ? QString() : tree->PathText(id.asString()));
        if (more)
            more(d);
    };
}

void addPruefungFelder(DataSet& ds, TDataModule1& dm, const TLtFirmAbt& firmAbt)
{
    addLookup(ds, QStringLiteral("PruefungArtText"), QStringLiteral("PruefungArt_ID"), dm.SPruef, QStringLiteral("Nr"));
    addLookup(ds, QStringLiteral("PrueferKurzBez"), QStringLiteral("Pruefer_ID"), dm.StPruefer, QStringLiteral("ID"));
    Kriterien::addGruppenFelder(ds, true);
    addLeiterFelder(ds, dm, firmAbt, Kriterien::GruppenRechner());
}

ReportText& addFlagCell(ReportBand* band, const QRectF& rect, const QString& field, const QString& onText,
                        const QString& requiredField)
{
    ReportText& t = band->addField(rect, field);
    t.setAlignment(Qt::AlignHCenter | Qt::AlignTop).setFormatter(flag(onText));
    t.setBeforePrint([band, requiredField](TextPrint& p) {
        const bool required = wert(band->dataSource(), requiredField).toBool();
        p.background = required ? QColor(Qt::white) : grau();
    });
    return t;
}

double addLeiterBlock(ReportBand* band, double w, const LeiterBlock& block)
{
    // Heading row: number, type, material, company, divided by vertical lines.
    const double c1 = 36, c2 = 84, c3 = 126;
    band->addLabel(QRectF(1, 1, c1 - 2, 5), QStringLiteral("Leiter.-Nr")).setBold();
    band->addLabel(QRectF(c1 + 1, 1, c2 - c1 - 2, 5), QStringLiteral("Leiterart")).setBold();
    band->addLabel(QRectF(c2 + 1, 1, c3 - c2 - 2, 5), QStringLiteral("Material")).setBold();
    band->addLabel(QRectF(c3 + 1, 1, w - c3 - 2, 5), QStringLiteral("Firma")).setBold();
    band->addField(QRectF(1, 6, c1 - 2, 7), QStringLiteral("Nr")).setFontSize(14);
    band->addField(QRectF(c1 + 1, 7, c2 - c1 - 2, 6), QStringLiteral("LeiterArt")).setBold();
    band->addField(QRectF(c2 + 1, 7, c3 - c2 - 2, 6), QStringLiteral("MaterialArt")).setBold();
    band->addField(QRectF(c3 + 1, 6.5, w - c3 - 2, 6.5), QStringLiteral("Firma")).setFontSize(12).setBold();
    for (double x : {c1, c2, c3})
        band->addVLine(x, 0, 14);
    band->addHLine(14, 0, w);

    band->addLabel(QRectF(1, 14.5, 40, 4), QStringLiteral("KurzBez.:")).setFontSize(8);
    band->addField(QRectF(1, 18.5, 110, 6), QStringLiteral("KurzBez")).setFontSize(12).setBold();
    band->addLabel(QRectF(120, 14.5, 40, 4), QStringLiteral("ext. Leiter-Nr.:")).setFontSize(8);
    band->addField(QRectF(120, 18.5, w - 121, 6), QStringLiteral("ExNrBez")).setFontSize(12);
    band->addHLine(25, 0, w);

    const double l1 = 1, v1 = 34, l2 = 64, v2 = 84, l3 = 136, v3 = 154;
    double y = 26;
    band->addLabel(QRectF(l1, y, v1 - l1, 5), QStringLiteral("Stufen / Sprossen.:"));
    band->addComputed(QRectF(v1, y, l2 - v1 - 1, 5), [band] {
        const ReportDataSource* s = band->dataSource();
        return stufenText(wert(s, QStringLiteral("LtAnzahl")), wert(s, QStringLiteral("StufenAnzahl")));
    });
    band->addLabel(QRectF(l2, y, v2 - l2, 5), QStringLiteral("Länge  :"));
    band->addField(QRectF(v2, y, 20, 5), QStringLiteral("Laenge"), QStringLiteral("#0.00 m"));
    // The upper length only when the ladder has one.
    band->addField(QRectF(v2 + 20, y, l3 - v2 - 21, 5), QStringLiteral("LaengeBis"), QStringLiteral(" bis:  #0.00 m"))
        .setBeforePrint([](TextPrint& p) { p.visible = !p.value.isNull() && p.value.toDouble() > 0; });
    band->addLabel(QRectF(l3, y, v3 - l3, 5), QStringLiteral("Gewicht  :"));
    band->addField(QRectF(v3, y, w - v3, 5), QStringLiteral("Gewicht"), QStringLiteral("#0.00 kg"));

    y += 5;
    band->addLabel(QRectF(l1, y, v1 - l1, 5), QStringLiteral("Ausgabedatum.:"));
    band->addField(QRectF(v1, y, l2 - v1 - 1, 5), QStringLiteral("AusgabeDatum"), QStringLiteral("dd.mm.yy"));
    band->addLabel(QRectF(l2, y, v2 - l2, 5), QStringLiteral("Lieferant :"));
    band->addField(QRectF(v2, y, w - v2, 5), QStringLiteral("Lieferant"));

    y += 5;
    band->addLabel(QRectF(l1, y, v1 - l1, 5), QStringLiteral("erfaßt am.:"));
    band->addField(QRectF(v1, y, l2 - v1 - 1, 5), block.erfasstField, QStringLiteral("dd.mm.yy"));
    band->addLabel(QRectF(l2, y, v2 - l2, 5), QStringLiteral("Schrott :"));
    band->addField(QRectF(v2, y, 10, 5), QStringLiteral("Schrott")).setFormatter(flag(QStringLiteral("JA")));
    band->addField(QRectF(v2 + 11, y, 25, 5), QStringLiteral("SchrottDatum"), block.schrottMask);

    y += 5;
    band->addLabel(QRectF(l1, y, v1 - l1, 5), QStringLiteral("Abteilung :")).setBold();
    band->addField(QRectF(v1, y, w - v1, 5), QStringLiteral("FirmaAbtText"));

    y += 5;
    if (block.withTermin) {
        band->addLabel(QRectF(l1, y, v1 - l1, 5), QStringLiteral("n. Prüf-Termin:")).setBold();
        band->addField(QRectF(v1, y, 20, 5), QStringLiteral("PruefTermin"), QStringLiteral("dd.mm.yy"));
        band->addField(QRectF(v1 + 20, y, 45, 5), block.pruefArtField).setBold();
    }
    band->addField(QRectF(w - 82, y, 52, 5), QStringLiteral("LAend")).setAlignment(Qt::AlignRight | Qt::AlignTop)
        .setFormatter([](const QVariant& v) {
            const QString stamp = DisplayMask::format(v, QStringLiteral("dd.mm.yy hh:mm"));
            return stamp.isEmpty() ? QStringLiteral("letzte Änderung :") : QStringLiteral("letzte Änderung : ") + stamp;
        });
    band->addField(QRectF(w - 29, y, 29, 5), QStringLiteral("LAendName"));
    return y + 6;
}

}
