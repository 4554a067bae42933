#include "TfrmExport.h"

#include <functional>

#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "Controlli.h"
#include "EsportazioneTimbrature.h"
#include "EtichettaCliccabile.h"
#include "ZentarApplication.h"

namespace zentar {

namespace {

const QString kNessunaData = QStringLiteral("00/00/00");

}  // namespace

// A date field dd/mm/yy: day and month positions take digits, the two year positions require
// them. Leaving it with a required position empty is refused: the field takes the focus back
// and raises ErroreMaschera. That happens once the event that moved the focus is over, so that
// a button pressed to leave the field loses the focus while down and gives no click. Leaving it
// complete runs `uscita`. Esc puts back the last complete text, so that the field can be left.
class CampoData final : public QLineEdit {
public:
    CampoData(QWidget* genitore, const char* nome, std::function<void()> uscita)
        : QLineEdit(genitore), nome_(nome), uscita_(std::move(uscita))
    {
        setObjectName(QString::fromLatin1(nome));
        setInputMask(QStringLiteral("00/00/99;_"));
        setText(kNessunaData);
        connect(this, &QLineEdit::textChanged, this, [this] {
            if (hasAcceptableInput())
                ultimoCompleto_ = text();
        });
    }

    // The text with every position in place, an empty one shown as "_".
    QString Testo() const { return displayText(); }

protected:
    void focusOutEvent(QFocusEvent* evento) override
    {
        QLineEdit::focusOutEvent(evento);
        // Another window taking the focus (a dialog, the chooser) does not leave the field.
        if (evento->reason() == Qt::ActiveWindowFocusReason || evento->reason() == Qt::PopupFocusReason)
            return;
        if (hasAcceptableInput()) {
            Gestito(nome_, uscita_);
            return;
        }
        QTimer::singleShot(0, this, [this] {
            if (!isVisible() || hasAcceptableInput())
                return;
            setFocus();
            Gestito(nome_, [this] { throw ErroreMaschera(objectName()); });
        });
    }

