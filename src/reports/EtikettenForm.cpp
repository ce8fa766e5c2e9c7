#include "EtikettenForm.h"

#include "ActionGuard.h"
#include "AppPrinter.h"
#include "Dialogs.h"
#include "Errors.h"
#include "EtikettenQuelle.h"
#include "RenderedReport.h"
#include "ReportPrinter.h"
#include "TVekStdPreviewForm.h"
#include "UserControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

template <class W>
W* named(W* w, const char* name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

QDoubleSpinBox* mmFeld(const char* name, double max)
{
    auto* s = named(new QDoubleSpinBox, name);
    s->setDecimals(1);
    s->setRange(0, max);
    s->setSingleStep(0.5);
    s->setSuffix(QStringLiteral(" mm"));
    s->setKeyboardTracking(false);
    return s;
}

QString mitEndung(QString name)
{
    if (QFileInfo(name).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0)
        name += QStringLiteral(".pdf");
    return name;
}

} // namespace

TEtikettenForm::TEtikettenForm(EtikettenQuellen quellen, QWidget* parent)
    : QDialog(parent), m_q(std::move(quellen)), m_e(EtikettenEinstellungen::lesen(m_q.iniDatei))
{
    setObjectName(QStringLiteral("TEtikettenForm"));
    setWindowTitle(QStringLiteral("Etiketten drucken"));

    // Which ladders.
    auto* welche = named(new QGroupBox(QStringLiteral(" Leitern ")), "GroupLeitern");
    auto* wl = new QGridLayout(welche);
    m_rbAktuell = named(new QRadioButton(m_q.aktuelleId ? QStringLiteral("&aktuelle Leiter (Nr %1)").arg(m_q.aktuelleNr)
                                                        : QStringLiteral("&aktuelle Leiter")),
                        "rbAktuell");
    m_rbMarkiert = named(new QRadioButton(QStringLiteral("&markierte Leitern (%1)").arg(m_q.markierte.size())),
                         "rbMarkiert");
    m_rbBereich = named(new QRadioButton(QStringLiteral("Leite&r-Nr von")), "rbBereich");
    m_nrVon = named(new QLineEdit, "EditNrV");
    m_nrBis = named(new QLineEdit, "EditNrB");
    for (QLineEdit* e : {m_nrVon, m_nrBis}) {
        e->setValidator(new QIntValidator(-999999999, 999999999, e));
        e->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("9999999999")) + 12);
    }
    m_rbFilter = named(new QRadioButton(m_q.filterAktiv ? QStringLiteral("aktueller F&ilter")
                                                        : QStringLiteral("alle Leitern der L&iste")),
                       "rbFilter");
    m_rbAktuell->setEnabled(m_q.aktuelleId != 0);
    m_rbMarkiert->setEnabled(!m_q.markierte.isEmpty());
    m_rbFilter->setEnabled(bool(m_q.gefiltert));
    wl->addWidget(m_rbAktuell, 0, 0, 1, 4);
    wl->addWidget(m_rbMarkiert, 1, 0, 1, 4);
    wl->addWidget(m_rbBereich, 2, 0);
    wl->addWidget(m_nrVon, 2, 1);
    wl->addWidget(new QLabel(QStringLiteral("bis")), 2, 2);
    wl->addWidget(m_nrBis, 2, 3);
    wl->addWidget(m_rbFilter, 3, 0, 1, 4);
    wl->setColumnStretch(4, 1);
    (m_q.markierte.isEmpty() ? (m_q.aktuelleId ? m_rbAktuell : m_rbBereich) : m_rbMarkiert)->setChecked(true);
    connect(m_nrVon, &QLineEdit::textEdited, this, [this] { m_rbBereich->setChecked(true); });
    connect(m_nrBis, &QLineEdit::textEdited, this, [this] { m_rbBereich->setChecked(true); });

    // Layout, label size and margins.
    auto* layoutBox = named(new QGroupBox(QStringLiteral(" Format ")), "GroupFormat");
    auto* fl = new QGridLayout(layoutBox);
    m_format = named(new QComboBox, "CoboFormat");
    for (const EtikettenFormat& f : m_e.formate)
        m_format->addItem(f.name, f.id);
    m_breite = mmFeld("SpinBreite", 300);
    m_hoehe = mmFeld("SpinHoehe", 300);
    m_randLinks = mmFeld("SpinRandLinks", 200);
    m_randOben = mmFeld("SpinRandOben", 200);
    m_abstandX = mmFeld("SpinAbstandX", 100);
    m_abstandY = mmFeld("SpinAbstandY", 100);
    auto* lf = new QLabel(QStringLiteral("La&yout :"));
    lf->setBuddy(m_format);
    fl->addWidget(lf, 0, 0);
    fl->addWidget(m_format, 0, 1, 1, 3);
    const QList<QPair<QString, QDoubleSpinBox*>> felder = {
        {QStringLiteral("&Breite :"), m_breite},        {QStringLiteral("&Höhe :"), m_hoehe},
        {QStringLiteral("Rand &links :"), m_randLinks}, {QStringLiteral("Rand &oben :"), m_randOben},
        {QStringLiteral("Abstand waagerecht :"), m_abstandX}, {QStringLiteral("Abstand senkrecht :"), m_abstandY}};
    for (int i = 0; i < felder.size(); ++i) {
        auto* l = new QLabel(felder[i].first);
        l->setBuddy(felder[i].second);
        fl->addWidget(l, 1 + i / 2, (i % 2) * 2);
        fl->addWidget(felder[i].second, 1 + i / 2, (i % 2) * 2 + 1);
        connect(felder[i].second, &QDoubleSpinBox::valueChanged, this, [this] { masseGeaendert(); });
    }
    auto* standard = named(new QPushButton(QStringLiteral("Standardmaß&e")), "BStandard");
    standard->setAutoDefault(false);
    fl->addWidget(standard, 4, 3);
    m_formatFehler = named(new QLabel, "LabFormatFehler");
    m_formatFehler->setWordWrap(true);
    QPalette rot = m_formatFehler->palette();
    rot.setColor(QPalette::WindowText, Qt::red);
    m_formatFehler->setPalette(rot);
    fl->addWidget(m_formatFehler, 5, 0, 1, 4);
    m_start = named(new QSpinBox, "SpinStart");
    auto* ls = new QLabel(QStringLiteral("&Startposition :"));
    ls->setBuddy(m_start);
    fl->addWidget(ls, 4, 0);
    fl->addWidget(m_start, 4, 1);

    // Code and content.
    auto* code = named(new QGroupBox(QStringLiteral(" Code ")), "GroupCode");
    auto* cl = new QHBoxLayout(code);
    m_rbQr = named(new QRadioButton(QStringLiteral("&QR-Code")), "rbQr");
    m_rbCode128 = named(new QRadioButton(QStringLiteral("Code &128")), "rbCode128");
    cl->addWidget(m_rbQr);
    cl->addWidget(m_rbCode128);
    cl->addStretch();

    auto* inhalt = named(new QGroupBox(QStringLiteral(" Inhalt ")), "GroupInhalt");
    auto* il = new QGridLayout(inhalt);
    m_cbNr = named(new QCheckBox(QStringLiteral("Leiter-&Nr")), "cbNr");
    m_cbKurzBez = named(new QCheckBox(QStringLiteral("&Kurzbezeichnung")), "cbKurzBez");
    m_cbAbteilung = named(new QCheckBox(QStringLiteral("Ab&teilung")), "cbAbteilung");
    m_cbTermin = named(new QCheckBox(QStringLiteral("nächste &Prüfung")), "cbTermin");
    m_cbFreieZeile = named(new QCheckBox(QStringLiteral("&freie Zeile :")), "cbFreieZeile");
    m_freieZeile = named(new QLineEdit, "EditFreieZeile");
    m_freieZeile->setMaxLength(80);
    il->addWidget(m_cbNr, 0, 0);
    il->addWidget(m_cbKurzBez, 0, 1);
    il->addWidget(m_cbAbteilung, 1, 0);
    il->addWidget(m_cbTermin, 1, 1);
    il->addWidget(m_cbFreieZeile, 2, 0);
    il->addWidget(m_freieZeile, 2, 1);
    connect(m_freieZeile, &QLineEdit::textEdited, this, [this] { m_cbFreieZeile->setChecked(true); });

    auto* vorschau = named(new QPushButton(QStringLiteral("&Vorschau")), "BVorschau");
    auto* drucken = named(new QPushButton(QStringLiteral("&Drucken ...")), "BDrucken");
    auto* pdf = named(new QPushButton(QStringLiteral("als PDF spei&chern ...")), "BPdf");
    auto* schliessen = named(new QPushButton(QStringLiteral("Schließen")), "BSchliessen");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(vorschau);
    buttons->addWidget(drucken);
    buttons->addWidget(pdf);
    buttons->addStretch();
    buttons->addWidget(schliessen);
    for (QPushButton* b : {vorschau, drucken, pdf, schliessen})
        b->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(welche);
    layout->addWidget(layoutBox);
    auto* unten = new QHBoxLayout;
    unten->addWidget(code);
    unten->addWidget(inhalt, 1);
    layout->addLayout(unten);
    layout->addLayout(buttons);

    // The saved choices.
    m_fuellen = true;
    m_format->setCurrentIndex(qMax(0, m_format->findData(m_e.format().id)));
    (m_e.inhalt.art == BarcodeArt::Code128 ? m_rbCode128 : m_rbQr)->setChecked(true);
    m_cbNr->setChecked(m_e.inhalt.nr);
    m_cbKurzBez->setChecked(m_e.inhalt.kurzBez);
    m_cbAbteilung->setChecked(m_e.inhalt.abteilung);
    m_cbTermin->setChecked(m_e.inhalt.termin);
    m_cbFreieZeile->setChecked(m_e.inhalt.freieZeile);
    m_freieZeile->setText(m_e.inhalt.freierText);
    m_fuellen = false;
    formatGewaehlt();

    connect(m_format, &QComboBox::currentIndexChanged, this, [this] { formatGewaehlt(); });
    connect(standard, &QPushButton::clicked, this, [this] {
        for (const EtikettenFormat& f : EtikettenFormat::standard())
            if (f.id == m_e.formatId)
                m_e.format() = f;
        formatGewaehlt();
    });
    connect(vorschau, &QPushButton::clicked, this, [this] { runGuarded(this, [this] { Vorschau(); }); });
    connect(drucken, &QPushButton::clicked, this, [this] { runGuarded(this, [this] { Drucken(); }); });
    connect(pdf, &QPushButton::clicked, this, [this] { runGuarded(this, [this] { AlsPdf(); }); });
    connect(schliessen, &QPushButton::clicked, this, &QDialog::accept);
}

