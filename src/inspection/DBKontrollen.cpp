#include "DBKontrollen.h"

#include "Table.h"
#include "UserControl.h"

void bearbeitenBeginnen(Table& table, TUserControl* rights)
{
    if (table.isEditing())
        return;
    if (rights)
        rights->CheckRight(crModify);
    table.edit();
}

namespace {
template <class W, class F>
void folgen(W* w, Table* t, F f)
{
    QObject::connect(t, &DataSet::currentChanged, w, f);
    QObject::connect(t, &DataSet::rowsReset, w, f);
    QObject::connect(t, &DataSet::rowChanged, w, f);
    QObject::connect(t, &DataSet::stateChanged, w, f);
    QObject::connect(t, &DataSet::fieldChanged, w, f);
}
}

TDBTriCheckBox::TDBTriCheckBox(Table* table, const QString& fieldName, TUserControl* rights, QWidget* parent)
    : QCheckBox(parent), m_table(table), m_field(fieldName), m_rights(rights)
{
    setTristate(true);
    folgen(this, table, [this] { anzeigen(); });
    anzeigen();
}

void TDBTriCheckBox::anzeigen()
{
    Field* f = m_table->active() ? m_table->findField(m_field) : nullptr;
    const bool row = f && (m_table->currentViewRow() >= 0);
    setEnabled(row);
    if (!row) {
        setCheckState(Qt::Unchecked);
        return;
    }
    const QVariant v = f->value();
    setCheckState(!v.isValid() ? Qt::PartiallyChecked : v.toBool() ? Qt::Checked : Qt::Unchecked);
}

void TDBTriCheckBox::nextCheckState()
{
    try {
        Field& f = m_table->field(m_field);
        const bool neu = !f.asBoolean();
        bearbeitenBeginnen(*m_table, m_rights);
        f.setValue(neu);
    } catch (const HwError& e) {
        anzeigen();
        emit fehler(e.message());
        return;
    } catch (const Abort&) {
    }
    anzeigen();
}

TDBTextFeld::TDBTextFeld(Table* table, const QString& fieldName, TUserControl* rights, QWidget* parent)
    : QLineEdit(parent), m_table(table), m_field(fieldName), m_rights(rights)
{
    if (table->active())
        if (Field* f = table->findField(fieldName); f && f->def().size > 0)
            setMaxLength(f->def().size);
    folgen(this, table, [this] { anzeigen(); });
    connect(this, &QLineEdit::textEdited, this, &TDBTextFeld::geschrieben);
    anzeigen();
}

void TDBTextFeld::anzeigen()
{
    Field* f = m_table->active() ? m_table->findField(m_field) : nullptr;
    const QString t = f && m_table->currentViewRow() >= 0 ? f->asString() : QString();
    if (text() != t)
        setText(t);
}

void TDBTextFeld::geschrieben(const QString& text)
{
    try {
        bearbeitenBeginnen(*m_table, m_rights);
        m_table->setValue(m_field, text.isEmpty() ? QVariant() : QVariant(text));
    } catch (const HwError& e) {
        anzeigen();
        emit fehler(e.message());
    } catch (const Abort&) {
        anzeigen();
    }
}