    void keyPressEvent(QKeyEvent* evento) override
    {
        if (evento->key() != Qt::Key_Escape) {
            QLineEdit::keyPressEvent(evento);
            return;
        }
        setText(ultimoCompleto_);
        evento->accept();
    }

private:
    const char* nome_;
    std::function<void()> uscita_;
    QString ultimoCompleto_ = kNessunaData;
};

TfrmExport::TfrmExport(StatoTerminale& stato, TDMDatabase& database, DialogService& dialoghi,
                       Navigazione& navigazione)
    : QWidget(nullptr, kFinestraSenzaPulsanti),
      stato_(stato),
      database_(database),
      dialoghi_(dialoghi),
      navigazione_(navigazione)
{
    // The hook's message for the start field, in force from here on.
    ImpostaGestoreErrori([this](const std::exception& errore) {
        const auto* maschera = dynamic_cast<const ErroreMaschera*>(&errore);
        if (maschera != nullptr && maschera->Campo() == QLatin1String("mskDataInizio"))
            dialoghi_.message(MessageKind::Error, QStringLiteral("Data Non Corretta : Premere ESC per Uscire"),
                              MessageButtons::Ok);
    });

    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(QStringLiteral("Esporta Timbrature"));

    Label1 = Etichetta(this, "Label1", QStringLiteral("Indicare il Periodo"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setAutoFillBackground(true);
    QFont grassetto = Label1->font();
    grassetto.setBold(true);
    grassetto.setPixelSize(14);
    Label1->setFont(grassetto);
    Label1->setMinimumHeight(28);

    const auto controlla = [this] { mskDataInizioExit(); };
    mskDataInizio = new CampoData(this, "mskDataInizio", controlla);
    mskDataFine = new CampoData(this, "mskDataFine", controlla);
    btnExport = Pulsante(this, "btnExport", QStringLiteral("Esporta"));
    btnExit = Pulsante(this, "btnExit", QStringLiteral("Esci"));

    lblState = RigaStato(this);

    auto* date = new QGridLayout;
    date->addWidget(Etichetta(this, "Label2", QStringLiteral("DA")), 0, 0);
    date->addWidget(mskDataInizio, 0, 1);
    date->addWidget(Etichetta(this, "Label3", QStringLiteral("AL")), 0, 2);
    date->addWidget(mskDataFine, 0, 3);
    date->setColumnStretch(1, 1);
    date->setColumnStretch(3, 1);
    auto* pulsanti = new QHBoxLayout;
    pulsanti->addWidget(btnExport);
    pulsanti->addStretch();
    pulsanti->addWidget(btnExit);
    auto* colonna = new QVBoxLayout(this);
    colonna->addWidget(Label1);
    colonna->addLayout(date);
    colonna->addLayout(pulsanti);
    colonna->addWidget(lblState);

    Collega(btnExport, &QPushButton::clicked, this, "Esporta", [this] { btnExportClick(); });
    Collega(btnExit, &QPushButton::clicked, this, "Esci", [this] { btnExitClick(); });
    Collega(lblState, &EtichettaCliccabile::doubleClicked, this, "lblState",
            [this] { navigazione_.ApriSceltaSopra(); });

    move(200, 100);
    resize(qMax(320, sizeHint().width()), sizeHint().height());
    Check_CodiceTerminale();
    titolo(QStringLiteral("Inserire Un Intervallo Di Date"), Qt::black, palette().color(QPalette::Button));
}

TfrmExport::~TfrmExport() { ImpostaGestoreErrori({}); }

void TfrmExport::Check_CodiceTerminale()
{
    btnExport->setEnabled(MostraSelezione(lblState, stato_, QStringLiteral("SELEZIONARE UN DISPOSITIVO")));
}

void TfrmExport::closeEvent(QCloseEvent* evento)
{
    evento->accept();
    btnExitClick();
}

void TfrmExport::mskDataInizioExit()
{
    if (DataDelCampo(mskDataInizio->Testo()) && DataDelCampo(mskDataFine->Testo())) {
        titolo(QStringLiteral("Inserire Un Intervallo Di Date"), Qt::black, palette().color(QPalette::Button));
        btnExport->setEnabled(true);
        return;
    }
    if (mskDataFine->Testo() != kNessunaData)
        titolo(QStringLiteral("Inserire Una Data Corretta"), Qt::red, palette().color(QPalette::Highlight));
    btnExport->setEnabled(false);
}

void TfrmExport::btnExportClick()
{
    if (stato_.CodiceTerminale == 0) {
        navigazione_.MostraScelta();
        return;
    }
    const std::optional<QDate> inizio = DataDelCampo(mskDataInizio->Testo());
    const std::optional<QDate> fine = DataDelCampo(mskDataFine->Testo());
    // Dates that are not calendar dates (never checked, or changed since) write nothing: the
    // check runs again and shows why.
    if (!inizio || !fine) {
        mskDataInizioExit();
        return;
    }
    if (*fine < *inizio) {
        dialoghi_.message(MessageKind::Information, QStringLiteral("Inserire una Data di Fine Maggiore"),
                          MessageButtons::Ok);
        return;
    }
    const std::optional<QString> cartella = dialoghi_.chooseFolder(
        QStringLiteral("Seleziona la cartella Dove Esportare le Timbrature:"), QDir::currentPath());
    if (!cartella)
        return;
    EsportaGiorni(database_, stato_.CodiceTerminale, *inizio, *fine, *cartella);
}

void TfrmExport::btnExitClick() { navigazione_.MostraPrincipale(); }

void TfrmExport::titolo(const QString& testo, const QColor& colore, const QColor& sfondo)
{
    Label1->setText(testo);
    QPalette colori = Label1->palette();
    colori.setColor(QPalette::WindowText, colore);
    colori.setColor(QPalette::Window, sfondo);
    Label1->setPalette(colori);
}

}  // namespace zentar
