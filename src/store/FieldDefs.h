#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Column types of the store. A boolean may be empty; an empty boolean reads as false.
enum class FieldType { Integer, AutoInc, Text, Float, Date, DateTime, Boolean, Memo };

enum class FieldKind { Data, Lookup, Calculated };

class DataSet;

// Definition of one field of a cursor: the stored part (name, type, size, required, range)
// and the presentation (label, display format, width, visibility).
struct FieldDef {
    QString name;
    FieldType type = FieldType::Integer;
    int size = 0;                 // characters of a text field
    bool required = false;
    std::optional<double> minValue;
    std::optional<double> maxValue;

    QString displayLabel;         // empty: the name is shown
    QString displayFormat;        // "#0.00", "dd.mm.yy", "ddd dd.mm.yy", "dd.mm.yy  hh:mm", "0"
    QString boolTexts;            // "true text;false text", e.g. "A;" or "Ja;"
    int displayWidth = 0;         // characters; 0 = from size/type
    bool visible = true;
    bool rightAligned = false;

    FieldKind kind = FieldKind::Data;
    // Lookup: value of lookupResultField in lookupDataSet where lookupKeyFields = keyFields.
    QString keyFields;
    DataSet* lookupDataSet = nullptr;
    QString lookupKeyFields;
    QString lookupResultField;

    QString label() const { return displayLabel.isEmpty() ? name : displayLabel; }
    bool isStored() const { return kind == FieldKind::Data; }
};

// An index on a table: primary (unique key) or named secondary (case-insensitive).
struct IndexDef {
    QString name;                 // empty for the primary index
    QString fields;               // "Nr" or "LT_ID;Datum"
    bool primary = false;
    bool unique = false;
    bool caseInsensitive = true;

    QStringList fieldList() const { return fields.split(QLatin1Char(';'), Qt::SkipEmptyParts); }
};

struct TableDef {
    QString name;                 // "LT_LEIT" (no ".DB")
    QList<FieldDef> fields;
    QList<IndexDef> indexes;

    const FieldDef* field(const QString& fieldName) const;
    const IndexDef* primaryIndex() const;
};

// "LT_LEIT.DB", "lt_leit.db", "LT_LEIT" all name the table LT_LEIT.
QString normalTableName(const QString& name);
