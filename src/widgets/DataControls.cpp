#include "DataControls.h"

#include "ActionGuard.h"
#include "PendingText.h"
#include "Table.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStandardItemModel>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

namespace {
// Leaving an edit for the cancel button (which drops the change) or for a save button (which
// writes every change itself) does not write the edit first. Nor does a message box taking the
// focus: the box of a refusal takes it from the control that has just been given it back, and
// writing there would refuse the same value in a second box.
bool writesOnLeaving(const TFieldLink& link, const QFocusEvent* event)
{
    // A menu opening or another window coming to the front is no leaving of the control: what
    // the menu entry or the other window does leaves the record through its guard, which takes
    // the pending text (a refusal is then told once, by that guard).
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return false;
    const QWidget* next = QApplication::focusWidget();
    if (next && qobject_cast<const QMessageBox*>(next->window()))
        return false;
    return link.modified() && !(next && (next->property("hwDiscardsChanges").toBool() || next->property("hwWritesChanges").toBool()));
}

// What a one-line control stores of a text: control characters (line breaks, tabs of a pasted
// text) become spaces, as the control shows them.
QString oneLineText(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return out;
}
} // namespace

bool isEditingKey(const QKeyEvent* e)
{
    if (e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Cut) || e->matches(QKeySequence::Undo)
        || e->matches(QKeySequence::Redo) || e->matches(QKeySequence::DeleteEndOfWord)
        || e->matches(QKeySequence::DeleteStartOfWord) || e->matches(QKeySequence::DeleteEndOfLine))
        return true;
    if (e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Delete)
        return true;
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString t = e->text();
    return !t.isEmpty() && t.at(0).isPrint();
}

// ------------------------------------------------------------------ TFieldLink

TFieldLink::TFieldLink(QWidget* control) : m_control(control) {}

TFieldLink::~TFieldLink()
{
    if (m_source)
        m_source->removeLink(this);
}

void TFieldLink::setDataSource(TDataSource* source, const QString& fieldName)
{
    if (m_source)
        m_source->removeLink(this);
    m_source = source;
    m_fieldName = fieldName;
    if (m_source)
        m_source->addLink(this);
    read();
}

Field* TFieldLink::field() const
{
    if (!m_source || !m_source->dataSet()->active())
        return nullptr;
    return m_source->dataSet()->findField(m_fieldName);
}

bool TFieldLink::beginEdit()
{
    if (m_reading || !m_source)
        return false;
    DataSet* ds = m_source->dataSet();
    if (!ds->active())
        return false;
    if (ds->isEditing() || ds->state() == DataSetState::SetKey)
        return true;
    return runGuarded(m_control->window(), [this] { m_source->edit(); }) && m_source->dataSet()->isEditing();
}

void TFieldLink::commit()
{
    if (!m_modified)
        return;
    Field* f = field();
    if (!f) {
        m_modified = false;
        return;
    }
    if (onWrite)
        onWrite(*f);
    m_modified = false;
    read();
}

bool TFieldLink::commitGuarded()
{
    if (runGuarded(m_control->window(), [this] { commit(); }))
        return true;
    returnFocus();
    return false;
}

void TFieldLink::returnFocus()
{
    // After the message the user corrects the refused value where it was typed; the focus may
    // be on its way to another control now, hence after the events in hand.
    QPointer<QWidget> control = m_control;
    QTimer::singleShot(0, m_control, [control] {
        if (control && control->isVisible() && control->isEnabled())
            control->setFocus(Qt::OtherFocusReason);
    });
}

void TFieldLink::read()
{
    m_modified = false;
    if (!onRead)
        return;
    m_reading = true;
    try {
        onRead(field());
    } catch (...) {
        m_reading = false;
        throw;
    }
    m_reading = false;
}

// ------------------------------------------------------------------ TDataSource

