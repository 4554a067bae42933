#include "TfrmPrompt.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListView>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "Controlli.h"
#include "SchedaAltreFunzioni.h"
#include "SchedaComandi.h"
#include "SchedaFile.h"
#include "SchedaKavex.h"

namespace zentar {

TfrmPrompt::TfrmPrompt(StatoTerminale& stato, TDMDatabase& database, ServiziTerminale& servizi, LibreriaKavex& kavex,
                       DialogService& dialoghi, SelezioneRilevatore& selezione, Navigazione& navigazione)
    : QWidget(nullptr, kFinestraSenzaPulsanti),
      stato_(stato),
      database_(database),
      servizi_(servizi),
      dialoghi_(dialoghi),
      selezione_(selezione),
      navigazione_(navigazione)
{
    setObjectName(QStringLiteral("frmPrompt"));
    setWindowTitle(QStringLiteral("Zentar"));

    ConsoleErr = Campo(this, "ConsoleErr");
    ConsoleErr->setReadOnly(true);
    ConsoleErr->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    Button1 = Pulsante(this, "Button1", QStringLiteral("ESCI"));

    const ContestoConsole contesto{.kavex = kavex, .servizi = servizi, .dialoghi = dialoghi, .ConsoleErr = *ConsoleErr};
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(true);
    PageControl1->addTab(creaSchedaRilevatori(), QStringLiteral("Rilevatori"));
    PageControl1->addTab(new SchedaComandi(contesto, PageControl1), QStringLiteral("Finestra dei Comandi"));
    PageControl1->addTab(new SchedaFile(contesto, PageControl1), QStringLiteral("Gestione File"));
    PageControl1->addTab(new SchedaAltreFunzioni(contesto, PageControl1), QStringLiteral("Altre Funzioni"));
    schedaKavex_ = new SchedaKavex(contesto, PageControl1);
    PageControl1->addTab(schedaKavex_, QStringLiteral("Kavex"));

    auto* messaggi = new QHBoxLayout;
    messaggi->addWidget(Etichetta(this, "lblConsole", QStringLiteral("Console Dei Messaggi")));
    messaggi->addWidget(ConsoleErr, 1);
    messaggi->addWidget(Button1);
    auto* colonna = new QVBoxLayout(this);
    colonna->addWidget(PageControl1, 1);
    colonna->addLayout(messaggi);

    Collega(Button1, &QPushButton::clicked, this, "ESCI", [this] { Button1Click(); });
    move(200, 100);
    resize(620, 460);
}

QWidget* TfrmPrompt::creaSchedaRilevatori()
{
    auto* scheda = new QWidget(this);
    scheda->setObjectName(QStringLiteral("TabSheet1"));
    auto* gruppo = new QGroupBox(QStringLiteral("Lista dei Rilevatori"), scheda);
    lstVRN = new QListView(gruppo);
    lstVRN->setObjectName(QStringLiteral("lstVRN"));
    lstVRN->setModel(database_.tblRilevatori());
    lstVRN->setModelColumn(database_.tblRilevatori()->fieldIndex(QStringLiteral("Descrizione")));
    lstVRN->setEditTriggers(QAbstractItemView::NoEditTriggers);
    btnConnetti = Pulsante(gruppo, "btnConnetti", QStringLiteral("CONNETTI"));
    btnDisconnetti = Pulsante(gruppo, "btnDisconnetti", QStringLiteral("DISCONNETTI"));
    btnDisconnetti->setEnabled(false);

    auto* pulsanti = new QVBoxLayout;
    pulsanti->addWidget(btnConnetti);
    pulsanti->addWidget(btnDisconnetti);
    pulsanti->addStretch();
    auto* righe = new QHBoxLayout(gruppo);
    righe->addWidget(lstVRN, 1);
    righe->addLayout(pulsanti);
    auto* colonna = new QVBoxLayout(scheda);
    colonna->addWidget(Etichetta(scheda, "lblCentro", QStringLiteral("Centro di Connesione")));
    colonna->addWidget(gruppo, 1);

    Collega(lstVRN, &QListView::clicked, this, "lstVRN", [this] { lstVRNClick(); });
    Collega(btnConnetti, &QPushButton::clicked, this, "CONNETTI", [this] { btnConnettiClick(); });
    Collega(btnDisconnetti, &QPushButton::clicked, this, "DISCONNETTI", [this] { btnDisconnettiClick(); });
    return scheda;
}

void TfrmPrompt::ScriviIndirizziRete(const IndirizziRete& campi) { schedaKavex_->ScriviIndirizziRete(campi); }

void TfrmPrompt::lstVRNClick()
{
    const QModelIndex scelto = lstVRN->currentIndex();
    const int codice =
        scelto.isValid() ? database_.tblRilevatori()->record(scelto.row()).value(QStringLiteral("Codice")).toInt() : 0;
    selezione_.Seleziona(codice);
}

void TfrmPrompt::btnConnettiClick()
{
    if (stato_.CodiceTerminale == 0) {
        messaggio(QStringLiteral("Selezionare un Terminale"));
        return;
    }
    if (servizi_.connessione.ConnettiTerminale(stato_.CodiceTerminale)) {
        btnDisconnetti->setEnabled(true);
        btnConnetti->setEnabled(false);
    }
}

void TfrmPrompt::btnDisconnettiClick()
{
    if (stato_.TerminaleAttivo != 0 && servizi_.connessione.DisconnettiTerminale(stato_.TerminaleAttivo))
        btnDisconnetti->setEnabled(false);
}

void TfrmPrompt::closeEvent(QCloseEvent* evento)
{
    evento->accept();
    Gestito("ESCI", [this] { Button1Click(); });
}

void TfrmPrompt::Button1Click()
{
    schedaKavex_->Exe_HangUpClick();
    schedaKavex_->Exe_ExitClick(false);
    navigazione_.MostraPrincipale();
}

void TfrmPrompt::messaggio(const QString& testo)
{
    dialoghi_.message(MessageKind::Information, testo, MessageButtons::Ok);
}

}  // namespace zentar
