#pragma once
#include <QColor>
#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QVBoxLayout;

// The one design of both barcode search dialogs: number input, search, result line, page
// choice, auto close, OK and Cancel. The serial dialog adds its port controls on top.
class TbcSuchDialog : public QDialog {
    Q_OBJECT
public:
    // Search callback: the checked input text, true when a ladder was found.
    std::function<bool(const QString& code)> OnLeiterSuchen;

    void Vorbereiten();
    void EingabeLoeschen();
    bool EingabeLeer() const;
    void SeiteSetzen(int seite);
    int Seite() const { return m_seite; }
    bool autoSchliessen() const;
    void setAutoSchliessen(bool on);
    bool Gefunden() const { return m_gefunden; }
    void SucheStarten();

    QString ergebnis() const;           // the result line
    QColor ergebnisFarbe() const;

    // Empties the input (F9).
    static constexpr int LoeschTaste = Qt::Key_F9;

protected:
    TbcSuchDialog(const QString& caption, QWidget* parent);
    // Above the search group; the serial dialog puts its port controls here.
    QVBoxLayout* kopfBereich() const { return m_kopf; }
    QLineEdit* editSuchen() const { return m_edit; }
    // Runs a handler; errors end it in the error box, the dialog stays open.
    void geschuetzt(const std::function<void()>& handler);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void rbAwAllgClick() { SeiteSetzen(0); }
    void rbAwErfClick() { SeiteSetzen(1); }
    void rbAwPruefClick() { SeiteSetzen(2); }
    void BSuchenClick();
    void BCloseClick();
    void EditSuchenChange();
    void setErgebnis(const QString& text, const QColor& color);

    QVBoxLayout* m_kopf;
    QLineEdit* m_edit;
    QPushButton* m_suchen;
    QLabel* m_panel;
    QRadioButton* m_allg;
    QRadioButton* m_erf;
    QRadioButton* m_pruef;
    QCheckBox* m_autoClose;
    QStatusBar* m_status;
    int m_seite = 0;
    bool m_gefunden = false;
};