TDataSource::TDataSource(DataSet* dataSet, QObject* parent) : QObject(parent), m_dataSet(dataSet)
{
    // Whatever moves the cursor off an edited row first takes the controls' pending text.
    PendingText::addHandler(*dataSet, this, [this] { updateRecord(); });
    connect(dataSet, &DataSet::currentChanged, this, [this] {
        if (!m_dataSet->controlsDisabled()) {
            // Outside an edit nothing may stay pending: every control shows the new row.
            if (m_dataSet->isEditing() || m_dataSet->state() == DataSetState::SetKey)
                refreshUnmodified();
            else
                refreshControls();
        }
        emit dataChanged();
    });
    connect(dataSet, &DataSet::rowsReset, this, [this] {
        if (!m_dataSet->controlsDisabled())
            refreshUnmodified();
    });
    connect(dataSet, &DataSet::rowChanged, this, [this](int row) {
        if (row == m_dataSet->currentViewRow() && !m_dataSet->controlsDisabled()) {
            refreshUnmodified();
            emit dataChanged();
        }
    });
    connect(dataSet, &DataSet::fieldChanged, this, [this](Field* f) {
        // Frozen for a run of writes: the controls read everything when it ends.
        if (m_dataSet->controlsDisabled())
            return;
        // A value written by the program wins over what a control of that field still holds.
        for (TFieldLink* l : m_links)
            if (l->fieldName().compare(f->name(), Qt::CaseInsensitive) == 0)
                l->read();
        refreshUnmodified();
        emit dataChanged();
    });
    connect(dataSet, &DataSet::stateChanged, this, [this](DataSetState s) {
        if (s != DataSetState::Edit && s != DataSetState::Insert && s != DataSetState::SetKey)
            refreshControls();
        emit stateChanged(s);
    });
}

TDataSource::~TDataSource()
{
    PendingText::removeHandlers(this);
    for (TFieldLink* l : m_links)
        l->setDataSource(nullptr, QString());
}

void TDataSource::edit()
{
    if (!m_dataSet->active() || m_dataSet->isEditing() || m_dataSet->state() == DataSetState::SetKey)
        return;
    if (auto* table = qobject_cast<Table*>(m_dataSet))
        table->edit();
}

void TDataSource::updateRecord()
{
    const QList<TFieldLink*> links = m_links;
    for (TFieldLink* l : links)
        if (l->modified()) {
            try {
                l->commit();
            } catch (...) {
                l->returnFocus();
                throw;
            }
        }
}

bool TDataSource::hasPendingChanges() const
{
    for (TFieldLink* l : m_links)
        if (l->modified())
            return true;
    return false;
}

void TDataSource::refreshControls()
{
    const QList<TFieldLink*> links = m_links;
    for (TFieldLink* l : links)
        l->read();
}

void TDataSource::refreshUnmodified()
{
    const QList<TFieldLink*> links = m_links;
    for (TFieldLink* l : links)
        if (!l->modified())
            l->read();
}

void TDataSource::addLink(TFieldLink* link)
{
    if (!m_links.contains(link))
        m_links << link;
}

void TDataSource::removeLink(TFieldLink* link) { m_links.removeAll(link); }

// ------------------------------------------------------------------ TDBEdit

TDBEdit::TDBEdit(QWidget* parent) : QLineEdit(parent), m_link(this)
{
    m_link.onRead = [this](Field* f) {
        setText(f ? fieldText(*f) : QString());
        setModified(false);
        if (f && f->type() == FieldType::Text && f->def().size > 0 && inputMask().isEmpty())
            setMaxLength(f->def().size);
    };
    m_link.onWrite = [this](Field& f) { writeText(f, text()); };
    connect(this, &QLineEdit::textEdited, this, [this] { userEdited(); });
    connect(this, &QLineEdit::returnPressed, this, [this] { m_link.commitGuarded(); });
}

void TDBEdit::setDataSource(TDataSource* source, const QString& fieldName) { m_link.setDataSource(source, fieldName); }

QString TDBEdit::fieldText(const Field& f) const
{
    if (f.type() == FieldType::Float)
        return f.displayText();
    return f.asString();
}

void TDBEdit::writeText(Field& f, const QString& text) { f.setAsString(oneLineText(text)); }