TEtikettenForm::~TEtikettenForm() = default;

void TEtikettenForm::formatGewaehlt()
{
    m_e.formatId = m_format->currentData().toString();
    const EtikettenFormat& f = m_e.format();
    m_fuellen = true;
    m_breite->setValue(f.breite);
    m_hoehe->setValue(f.hoehe);
    m_randLinks->setValue(f.randLinks);
    m_randOben->setValue(f.randOben);
    m_abstandX->setValue(f.abstandX);
    m_abstandY->setValue(f.abstandY);
    // A single label is its own paper: it has no margins or neighbours.
    for (QDoubleSpinBox* s : {m_randLinks, m_randOben, m_abstandX, m_abstandY})
        s->setEnabled(!f.einzeln);
    m_fuellen = false;
    masseGeaendert();
}

void TEtikettenForm::masseGeaendert()
{
    if (m_fuellen)
        return;
    EtikettenFormat& f = m_e.format();
    f.breite = m_breite->value();
    f.hoehe = m_hoehe->value();
    f.randLinks = m_randLinks->value();
    f.randOben = m_randOben->value();
    f.abstandX = m_abstandX->value();
    f.abstandY = m_abstandY->value();
    m_formatFehler->setText(f.fehler());
    bereichAnpassen();
}

void TEtikettenForm::bereichAnpassen()
{
    const int plaetze = qMax(1, m_e.format().proSeite());
    m_start->setRange(1, plaetze);
    m_start->setSuffix(QStringLiteral(" von %1").arg(plaetze));
    m_start->setEnabled(plaetze > 1);
}

