#pragma once
#include <QDialog>
#include <QHash>
#include <QList>

#include "VerlaufAnzeige.h"

class Backend;
class QCheckBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;

// "Änderungsverlauf": the recorded changes of one ladder (or of several, e.g. the ladders
// deleted under one number) and of their inspections, newest first, optionally of a period.
class TVerlaufForm : public QDialog {
    Q_OBJECT
public:
    // nummern: the ladders' IDs with the number each had.
    TVerlaufForm(Backend& db, const QHash<qint64, QString>& nummern, const QString& ueberschrift, QWidget* parent = nullptr);

    QLabel* LabLeiter;
    QCheckBox* CBZeitraum;
    QDateEdit* EditVon;
    QDateEdit* EditBis;
    QTableWidget* GridVerlauf;
    QLabel* LabAnzahl;
    QPushButton* BExport;
    QPushButton* BSchliessen;

public slots:
    void Laden();
    void BExportClick();

private:
    Backend& m_db;
    QHash<qint64, QString> m_nummern;
    QList<VerlaufZeile> m_zeilen;     // as shown, for the export
};