namespace {
// Caret and selection of a line edit across the re-read that starts an edit.
struct Caret {
    explicit Caret(const QLineEdit* e)
        : pos(e->cursorPosition()), selStart(e->selectionStart()), selLength(int(e->selectedText().size())) {}
    void restore(QLineEdit* e) const
    {
        // Positions count in the shown text (with the blanks of a mask).
        const int length = int(e->displayText().size());
        if (selStart >= 0 && selStart + selLength <= length)
            e->setSelection(selStart, selLength);
        else
            e->setCursorPosition(qMin(pos, length));
    }
    int pos;
    int selStart;
    int selLength;
};

// Starts the edit for a key typed into a line edit; the key then lands where the user put it.
bool beginEditForKey(TFieldLink& link, QLineEdit* e)
{
    const Caret caret(e);
    if (!link.beginEdit())
        return false;
    caret.restore(e);
    return true;
}
} // namespace

void TDBEdit::keyPressEvent(QKeyEvent* event)
{
    if (!isReadOnly() && isEditingKey(event) && !beginEditForKey(m_link, this)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TDBEdit::userEdited()
{
    if (m_link.reading())
        return;
    DataSet* ds = m_link.dataSource() ? m_link.dataSource()->dataSet() : nullptr;
    if (ds && !ds->isEditing() && ds->state() != DataSetState::SetKey) {
        // A change that did not come through a key (context menu, drop).
        const QString typed = text();
        if (!m_link.beginEdit()) {
            m_link.read();
            return;
        }
        setText(typed);
    }
    m_link.markModified();
}

void TDBEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (writesOnLeaving(m_link, event))
        m_link.commitGuarded();
}

// ------------------------------------------------------------------ TDBDateEdit

TDBDateEdit::TDBDateEdit(QWidget* parent) : TDBEdit(parent)
{
    setInputMask(QStringLiteral("99.99.9900;_"));
    setMaxLength(10);
}

QDate TDBDateEdit::parseDate(const QString& text, bool* ok)
{
    *ok = true;
    QString t = text;
    t.remove(QLatin1Char('_')).remove(QLatin1Char(' '));
    if (QString(t).remove(QLatin1Char('.')).isEmpty())
        return QDate();
    const QStringList parts = t.split(QLatin1Char('.'));
    if (parts.size() != 3) {
        *ok = false;
        return QDate();
    }
    bool okD = false, okM = false, okY = false;
    const int d = parts[0].toInt(&okD);
    const int m = parts[1].toInt(&okM);
    int y = parts[2].toInt(&okY);
    if (!okD || !okM || !okY || (parts[2].size() != 2 && parts[2].size() != 4)) {
        *ok = false;
        return QDate();
    }
    if (parts[2].size() == 2)
        y += y >= 90 ? 1900 : 2000;
    const QDate date(y, m, d);
    if (!date.isValid())
        *ok = false;
    return date.isValid() ? date : QDate();
}

QString TDBDateEdit::fieldText(const Field& f) const
{
    const QDate d = f.asDate();
    return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

void TDBDateEdit::writeText(Field& f, const QString& text)
{
    bool ok = false;
    const QDate d = parseDate(text, &ok);
    if (!ok)
        throw EngineError(QStringLiteral("'%1' ist kein gültiges Datum").arg(text), EngineCode::ConversionError);
    f.setValue(d.isValid() ? QVariant(d) : QVariant());
}

// ------------------------------------------------------------------ TDBComboBox

TDBComboBox::TDBComboBox(QWidget* parent) : QComboBox(parent), m_link(this)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setFocusPolicy(Qt::StrongFocus);
    lineEdit()->installEventFilter(this);
    m_link.onRead = [this](Field* f) {
        const QString text = f ? f->asString() : QString();
        setCurrentIndex(findText(text));
        setEditText(text);
        if (f && f->def().size > 0)
            lineEdit()->setMaxLength(f->def().size);
        // A text wider than the box shows its start.
        lineEdit()->setCursorPosition(0);
    };
    m_link.onWrite = [this](Field& f) { f.setAsString(oneLineText(currentText())); };
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
        if (m_link.reading())
            return;
        DataSet* ds = m_link.dataSource() ? m_link.dataSource()->dataSet() : nullptr;
        if (ds && !ds->isEditing() && ds->state() != DataSetState::SetKey) {
            // A change that did not come through a key (drop, input method).
            const QString typed = lineEdit()->text();
            if (!m_link.beginEdit()) {
                m_link.read();
                return;
            }
            lineEdit()->setText(typed);
        }
        m_link.markModified();
    });
    connect(lineEdit(), &QLineEdit::returnPressed, this, [this] { m_link.commitGuarded(); });
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int) {
        if (m_link.reading())
            return;
        m_link.markModified();
        m_link.commitGuarded();
    });
}

