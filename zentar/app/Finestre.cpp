#include "Finestre.h"

#include <QCoreApplication>

#include "DialoghiQt.h"
#include "TfrmChooseVRN.h"
#include "TfrmExport.h"
#include "TfrmMain.h"
#include "TfrmPrompt.h"
#include "TfrmSetupRilevatore.h"
#include "TfrmSetupRilevatori.h"

namespace zentar {

Finestre::Finestre(OpzioniProgramma opzioni) : opzioni_(std::move(opzioni)) {}

Finestre::~Finestre()
{
    // The windows go before the services and the data module they use.
    frmPrompt_.reset();
    frmExport_.reset();
    frmSetupRilevatori_.reset();
    frmSetupRilevatore_.reset();
    frmChooseVRN_.reset();
    frmMain_.reset();
}

std::unique_ptr<Finestre> Finestre::Avvia(OpzioniProgramma opzioni, QString* errore)
{
    std::unique_ptr<Finestre> f(new Finestre(std::move(opzioni)));
    f->kavex_ = f->opzioni_.kavex;
    if (f->kavex_ == nullptr) {
        f->kavexReale_ = std::make_unique<LibreriaKavex>();
        f->kavex_ = f->kavexReale_.get();
    }
    f->dialoghi_ = f->opzioni_.dialoghi;
    if (f->dialoghi_ == nullptr) {
        f->dialoghiQt_ = std::make_unique<DialoghiQt>();
        f->dialoghi_ = f->dialoghiQt_.get();
    }
    f->stato_ = std::make_unique<StatoTerminale>(f->opzioni_.cartellaProgramma);

    f->database_ = TDMDatabase::Apri(
        *f->stato_, OpzioniDatabase{.cartellaProgramma = f->opzioni_.cartellaProgramma, .motore = f->opzioni_.motore},
        errore);
    if (!f->database_)
        return nullptr;

    const Clock& orologio = f->opzioni_.orologio != nullptr ? *f->opzioni_.orologio : systemClock();
    f->servizi_ = std::make_unique<ServiziTerminale>(*f->database_, *f->stato_, *f->kavex_, *f, *f, *f->dialoghi_,
                                                     orologio, f->opzioni_.indirizzoLocale);
    f->selezione_ = std::make_unique<SelezioneRilevatore>(*f->database_, *f->stato_, f->servizi_->connessione, *f,
                                                          *f->dialoghi_);
    f->collegamentoAvanzamento_ = std::make_unique<CollegamentoAvanzamento>(f->avanzamento_);

    f->frmMain_ = std::make_unique<TfrmMain>(*f->stato_, *f->database_, *f->servizi_, *f->kavex_, *f->dialoghi_, *f);
    f->frmChooseVRN_ = std::make_unique<TfrmChooseVRN>(*f->stato_, *f->database_, *f->selezione_, *f->frmMain_, *f);
    f->frmSetupRilevatori_ = std::make_unique<TfrmSetupRilevatori>(*f->database_, f->servizi_->connessione,
                                                                   *f->kavex_, *f->dialoghi_, *f);
    f->frmSetupRilevatore_ = std::make_unique<TfrmSetupRilevatore>(*f->stato_, *f->database_, *f->dialoghi_, *f);
    f->frmExport_ = std::make_unique<TfrmExport>(*f->stato_, *f->database_, *f->dialoghi_, *f);
    f->frmPrompt_ = std::make_unique<TfrmPrompt>(*f->stato_, *f->database_, *f->servizi_, *f->kavex_,
                                                 *f->dialoghi_, *f->selezione_, *f);
    return f;
}

void Finestre::ScriviConsoleMainErr(const QString& testo) { frmMain_->ScriviConsoleMainErr(testo); }

void Finestre::ScriviIndirizziRete(const IndirizziRete& campi) { frmPrompt_->ScriviIndirizziRete(campi); }

void Finestre::ImmagineConnessione(bool acceso) { frmMain_->ImmagineConnessione(acceso); }

void Finestre::AbilitaControlli(bool connesso) { frmMain_->AbilitaControlli(connesso); }

void Finestre::FillCheckList(const QStringList& giorni) { frmMain_->FillCheckList(giorni); }

void Finestre::DisabilitaScaricaElimina() { frmMain_->DisabilitaScaricaElimina(); }

void Finestre::ApriCartella() { frmMain_->ApriCartella(); }

void Finestre::SvuotaElenco() { frmMain_->FillCheckList({}); }

void Finestre::Check_CodiceTerminale()
{
    frmMain_->Check_CodiceTerminale();
    frmExport_->Check_CodiceTerminale();
}

void Finestre::MostraPrincipale() { mostraSolo(*frmMain_); }

void Finestre::MostraScelta() { mostraSolo(*frmChooseVRN_); }

void Finestre::ApriSceltaSopra()
{
    frmChooseVRN_->show();
    frmChooseVRN_->raise();
    frmChooseVRN_->activateWindow();
}

void Finestre::MostraPrompt() { mostraSolo(*frmPrompt_); }

void Finestre::MostraConfigurazione() { mostraSolo(*frmSetupRilevatori_); }

void Finestre::MostraModifica() { mostraSolo(*frmSetupRilevatore_); }

void Finestre::MostraEsporta() { mostraSolo(*frmExport_); }

void Finestre::Termina()
{
    if (opzioni_.termina)
        opzioni_.termina();
    else
        QCoreApplication::quit();
}

void Finestre::mostraSolo(QWidget& finestra)
{
    for (QWidget* w : {static_cast<QWidget*>(frmMain_.get()), static_cast<QWidget*>(frmChooseVRN_.get()),
                       static_cast<QWidget*>(frmSetupRilevatori_.get()),
                       static_cast<QWidget*>(frmSetupRilevatore_.get()), static_cast<QWidget*>(frmExport_.get()),
                       static_cast<QWidget*>(frmPrompt_.get())}) {
        if (w != &finestra)
            w->hide();
    }
    finestra.show();
    finestra.raise();
    finestra.activateWindow();
}

}  // namespace zentar
