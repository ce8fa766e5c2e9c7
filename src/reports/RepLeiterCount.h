#pragma once
#include "RepForm.h"

#include <functional>
#include <memory>

class DataSetSource;
class Query;

// "Firmen / Abteilung - Übersicht": the department tree in tree order, indented by level,
// with the number of selected ladders at each node, the ladders without department
// ("nicht zugeordnet") and the total.
//
// The selected ladders (QZwDat) and the tree order pass through the working tables ZwDat
// and ZwFirmSort, which are temporary tables of this connection: another workstation
// counting at the same moment has its own.
class TRepLeiterCount : public TRepForm {
public:
    explicit TRepLeiterCount(TDataModule1& dm);
    ~TRepLeiterCount() override;

    // "bei Filter Abteilung gesamte Struktur darstellen"; handed over before the department.
    void SetGesamteStruktur(bool on) override { m_gesamteStruktur = on; }
    bool gesamteStruktur() const { return m_gesamteStruktur; }
    void SetFilter(TRepFilterArt kind, const QString& text) override;
    void setAlias(const QString& alias) override;

    // Runs between filling the working tables and opening the count query (tests use it to
    // let another workstation count in between).
    std::function<void()> afterWorkTables;

    // The count query: one row per node and one for the unassigned ladders.
    Query& DetailQ() const { return *m_detailQ; }
    Query& exportQuery() const override { return *m_detailQ; }
    bool DetailQFilterRecord(DataSet& ds) const;

protected:
    void openQueries() override;
    void closeQueries() override;

private:
    void buildBands();
    void fillWorkTables();

    std::unique_ptr<Query> m_detailQ;
    std::unique_ptr<DataSetSource> m_source;
    bool m_gesamteStruktur = true;
};