void TDBComboBox::setDataSource(TDataSource* source, const QString& fieldName) { m_link.setDataSource(source, fieldName); }

void TDBComboBox::setItems(const QStringList& list)
{
    const QString text = currentText();
    const bool wasModified = m_link.modified();
    clear();
    addItems(list);
    setEditText(text);
    if (wasModified)
        m_link.markModified();
}

QStringList TDBComboBox::items() const
{
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out << itemText(i);
    return out;
}

void TDBComboBox::showPopup()
{
    if (!m_link.beginEdit())
        return;
    QComboBox::showPopup();
}

// The keys reach the combo box (its edit's focus proxy), which hands them to the edit
// directly: the edit must start here, before the text changes.
bool TDBComboBox::startEditForKey(QKeyEvent* key)
{
    const bool moves = key->key() == Qt::Key_Up || key->key() == Qt::Key_Down || key->key() == Qt::Key_PageUp
        || key->key() == Qt::Key_PageDown;
    if (!(isEditingKey(key) || moves) || !lineEdit())
        return true;
    return beginEditForKey(m_link, lineEdit());
}

void TDBComboBox::keyPressEvent(QKeyEvent* event)
{
    if (!startEditForKey(event)) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void TDBComboBox::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty() && !m_link.beginEdit()) {
        event->accept();
        return;
    }
    QComboBox::inputMethodEvent(event);
}

bool TDBComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit()) {
        if (event->type() == QEvent::KeyPress) {
            // Keys sent to the edit itself.
            if (!startEditForKey(static_cast<QKeyEvent*>(event)))
                return true;
        } else if (event->type() == QEvent::FocusOut) {
            if (!view()->isVisible() && writesOnLeaving(m_link, static_cast<QFocusEvent*>(event)))
                m_link.commitGuarded();
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void TDBComboBox::wheelEvent(QWheelEvent* event) { event->ignore(); }

// ------------------------------------------------------------------ TDBLookupComboBox

TDBLookupComboBox::TDBLookupComboBox(QWidget* parent) : QComboBox(parent), m_link(this)
{
    setFocusPolicy(Qt::StrongFocus);
    m_link.onRead = [this](Field* f) {
        refreshList();
        const QVariant v = f ? f->value() : QVariant();
        int index = -1;
        if (v.isValid())
            for (int i = 0; i < count() && index < 0; ++i)
                if (itemData(i).toString() == v.toString())
                    index = i;
        setCurrentIndex(index);
        // A list rebuilt with the same index (-1 in an empty list) changes nothing Qt repaints.
        update();
    };
    m_link.onWrite = [this](Field& f) { f.setValue(currentKey()); };
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int) {
        if (m_link.reading())
            return;
        m_link.markModified();
        m_link.commitGuarded();
    });
}

void TDBLookupComboBox::setDataSource(TDataSource* source, const QString& keyFieldName)
{
    m_link.setDataSource(source, keyFieldName);
}

void TDBLookupComboBox::setListSource(DataSet* list, const QString& listKeyField, const QString& listFields,
                                      const QStringList& titles)
{
    m_list = list;
    m_listKey = listKeyField;
    m_listFields = listFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    m_titles = titles;
    m_listGeneration = 0;
    if (m_listFields.size() > 1) {
        auto* tree = new QTreeView(this);
        tree->setRootIsDecorated(false);
        tree->setItemsExpandable(false);
        tree->setAllColumnsShowFocus(true);
        tree->setHeaderHidden(titles.isEmpty());
        tree->header()->setStretchLastSection(true);
        setView(tree);
    }
    // The list's rows may change under a ladder whose key stays (a kind renamed elsewhere, the
    // register replaced): the shown text follows, unless the user is choosing right now.
    if (list) {
        const auto reread = [this] {
            if (!m_link.modified() && !m_link.reading())
                m_link.read();
        };
        connect(list, &DataSet::rowsReset, this, reread);
        connect(list, &DataSet::rowChanged, this, reread);
    }
    m_link.read();
}

