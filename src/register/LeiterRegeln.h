#pragma once
#include <QObject>
#include <QString>
#include <functional>

class DataSet;
class Table;
class TDataModule1;
class TUserControl;
class QWidget;

// How a new ladder gets its number.
enum class TNrModus { NrMaxPlus1, NrFreiAb1, NrFreiAbStart };

// The numbering policy, process-wide: the mode and the last start number entered.
struct LeiterNrPolitik {
    static inline TNrModus NrModus = TNrModus::NrMaxPlus1;
    static inline int NrStartWert = 1;
    static void reset();            // values at program start (tests)
};

// The number a new ladder gets under the given mode.
int naechsteLeiterNr(TDataModule1& dm, TNrModus modus, int startWert);

// "5" -> 5; anything that is no integer throws "'%s' ist kein gültiger Integerwert".
int startNrAusText(const QString& text);

// Check before a ladder or an inspection row is deleted: the delete right, then the question
// "Datensatz löschen ?"; any answer but Ja aborts silently.
void LeiterPruefBeforeDelete(TUserControl& rights, QWidget* dialogParent);

// The rules of the ladder cursor "Leiter": rights checks before insert, edit and delete, the
// number and the defaults of a new ladder, copying the current ladder into a new one, the
// number check on every write of Nr and the change stamp on save; and the creation commands.
// The cursor must be open; the rules live as long as it.
class TLeiterRegeln : public QObject {
    Q_OBJECT
public:
    TLeiterRegeln(Table& leiter, TDataModule1& dm, QObject* parent = nullptr);
    ~TLeiterRegeln() override;

    Table& leiter() const { return m_leiter; }

    // The copy switch: while on, every new ladder starts as a copy of the current one.
    bool kopieren() const { return m_kopieren; }
    void setKopieren(bool on);

    // The number check on writes of Nr (off only while a copy is made).
    bool nrPruefung() const { return m_nrPruefung; }

    // Parent of the delete question and of the start number prompt.
    QWidget* dialogParent = nullptr;
    // Before the new row is added (after the insert right was granted): e.g. show the first page.
    std::function<void()> beforeNewLadder;
    // After a ladder was created (it is in insert state): e.g. focus the number field.
    std::function<void()> afterNewLadder;

    // --- creation commands ---
    void LeiterNeuExecute();                    // with the current NrModus
    void LeiterNeuFreieNrExecute();             // first free number from 1
    void LeiterNeuFreieNrAbExecute();           // first free number from an entered start
    void LeiterNeuFreieNrAbZeileExecute();      // ... proposing the current ladder's Nr
    void LeiterNeuKopierenExecute();            // as a copy of the current ladder

signals:
    void kopierenChanged(bool on);

private:
    void install();
    void withModus(TNrModus modus, const std::function<void()>& run);
    void startNrAbfrage(int proposal);
    void kopiereAusOrg();
    void neueLeiterVorbelegen(DataSet& ds);

    Table& m_leiter;
    TDataModule1& m_dm;
    bool m_kopieren = false;
    bool m_nrPruefung = true;
    bool m_kopierQuelle = false;                // LeiterOrg stands on the row to copy
};
