#pragma once
#include "DataSet.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;
class TDataModule1;
class TDataSource;
class TDBEdit;
class TDBTreeView;
class TUserControl;
class Table;

// Tree editor of the sites and departments below the companies (FIRMEN).
//
// Companies are made in the company editor only: an insert that would give a row without
// parent (a sibling of a top node, or an empty tree with nothing selected) is refused.
class TSFirmAbtVerw : public QDialog {
    Q_OBJECT
public:
    explicit TSFirmAbtVerw(QWidget* parent = nullptr);
    ~TSFirmAbtVerw() override;

    void setUserControl(TUserControl* control) { m_rights = control; }
    // True when the node (ID) is still in use; set by the main window before showing.
    std::function<bool(QObject* sender, int id)> OnCheckDelete;
    bool CheckDeleteActive = true;

    Table* Detail;
    Table* StFirmen;
    TDataSource* DetailSource;
    QComboBox* CoboFirmen;
    QToolButton* SpBFullCollapse;
    QToolButton* SpBFullExpand;
    QToolButton* SpBNeu;
    QToolButton* SpBAend;
    QToolButton* SpBLoeschen;
    QPushButton* BAlle;
    QPushButton* BSetRoot;
    TDBTreeView* DBTreeViewDetail;
    QMenu* PopupTree;
    QLabel* PanFirmaAbt;
    TDBEdit* EditKurzBez;
    QLabel* LabelTableStatus;
    QPushButton* BOk;
    QPushButton* BCancel;
    QCheckBox* CbBoxKind;
    QPushButton* BEnde;

    void SpBNeuClick();
    void SpBAendClick();
    void SpBLoeschenClick();
    void BOkClick();
    void BCancelClick();
    void BAlleClick();
    void BSetRootClick();
    void CoboFirmenChange(int index);
    // " <unbekannt> " or the names from the top node of the view down to the selected node.
    QString nodePathText() const;

protected:
    void done(int result) override;

private:
    void fillFirmen();
    void setRootIfTop(const QString& id);
    void checkRight(int right) const;
    bool selectedIsTop() const;
    void save();
    void stateChange(DataSetState state);

    TUserControl* m_rights = nullptr;
};

// The main window's in-use test: whether a ladder refers to the node directly (query QAbt).
bool FirmAbtInUse(int id);

// Creates the tree editor with the rights component and the in-use test, shows it modally
// (Dialogs::exec) and frees it.
void openFirmAbtEditor(QWidget* parent, TDataModule1& dm,
                       std::function<bool(QObject*, int)> checkDelete = [](QObject*, int id) { return FirmAbtInUse(id); });