void TDBLookupComboBox::refreshList()
{
    if (!m_list || !m_list->active()) {
        if (count())
            clear();
        m_listGeneration = 0;
        return;
    }
    if (m_listGeneration == m_list->generation())
        return;
    m_listGeneration = m_list->generation();
    struct Entry {
        QVariant key;
        QStringList texts;
        QString shown;
    };
    std::vector<Entry> entries;
    const Field& key = m_list->field(m_listKey);
    std::vector<int> cols;
    for (const QString& f : m_listFields)
        cols.push_back(m_list->field(f).index());
    // A row being inserted has no key yet and is left out.
    const int rows = m_list->viewRowCount();
    for (int r = 0; r < rows; ++r) {
        Entry e;
        e.key = m_list->valueAt(r, key.index());
        if (!e.key.isValid())
            continue;
        for (int c : cols)
            e.texts << m_list->valueAt(r, c).toString();
        e.shown = itemText ? itemText(e.key, e.texts) : e.texts.value(0);
        entries.push_back(std::move(e));
    }
    if (m_sorted)
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return QString::localeAwareCompare(a.shown, b.shown) < 0; });
    auto* model = new QStandardItemModel(int(entries.size()), qMax(1, int(cols.size())), this);
    for (int i = 0; i < int(entries.size()); ++i) {
        auto* first = new QStandardItem(entries[size_t(i)].shown);
        first->setData(entries[size_t(i)].key, Qt::UserRole);
        model->setItem(i, 0, first);
        for (int c = 1; c < int(cols.size()); ++c)
            model->setItem(i, c, new QStandardItem(entries[size_t(i)].texts.value(c)));
    }
    if (!m_titles.isEmpty())
        model->setHorizontalHeaderLabels(m_titles);
    // The combo box deletes its previous model (a child of it) itself.
    const QSignalBlocker block(this);
    setModel(model);
}

QVariant TDBLookupComboBox::currentKey() const
{
    return currentIndex() >= 0 ? itemData(currentIndex(), Qt::UserRole) : QVariant();
}

void TDBLookupComboBox::showPopup()
{
    refreshList();
    if (!m_link.beginEdit())
        return;
    if (m_dropDownWidth > 0)
        view()->setMinimumWidth(m_dropDownWidth);
    QComboBox::showPopup();
    if (m_alignRight) {
        QWidget* popup = view()->window();
        const QPoint rightEdge = mapToGlobal(QPoint(width(), 0));
        popup->move(rightEdge.x() - popup->width(), popup->y());
    }
}

void TDBLookupComboBox::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Home: case Qt::Key_End:
        if (event->modifiers() & Qt::AltModifier)
            break;      // opens the list: showPopup asks
        if (!m_link.beginEdit()) {
            event->accept();
            return;
        }
        break;
    default:
        if (isEditingKey(event) && event->key() != Qt::Key_Backspace && event->key() != Qt::Key_Delete
            && !m_link.beginEdit()) {
            event->accept();
            return;
        }
    }
    QComboBox::keyPressEvent(event);
}

void TDBLookupComboBox::wheelEvent(QWheelEvent* event) { event->ignore(); }

// ------------------------------------------------------------------ TDBCheckBox

TDBCheckBox::TDBCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent), m_link(this)
{
    m_link.onRead = [this](Field* f) { setChecked(f && f->asBoolean()); };
    m_link.onWrite = [this](Field& f) { f.setValue(isChecked()); };
}

void TDBCheckBox::setDataSource(TDataSource* source, const QString& fieldName) { m_link.setDataSource(source, fieldName); }

void TDBCheckBox::nextCheckState()
{
    if (!m_link.beginEdit())
        return;
    QCheckBox::nextCheckState();
    m_link.markModified();
    if (!m_link.commitGuarded())
        m_link.read();
}

// ------------------------------------------------------------------ TDBMemo

TDBMemo::TDBMemo(QWidget* parent) : QPlainTextEdit(parent), m_link(this)
{
    setAcceptDrops(false);
    m_link.onRead = [this](Field* f) { setPlainText(f ? f->asString() : QString()); };
    m_link.onWrite = [this](Field& f) {
        const QString text = toPlainText();
        f.setValue(text.isEmpty() ? QVariant() : QVariant(text));
    };
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_link.reading() && m_link.dataSource() && m_link.dataSource()->dataSet()->isEditing())
            m_link.markModified();
    });
}

