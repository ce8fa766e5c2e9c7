#include "FieldDefs.h"

const FieldDef* TableDef::field(const QString& fieldName) const
{
    for (const FieldDef& f : fields)
        if (f.name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

const IndexDef* TableDef::primaryIndex() const
{
    for (const IndexDef& i : indexes)
        if (i.primary)
            return &i;
    return nullptr;
}

QString normalTableName(const QString& name)
{
    QString n = name.trimmed();
    if (n.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
        n.chop(3);
    return n.toUpper();
}
