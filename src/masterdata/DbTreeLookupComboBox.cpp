#include "DbTreeLookupComboBox.h"

#include "ActionGuard.h"
#include "DBTreeView.h"
#include "Table.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

// ------------------------------------------------------------------ TTreeSelect

TTreeSelect::TTreeSelect(TDbTreeLookupComboBox* box) : QFrame(box, Qt::Popup), m_box(box)
{
    setObjectName(QStringLiteral("TreeSelect"));
    setFrameShape(QFrame::Box);
    m_tree = new TDBTreeView(this);
    m_tree->setObjectName(QStringLiteral("TreeSelectView"));
    m_tree->setReadOnly(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setOptions(dtAutoExpand | dtAutoShowRoot | dtMouseMoveSelect | dtRebuildFocusedOnly);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(m_tree);
    m_tree->installEventFilter(this);
    connect(m_tree, &QTreeWidget::itemClicked, this, [this] { m_box->closeUp(true); });
    resize(200, 166);
}

bool TTreeSelect::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tree && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        const bool altUpDown = (k->modifiers() & Qt::AltModifier) && (k->key() == Qt::Key_Up || k->key() == Qt::Key_Down);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || altUpDown) {
            m_box->closeUp(true);
            return true;
        }
        if (k->key() == Qt::Key_Escape) {
            m_box->closeUp(false);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

// ------------------------------------------------------------------ box

TDbTreeLookupComboBox::TDbTreeLookupComboBox(QWidget* parent) : QFrame(parent), m_link(this)
{
    setFrameShape(QFrame::StyledPanel);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("Text"));
    m_button = new QToolButton(this);
    m_button->setObjectName(QStringLiteral("DropDownButton"));
    m_button->setArrowType(Qt::DownArrow);
    m_button->setFocusPolicy(Qt::NoFocus);
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(3, 1, 1, 1);
    l->addWidget(m_text, 1);
    l->addWidget(m_button);
    connect(m_button, &QToolButton::clicked, this, [this] { droppedDown() ? closeUp(false) : dropDown(); });
    m_link.onRead = [this](Field*) { updateText(); };
    m_clock = [] { return QDateTime::currentMSecsSinceEpoch(); };
}

TDbTreeLookupComboBox::~TDbTreeLookupComboBox() = default;

void TDbTreeLookupComboBox::setDataSource(TDataSource* source, const QString& dataField)
{
    m_dataField = dataField;
    m_link.setDataSource(source, dataField);
    bindTree();
    updateText();
}

void TDbTreeLookupComboBox::setListSource(DataSet* list, const QString& keyField, const QString& listField)
{
    m_list = list;
    m_keyField = keyField;
    m_listField = listField;
    if (list)
        connect(list, &DataSet::rowsReset, this, [this] { updateText(); });
    bindTree();
    updateText();
}

void TDbTreeLookupComboBox::setListTreeIDField(const QString& name)
{
    m_treeIdField = name;
    bindTree();
}

void TDbTreeLookupComboBox::setListTreeParentField(const QString& name)
{
    m_treeParentField = name;
    bindTree();
}

void TDbTreeLookupComboBox::setListTreeRootID(const QString& id)
{
    m_rootId = id;
    if (m_select)
        m_select->tree()->setRootID(id);
}

DataSet* TDbTreeLookupComboBox::listDataSet() const
{
    if (m_list)
        return m_list;
    Field* f = m_link.field();
    return f && f->kind() == FieldKind::Lookup ? f->def().lookupDataSet : nullptr;
}

QString TDbTreeLookupComboBox::listKeyField() const
{
    if (m_list)
        return m_keyField;
    Field* f = m_link.field();
    return f ? f->def().lookupKeyFields : QString();
}

QString TDbTreeLookupComboBox::listTextField() const
{
    if (m_list)
        return m_listField;
    Field* f = m_link.field();
    return f ? f->def().lookupResultField : QString();
}

TDBTreeView* TDbTreeLookupComboBox::treeView()
{
    if (!m_select) {
        m_select = new TTreeSelect(this);
        bindTree();
    }
    return m_select->tree();
}

void TDbTreeLookupComboBox::bindTree()
{
    if (!m_select)
        return;
    TDBTreeView* t = m_select->tree();
    DataSet* list = listDataSet();
    if (!list)
        return;
    t->setDataSource(nullptr);
    t->setTableIDField(m_treeIdField);
    t->setTableParentField(m_treeParentField);
    t->setTableTextField(listTextField());
    t->setRootID(m_rootId);
    t->setDataSource(list);
}

QString TDbTreeLookupComboBox::currentKeyText() const
{
    if (m_list || m_dataField.isEmpty())
        return m_keyValue.isValid() && !m_keyValue.isNull() ? m_keyValue.toString() : QString();
    Field* f = m_link.field();
    if (!f)
        return QString();
    Field* key = f->dataSet()->findField(f->def().keyFields);
    return key && !key->isNull() ? key->asString() : QString();
}

QString TDbTreeLookupComboBox::displayText() const
{
    if (!m_list) {
        Field* f = m_link.field();
        return f ? f->displayText() : QString();
    }
    const QString key = currentKeyText();
    if (key.isEmpty() || !m_list->active())
        return QString();
    Field* kf = m_list->findField(m_keyField);
    if (!kf)
        return QString();
    QVariant v = key;
    if (kf->type() == FieldType::Integer || kf->type() == FieldType::AutoInc)
        v = key.toLongLong();
    return m_list->lookup(m_keyField, {v}, m_listField).toString();
}