EtikettenEinstellungen TEtikettenForm::einstellungen() const
{
    EtikettenEinstellungen e = m_e;
    e.inhalt.art = m_rbCode128->isChecked() ? BarcodeArt::Code128 : BarcodeArt::QrCode;
    e.inhalt.nr = m_cbNr->isChecked();
    e.inhalt.kurzBez = m_cbKurzBez->isChecked();
    e.inhalt.abteilung = m_cbAbteilung->isChecked();
    e.inhalt.termin = m_cbTermin->isChecked();
    e.inhalt.freieZeile = m_cbFreieZeile->isChecked();
    e.inhalt.freierText = m_freieZeile->text();
    return e;
}

int TEtikettenForm::startPlatz() const
{
    return m_start->value();
}

QList<EtikettDaten> TEtikettenForm::gewaehlteLeitern() const
{
    QList<EtikettDaten> liste;
    if (m_rbAktuell->isChecked()) {
        if (m_q.aktuelleId)
            liste = EtikettenQuelle::leitern({m_q.aktuelleId}, m_q.abteilungen, m_q.alias);
    } else if (m_rbMarkiert->isChecked()) {
        liste = EtikettenQuelle::leitern(m_q.markierte, m_q.abteilungen, m_q.alias);
    } else if (m_rbFilter->isChecked()) {
        if (m_q.gefiltert)
            liste = EtikettenQuelle::leitern(m_q.gefiltert(), m_q.abteilungen, m_q.alias);
    } else {
        bool okVon = false, okBis = false;
        const int von = m_nrVon->text().trimmed().toInt(&okVon);
        int bis = m_nrBis->text().trimmed().toInt(&okBis);
        if (!okVon)
            throw HwError(QStringLiteral("Bitte die erste Leiter-Nr des Bereichs eingeben."));
        if (m_nrBis->text().trimmed().isEmpty()) {
            bis = von;
            okBis = true;
        }
        if (!okBis || bis < von)
            throw HwError(QStringLiteral("Die Leiter-Nr \"bis\" muss mindestens so groß sein wie \"von\"."));
        liste = EtikettenQuelle::nummernBereich(von, bis, m_q.abteilungen, m_q.alias);
        if (liste.isEmpty())
            throw HwError(QStringLiteral("Im Bereich der Leiter-Nr %1 bis %2 gibt es keine Leiter.").arg(von).arg(bis));
    }
    if (liste.isEmpty())
        throw HwError(QStringLiteral("Es sind keine Leitern für Etiketten ausgewählt."));
    return liste;
}

