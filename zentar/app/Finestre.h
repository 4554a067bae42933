#pragma once
// The running program: the shared state, the data module and the windows, created in the
// fixed start-up order and kept until the end. It also routes what the terminal operations
// show to the windows that show it, and hands over from one window to another.

#include <functional>
#include <memory>

#include <QString>

#include "Avanzamento.h"
#include "Clock.h"
#include "DMDatabase.h"
#include "DialogService.h"
#include "FinestraAvanzamento.h"
#include "IndirizzoLocale.h"
#include "LibreriaKavex.h"
#include "Navigazione.h"
#include "SelezioneRilevatore.h"
#include "ServiziTerminale.h"
#include "TerminalState.h"
#include "Viste.h"

class QWidget;

namespace zentar {

class TfrmMain;
class TfrmChooseVRN;
class TfrmExport;
class TfrmPrompt;
class TfrmSetupRilevatore;
class TfrmSetupRilevatori;

struct OpzioniProgramma {
    QString cartellaProgramma = CartellaEseguibile();  // holds "Timbrature" (and Zentar.db)
    MotoreDatabase motore = MotoreDatabase::Automatico;
    LibreriaKavex* kavex = nullptr;      // the real library when null
    DialogService* dialoghi = nullptr;   // Qt dialogs when null
    FonteIndirizzoLocale indirizzoLocale = IndirizzoDelSistema;
    const Clock* orologio = nullptr;     // the system clock when null
    std::function<void()> termina;       // QCoreApplication::quit when empty
};

class Finestre final : public VistaConnessione, public VistaElenco, public VistaSelezione, public Navigazione {
public:
    // Creates the state, the data module, then the windows. Null when the database cannot be
    // opened; `errore` then holds the engine's message.
    static std::unique_ptr<Finestre> Avvia(OpzioniProgramma opzioni, QString* errore);
    ~Finestre() override;

    Finestre(const Finestre&) = delete;
    Finestre& operator=(const Finestre&) = delete;

    StatoTerminale& Stato() { return *stato_; }
    TDMDatabase& Database() { return *database_; }
    ServiziTerminale& Servizi() { return *servizi_; }
    FinestraAvanzamento& Avanzamento() { return avanzamento_; }
    TfrmMain& frmMain() { return *frmMain_; }
    TfrmChooseVRN& frmChooseVRN() { return *frmChooseVRN_; }
    TfrmExport& frmExport() { return *frmExport_; }
    TfrmPrompt& frmPrompt() { return *frmPrompt_; }
    TfrmSetupRilevatori& frmSetupRilevatori() { return *frmSetupRilevatori_; }
    TfrmSetupRilevatore& frmSetupRilevatore() { return *frmSetupRilevatore_; }

    // VistaConnessione
    void ScriviConsoleMainErr(const QString& testo) override;
    void ScriviIndirizziRete(const IndirizziRete& campi) override;
    void ImmagineConnessione(bool acceso) override;
    void AbilitaControlli(bool connesso) override;
    // VistaElenco
    void FillCheckList(const QStringList& giorni) override;
    void DisabilitaScaricaElimina() override;
    void ApriCartella() override;
    // VistaSelezione
    void SvuotaElenco() override;
    void Check_CodiceTerminale() override;
    // Navigazione
    void MostraPrincipale() override;
    void MostraScelta() override;
    void ApriSceltaSopra() override;
    void MostraEsporta() override;
    void MostraConfigurazione() override;
    void MostraModifica() override;
    void MostraPrompt() override;
    void Termina() override;

private:
    explicit Finestre(OpzioniProgramma opzioni);
    void mostraSolo(QWidget& finestra);

    OpzioniProgramma opzioni_;
    std::unique_ptr<LibreriaKavex> kavexReale_;
    std::unique_ptr<DialogService> dialoghiQt_;
    LibreriaKavex* kavex_ = nullptr;
    DialogService* dialoghi_ = nullptr;
    std::unique_ptr<StatoTerminale> stato_;
    std::unique_ptr<TDMDatabase> database_;
    std::unique_ptr<ServiziTerminale> servizi_;
    std::unique_ptr<SelezioneRilevatore> selezione_;
    FinestraAvanzamento avanzamento_;
    std::unique_ptr<CollegamentoAvanzamento> collegamentoAvanzamento_;
    std::unique_ptr<TfrmMain> frmMain_;
    std::unique_ptr<TfrmChooseVRN> frmChooseVRN_;
    std::unique_ptr<TfrmSetupRilevatori> frmSetupRilevatori_;
    std::unique_ptr<TfrmSetupRilevatore> frmSetupRilevatore_;
    std::unique_ptr<TfrmExport> frmExport_;
    std::unique_ptr<TfrmPrompt> frmPrompt_;
};

}  // namespace zentar