void TDbTreeLookupComboBox::updateText() { m_text->setText(displayText()); }

void TDbTreeLookupComboBox::setKeyValue(const QVariant& value)
{
    m_keyValue = value;
    updateText();
}

bool TDbTreeLookupComboBox::droppedDown() const { return m_select && m_select->isVisible(); }

bool TDbTreeLookupComboBox::canChoose(const QString& id)
{
    TTreeIDNode* n = treeView()->findNode(id);
    if (!n)
        return false;
    if ((m_options & dtAcceptLeavesOnly) && n->childCount() > 0)
        return false;
    if ((m_options & dtDontAcceptRoot) && TDBTreeView::isTopNode(n))
        return false;
    return !OnAcceptNode || OnAcceptNode(this, id);
}

bool TDbTreeLookupComboBox::chooseNode(const QString& id)
{
    if (!canChoose(id))
        return false;
    if (!m_list) {
        Field* f = m_link.field();
        if (!f || f->readOnly())
            return false;
        if (!m_link.beginEdit())
            return false;
        DataSet* ds = f->dataSet();
        const bool ok = runGuarded(window(), [&] {
            Field& key = ds->field(f->def().keyFields);
            if (id.isEmpty())
                key.clear();
            else
                key.setAsString(id);
        });
        if (!ok)
            return false;
    } else {
        m_keyValue = id.isEmpty() ? QVariant() : QVariant(id);
    }
    updateText();
    if (OnClick)
        OnClick(this);
    emit clicked();
    return true;
}

void TDbTreeLookupComboBox::dropDown()
{
    TDBTreeView* tree = treeView();
    if (tree->dataSource() == nullptr)
        bindTree();
    tree->checkChangedElsewhere();
    const int w = m_dropWidth < 1 ? width() : m_dropWidth;
    const int h = m_dropHeight > 0 ? m_dropHeight : 166;
    m_select->resize(w, h);
    QPoint pos = mapToGlobal(QPoint(0, height()));
    if (m_align == daRight)
        pos.rx() -= w - width();
    else if (m_align == daCenter)
        pos.rx() -= (w - width()) / 2;
    if (QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        if (pos.y() + h > area.bottom())
            pos.ry() = mapToGlobal(QPoint(0, 0)).y() - h;
        if (pos.x() + w > area.right())
            pos.rx() = area.right() - w;
        pos.rx() = std::max(pos.x(), area.left());
    }
    m_select->move(pos);
    m_select->setPalette(palette());
    m_select->setFont(font());
    {
        TTreeIDNode* n = tree->findNode(currentKeyText());
        tree->setCurrentItem(n);
        if (tree->topLevelItemCount() > 0)
            tree->scrollToItem(tree->topLevelItem(0));
    }
    m_select->show();
    tree->setFocus();
}

void TDbTreeLookupComboBox::closeUp(bool accept)
{
    if (!m_select)
        return;
    const QString id = TDBTreeView::nodeID(m_select->tree()->currentItem());
    m_select->hide();
    setFocus();
    if (accept && m_select->tree()->currentItem())
        chooseNode(id);
}

void TDbTreeLookupComboBox::step(int direction)
{
    const QList<TTreeIDNode*> nodes = treeView()->nodesInDisplayOrder();
    int i = -1;
    const QString current = currentKeyText();
    for (int k = 0; k < nodes.size(); ++k)
        if (nodes[k]->ID == current)
            i = k;
    if (i < 0)
        i = direction > 0 ? -1 : int(nodes.size());
    for (int k = i + direction; k >= 0 && k < nodes.size(); k += direction)
        if (canChoose(nodes[k]->ID)) {
            chooseNode(nodes[k]->ID);
            return;
        }
}

void TDbTreeLookupComboBox::typeAhead(const QString& text)
{
    const qint64 now = m_clock();
    if (now - m_lastKey > 2000)
        m_search.clear();
    m_lastKey = now;
    if (m_search.size() >= 32)
        return;
    m_search += text;
    for (const QString& id : treeView()->recordList().searchText(m_search, true, false))
        if (canChoose(id)) {
            chooseNode(id);
            return;
        }
}

void TDbTreeLookupComboBox::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const bool alt = event->modifiers() & Qt::AltModifier;
    if (alt && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        dropDown();
    } else if (key == Qt::Key_Up || key == Qt::Key_Down) {
        m_search.clear();
        step(key == Qt::Key_Down ? 1 : -1);
    } else if (key == Qt::Key_Backspace || key == Qt::Key_Escape) {
        m_search.clear();
        if (key == Qt::Key_Escape)
            return QFrame::keyPressEvent(event);
    } else if (!event->text().isEmpty() && event->text().at(0).isPrint()
               && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        typeAhead(event->text());
    } else {
        return QFrame::keyPressEvent(event);
    }
    event->accept();
}

void TDbTreeLookupComboBox::mousePressEvent(QMouseEvent* event)
{
    QFrame::mousePressEvent(event);
    setFocus();
    dropDown();
}