std::shared_ptr<RenderedReport> TEtikettenForm::erstellen() const
{
    const EtikettenEinstellungen e = einstellungen();
    return Etiketten::rendern(e.format(), e.inhalt, startPlatz(), gewaehlteLeitern());
}

// A number still being typed counts, also when a shortcut starts the action without the
// field losing its focus.
void TEtikettenForm::eingabenUebernehmen()
{
    for (QAbstractSpinBox* s : std::initializer_list<QAbstractSpinBox*>{m_breite, m_hoehe, m_randLinks, m_randOben,
                                                                         m_abstandX, m_abstandY, m_start})
        s->interpretText();
}

void TEtikettenForm::merken()
{
    if (!m_q.iniDatei.isEmpty())
        einstellungen().schreiben(m_q.iniDatei);
}

void TEtikettenForm::Vorschau()
{
    eingabenUebernehmen();
    std::shared_ptr<RenderedReport> report = erstellen();
    merken();
    std::shared_ptr<QPrinter> printer =
        m_printer ? m_printer : std::shared_ptr<QPrinter>(appPrinter(), [](QPrinter*) {});
    TVekStdPreviewForm preview(report, printer, this);
    Dialogs::exec(&preview);
}

void TEtikettenForm::Drucken()
{
    eingabenUebernehmen();
    if (m_q.rechte)
        m_q.rechte->CheckRight(crPrint);
    std::shared_ptr<RenderedReport> report = erstellen();
    merken();
    QPrinter* printer = m_printer ? m_printer.get() : appPrinter();
    if (!Dialogs::printDialog(this, printer))
        return;
    ReportPrinter::print(*report, *printer);
}

void TEtikettenForm::AlsPdf()
{
    eingabenUebernehmen();
    std::shared_ptr<RenderedReport> report = erstellen();
    merken();
    const QString name = Dialogs::saveFileName(this, QStringLiteral("Etiketten als PDF speichern"), QString(),
                                               QStringLiteral("PDF-Datei (*.pdf)"), QStringLiteral("pdf"));
    if (name.isEmpty())
        return;
    ReportPrinter::writePdf(*report, mitEndung(name));
}

void TEtikettenForm::done(int result)
{
    eingabenUebernehmen();
    merken();
    QDialog::done(result);
}