void TDBMemo::setDataSource(TDataSource* source, const QString& fieldName) { m_link.setDataSource(source, fieldName); }

void TDBMemo::keyPressEvent(QKeyEvent* event)
{
    if (!isReadOnly() && (isEditingKey(event) || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        const int pos = textCursor().position();
        const int anchor = textCursor().anchor();
        const bool wasEditing = m_link.dataSource() && m_link.dataSource()->dataSet()->isEditing();
        if (!m_link.beginEdit()) {
            event->accept();
            return;
        }
        if (!wasEditing) {
            // The re-read may have replaced the text; keep the caret where the user put it.
            QTextCursor c = textCursor();
            const int len = document()->characterCount() - 1;
            c.setPosition(qMin(anchor, len));
            c.setPosition(qMin(pos, len), QTextCursor::KeepAnchor);
            setTextCursor(c);
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TDBMemo::insertFromMimeData(const QMimeData* source)
{
    if (!m_link.beginEdit())
        return;
    QPlainTextEdit::insertFromMimeData(source);
}

void TDBMemo::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    if (writesOnLeaving(m_link, event))
        m_link.commitGuarded();
}

// ------------------------------------------------------------------ TDBText

TDBText::TDBText(QWidget* parent) : QLabel(parent), m_link(this)
{
    m_link.onRead = [this](Field* f) { setText(f ? f->displayText() : QString()); };
}

void TDBText::setDataSource(TDataSource* source, const QString& fieldName) { m_link.setDataSource(source, fieldName); }

// ------------------------------------------------------------------ TDBNavigator

TDBNavigator::TDBNavigator(QWidget* parent) : QWidget(parent)
{
    static const char* names[] = {"NavFirst", "NavPrior", "NavNext", "NavLast"};
    static const QString hints[] = {QStringLiteral("Erster Datensatz"), QStringLiteral("Vorheriger Datensatz"),
                                    QStringLiteral("Nächster Datensatz"), QStringLiteral("Letzter Datensatz")};
    static const QStyle::StandardPixmap icons[] = {QStyle::SP_MediaSkipBackward, QStyle::SP_MediaSeekBackward,
                                                   QStyle::SP_MediaSeekForward, QStyle::SP_MediaSkipForward};
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < 4; ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(names[i]));
        b->setToolTip(hints[i]);
        b->setStatusTip(hints[i]);
        b->setIcon(style()->standardIcon(icons[i]));
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
        m_buttons[i] = b;
        connect(b, &QToolButton::clicked, this, [this, i] {
            DataSet* ds = m_source ? m_source->dataSet() : nullptr;
            if (ds && ds->active()) {
                runGuarded(window(), [ds, i] {
                    switch (Button(i)) {
                    case nbFirst: ds->first(); break;
                    case nbPrior: ds->prior(); break;
                    case nbNext: ds->next(); break;
                    case nbLast: ds->last(); break;
                    }
                });
            }
            emit clicked(Button(i));
        });
    }
}

void TDBNavigator::setDataSource(TDataSource* source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source) {
        connect(m_source, &TDataSource::dataChanged, this, &TDBNavigator::updateButtons);
        connect(m_source, &TDataSource::stateChanged, this, &TDBNavigator::updateButtons);
    }
    updateButtons();
}

void TDBNavigator::updateButtons()
{
    DataSet* ds = m_source ? m_source->dataSet() : nullptr;
    const bool browse = ds && ds->state() == DataSetState::Browse && isEnabled();
    const int rec = browse ? ds->recNo() : 0;
    const int count = browse ? ds->recordCount() : 0;
    m_buttons[nbFirst]->setEnabled(browse && rec > 1);
    m_buttons[nbPrior]->setEnabled(browse && rec > 1);
    m_buttons[nbNext]->setEnabled(browse && rec < count);
    m_buttons[nbLast]->setEnabled(browse && rec < count);
}

void TDBNavigator::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        updateButtons();
}
