#pragma once
#include "DataSet.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;
class QTableView;
class QToolButton;
class CursorModel;
class TDataModule1;
class TDataSource;
class TUserControl;
class Table;

// The six master tables maintained by one editor each.
enum class StammdatenArt { LeiterArten, Material, Pruefer, PruefTermine, Lieferanten, Firmen };

struct StammdatenFeld {
    QString name;               // field of the table; the edit is "Edit" + name
    QString label;              // text before the edit
    bool listed = false;        // shown as a column of the list
    int listWidth = 0;          // characters; 0 = the field's own width
    QStringList items;          // non-empty: an editable drop-down with these items
};

// What makes one editor differ from the others.
struct StammdatenConfig {
    QString className;          // objectName of the window ("TSMaterialVerw")
    QString caption;
    QString table;
    QString index;              // order of the list
    QList<StammdatenFeld> fields;
    QString usageKey;           // field whose value is the parameter SID of the usage queries
    QList<QStringList> usageQueries;   // SQL lines each, run in order; empty: no check
    bool onlyCompanies = false; // rows whose ParentID reads as 0
    QString newTyp;             // Typ of a new row, when set
    int height = 0;             // window height when set
};

StammdatenConfig stammdatenConfig(StammdatenArt art);

// The rules of an editor on its table, without any window: rights before insert, edit and
// delete, the usage check and the delete question, the defaults of a new row and the
// company filter. Installs the table's hooks.
class StammdatenRegeln {
public:
    StammdatenRegeln(const StammdatenConfig& config, Table& detail, QWidget* dialogParent);
    void setUserControl(TUserControl* control) { m_rights = control; }
    TUserControl* userControl() const { return m_rights; }
    // True when a ladder or an inspection refers to the current row (queries closed again).
    bool inUse() const;
    // The same for any key value.
    bool keyInUse(const QVariant& key) const;
    // A company that still has sites or departments: the names of those directly below it.
    QStringList nodesBelow() const;

private:
    void checkRight(int right) const;
    void checkKeyChange() const;
    void checkNoNodesBelow() const;
    const StammdatenConfig m_config;
    Table& m_detail;
    QWidget* m_parent;
    TUserControl* m_rights = nullptr;
};

// The shared master-data editor: list on the left, edit fields of the current row,
// "Neu", "Löschen", "Ok", "Abbruch" and "&Schließen".
class TStammdatenVerw : public QDialog {
    Q_OBJECT
public:
    explicit TStammdatenVerw(const StammdatenConfig& config, QWidget* parent = nullptr);
    ~TStammdatenVerw() override;

    // The rights component; empty until the main window hands it over.
    void setUserControl(TUserControl* control) { m_regeln->setUserControl(control); }
    const StammdatenConfig& config() const { return m_config; }

    Table* Detail;
    TDataSource* DetailSource;
    QTableView* DBGridDetail;
    QLabel* LabelTableStatus;
    QToolButton* SpBNeu;
    QToolButton* SpBLoeschen;
    QPushButton* BOk;
    QPushButton* BCancel;
    QPushButton* BEnde;
    QPushButton* BHilfe;

    void SpBNeuClick();
    void SpBLoeschenClick();
    void BOkClick();
    void BCancelClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void DetailSourceStateChange(DataSetState state);
    QWidget* firstEdit() const;

    const StammdatenConfig m_config;
    std::unique_ptr<StammdatenRegeln> m_regeln;
    CursorModel* m_model;
    QList<QWidget*> m_edits;
};

// The six windows, each the shared editor with its table's configuration.
class TSLeiterArtenVerw : public TStammdatenVerw {
    Q_OBJECT
public:
    explicit TSLeiterArtenVerw(QWidget* parent = nullptr) : TStammdatenVerw(stammdatenConfig(StammdatenArt::LeiterArten), parent) {}
};
class TSMaterialVerw : public TStammdatenVerw {
    Q_OBJECT
public:
    explicit TSMaterialVerw(QWidget* parent = nullptr) : TStammdatenVerw(stammdatenConfig(StammdatenArt::Material), parent) {}
};
class TSPrueferVerw : public TStammdatenVerw {
    Q_OBJECT
public:
    explicit TSPrueferVerw(QWidget* parent = nullptr) : TStammdatenVerw(stammdatenConfig(StammdatenArt::Pruefer), parent) {}
};
class TSPruefTabVerw : public TStammdatenVerw {
    Q_OBJECT
public:
    explicit TSPruefTabVerw(QWidget* parent = nullptr) : TStammdatenVerw(stammdatenConfig(StammdatenArt::PruefTermine), parent) {}
};
class TSLieferantenVerw : public TStammdatenVerw {
    Q_OBJECT
public:
    explicit TSLieferantenVerw(QWidget* parent = nullptr) : TStammdatenVerw(stammdatenConfig(StammdatenArt::Lieferanten), parent) {}
};
class TSFirmenVerw : public TStammdatenVerw {
    Q_OBJECT
public:
    explicit TSFirmenVerw(QWidget* parent = nullptr) : TStammdatenVerw(stammdatenConfig(StammdatenArt::Firmen), parent) {}
};

// Creates the editor, hands over the data module's rights component, shows it modally
// (Dialogs::exec) and frees it. Errors while it opens propagate; the caller brings its own
// cursors up to date afterwards in every case.
void openStammdatenEditor(QWidget* parent, TDataModule1& dm, StammdatenArt art);
