#include "Kriterien.h"

#include "DataSet.h"
#include "Schema.h"

#include <QHash>

namespace Kriterien {

const QList<Gruppe>& gruppen()
{
    static const QList<Gruppe> list = [] {
        QList<Gruppe> g = {
            {"Ho", "Holme", "Holme..", {}, "PanHo", "DBCbHo", " Holme", " Holme", {}},
            {"SpSt", "Sprossen", "Sprossen..", {}, "PanSpStPl", "DBCbSpStPl", "Sprossen/Stufen/Plattf.",
             " Sprossen / Stufen / Plattform", {}},
            {"SprS", "SpreizS", "SpreizS..", {}, "PanSprS", "DBCbSprS", " Spreizsicherung", " Spreizsicherung", {}},
            {"Bes", "Beschlag", "Beschlag..", {}, "PanBes", "DBCbBes", " Beschlagteile", " Beschlagteile", {}},
            {"LtRo", "Leiterf", "Leiterfüs..", {}, "PanLtRo", "DBCbLtRo", " Leiterfüße /Rollen", " Leiterfüße /Rollen", {}},
            {"Zub", "Zubehör", "Zubehör..", {}, "PanZub", "DBCbZub", " Zubehör", " Zubehör",
             "( z.B Holmverlängerung, Fußverbreiterung, Wandabstützung )"},
            {"KennZ", "Kennz", "Kenn..Z", {}, "PanKennZ", "DBCbKennZ", " Kennzeichnung", " Kennzeichnung", {}},
        };
        for (Gruppe& gr : g)
            for (const QString& c : Schema::extendedCriteria())
                if (c.startsWith(gr.prefix + QLatin1Char('_')))
                    gr.items << c;
        return g;
    }();
    return list;
}

QString berFeld(const Gruppe& g) { return QStringLiteral("PrBer") + g.berName; }
QString berErlFeld(const Gruppe& g) { return QStringLiteral("PrBerErl") + g.berName; }

const QList<Box>& boxen()
{
    static const QList<Box> list = {
        {"DBCbHo1", "Ho_Verform", "Verformung", "Verformung", {}},
        {"DBCbHo2", "Ho_Beschaed", "Beschädigung", "Beschädigung", "( z. B. Risse )"},
        {"DBCbHo3", "Ho_Kanten", "Scharfe Kanten,Splitter,Grat", "Scharfe Kanten,Splitter,Grat", {}},
        {"DBCbHo4", "Ho_Abnutzung", "Abnutzung", "Abnutzung", {}},
        {"DBCbHo5", "Ho_Schutzbeh", "Schutzbehandlung (bei Holz)", "Schutzbehandlung (bei Holz)", "( bei Holz )"},
        {"DBCbSpStPl1", "SpSt_Verform", "Verformung", "Verformung", {}},
        {"DBCbSpStPl2", "SpSt_Beschaed", "Beschädigung", "Beschädigung", {}},
        {"DBCbSpStPl3", "SpSt_Kanten", "Scharfe Kanten,Splitter,Grat", "Scharfe Kanten,Splitter,Grat", {}},
        {"DBCbSpStPl4", "SpSt_HolmVerb", "Verbindung zum Holm", "Verbindung zum Holm",
         "( Bördelung, Schraubverbindung,\r\n  Nietverbindung, Schweißnaht )"},
        {"DBCbSpStPl5", "SpSt_Abnutzung", "Abnutzung", "Abnutzung", "( z. B. Trittfläche, Plattformauflage )"},
        {"DBCbSprS1", "SprS_Vollstaend", "Vollständigkeit / Befestigung", "Vollständigkeit / Befestigung", {}},
        {"DBCbSprS2", "SprS_Funktfaeh", "Funktionsfähigkeit", "Funktionsfähigkeit", "( z. B. Risse )"},
        {"DBCbSprS3", "SprS_Beschaed", "Beschädigung / Korrosion", "Beschädigung / Korrision", {}},
        {"DBCbBes1", "Bes_Beschaed", "Beschädigung / Korrosion", "Beschädigung / Korrosion", {}},
        {"DBCbBes2", "Bes_Vollstaend", "Vollständigkeit / Befestigung", "Vollständigkeit / Befestigung", {}},
        {"DBCbBes3", "Bes_Funktfaeh", "Funktionsfähigkeit", "Funktionsfähigkeit", {}},
        {"DBCbBes4", "Bes_Abnutzung", "Abnutzung", "Abnutzung", {}},
        {"DBCbBes5", "Bes_Schmier", "Schmierung", "Schmierung", "( mechan. Teile )"},
        {"DBCbLtRo1", "LtRo_Vollstaend", "Vollständigkeit / Befestigung", "Vollständigkeit / Befestigung", {}},
        {"DBCbLtRo2", "LtRo_Abnutzung", "Abnutzung / Korrosion", "Abnutzung / Korrosion", {}},
        {"DBCbLtRo3", "LtRo_Funktfaeh", "Funktionsfähigkeit", "Funktionsfähigkeit", "( z. B. Risse )"},
        {"DBCbZub1", "Zub_Vollstaend", "Vollständigkeit / Befestigung", "Vollständigkeit / Befestigung", {}},
        {"DBCbKennZ1", "KennZ_BetrAnl", "Betriebsanleitung ", "Betriebsanleitung ", "( Piktogramm )"},
    };
    return list;
}

GruppenErgebnis ergebnis(const Gruppe& g, const std::function<bool(const QString& column)>& flag)
{
    int required = 0;
    int done = 0;
    for (const QString& c : g.items) {
        if (!flag(Schema::requiredColumn(c)))
            continue;
        ++required;
        if (flag(Schema::doneColumn(c)))
            ++done;
    }
    return {required > 0, required > 0 && done >= required};
}

GruppenErgebnis ergebnis(const DataSet& ds, const Gruppe& g)
{
    return ergebnis(g, [&ds](const QString& column) { return ds.field(column).asBoolean(); });
}

void addGruppenFelder(DataSet& ds, bool withDone)
{
    for (const Gruppe& g : gruppen()) {
        FieldDef ber;
        ber.name = berFeld(g);
        ber.type = FieldType::Boolean;
        ber.displayLabel = QStringLiteral("<>");
        ber.boolTexts = QStringLiteral("Ja;");
        ds.addCalculatedField(ber);
        if (!withDone)
            continue;
        FieldDef erl = ber;
        erl.name = berErlFeld(g);
        erl.displayLabel = g.erlLabel;
        ds.addCalculatedField(erl);
    }
}

Field* GruppenRechner::feld(DataSet& ds, const QString& name)
{
    if (ds.fieldCount() != m_fieldCount) {
        m_positions.clear();
        m_fieldCount = ds.fieldCount();
    }
    const auto it = m_positions.constFind(name);
    if (it != m_positions.constEnd()) {
        if (*it < 0)
            return nullptr;
        Field& f = ds.fieldAt(*it);
        if (f.def().name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    }
    Field* f = ds.findField(name);
    m_positions.insert(name, f ? f->index() : -1);
    return f;
}

void GruppenRechner::operator()(DataSet& ds)
{
    // A data set without done flags (the ladder) yields the required flags only.
    const auto flag = [this, &ds](const QString& column) {
        const Field* f = feld(ds, column);
        return f && f->asBoolean();
    };
    for (const Gruppe& g : gruppen()) {
        const GruppenErgebnis e = ergebnis(g, flag);
        if (Field* ber = feld(ds, berFeld(g)))
            ber->setValue(e.erforderlich);
        if (Field* erl = feld(ds, berErlFeld(g)))
            erl->setValue(e.erledigt);
    }
}

void setzeGruppenFelder(DataSet& ds)
{
    GruppenRechner rechner;
    rechner(ds);
}

const QList<Einfach>& einfache()
{
    static const QList<Einfach> list = {
        {"Material", "Material -  Holm /Stufen / Sprossen", "Material"},
        {"Verbindungen", "Verbindung / Sprosse / Stufe / Holm", "Verbind."},
        {"Beschlaege", "Beschläge", "Beschl."},
        {"Scharniere", "Scharniere", "Scharn."},
        {"Funktionen", "Funktion - Einfallhaken", "Funkt."},
        {"Durchbiegung", "Durchbiegung", "Durchb."},
        {"Schuhe", "Schuhe / Spitzen", "Schuhe"},
        {"Sonstiges", "Sonstiges.. :", "Sonst."},
    };
    return list;
}

}
