#pragma once
// Test doubles that record what the connection and the download do: the real Kavex with every
// call noted (and a hook that may steer the simulated devices just before a call), and the
// windows as lists of events.

#include <functional>
#include <vector>

#include <QString>
#include <QStringList>

#include "LibreriaKavex.h"
#include "Viste.h"

// The real library; each call is noted as its name and arguments ("LbxCommand M127.0.0.1").
// GetMsgEx, EnableMeter and GetError are not noted.
class KavexRegistrata final : public zentar::LibreriaKavex {
public:
    QStringList chiamate;
    // Runs just before the noted call goes to the library.
    std::function<void(const QString& chiamata)> primaDi;
    // Runs just after it, with its result.
    std::function<void(const QString& chiamata, int32_t risultato)> dopo;

    // The noted calls that begin with `prefisso`.
    QStringList chiamateDi(const QString& prefisso) const;

    int32_t InitCOMM(int32_t porta, int32_t modalita, int32_t baud, int32_t parita) override;
    int32_t ExitCOMM() override;
    int32_t DialNumber(const QString& init, const QString& numero, int32_t attesa) override;
    int32_t HangUp() override;
    int32_t ChangeAdapter(const QString& indirizzo) override;
    int32_t SetIPAddress(const QString& indirizzo) override;
    int32_t LbxCommand(const QString& comando) override;
    int32_t SetTerminal(int32_t terminale) override;
    int32_t PostCommand(const QString& comando) override;
    int32_t RecvFile(const QString& nome, const QString& percorso) override;
    int32_t DeleFile(const QString& nome) override;
    int32_t GetParameter(int32_t numero, QString& valore) override;
    int32_t SetParameter(int32_t numero, const QString& valore) override;
    int32_t GetDate(QString& data) override;
    int32_t GetTime(QString& ora) override;
    int32_t SetDate(const QString& data) override;
    int32_t SetTime(const QString& ora) override;
    int32_t ChgDrv(const QString& unita) override;
    // Noted as "ListFiles " and the mask.
    int32_t ListFiles(const QString& maschera, QByteArray& elenco) override;
    // Noted as "SendFile <path> <name> <option> <number>" (two blanks for an empty name).
    int32_t SendFile(const QString& percorso, const QString& nome, int32_t opzione, int32_t numero) override;

private:
    int32_t nota(const QString& chiamata, const std::function<int32_t()>& esegui);
};

// The main window and the console: every call as one event ("ConsoleMainErr: ...").
class VisteRegistrate final : public zentar::VistaConnessione, public zentar::VistaElenco {
public:
    QStringList eventi;
    QString consoleMainErr;
    zentar::IndirizziRete indirizzi;
    std::vector<QStringList> elenchi;  // every FillCheckList, in order

    void ScriviConsoleMainErr(const QString& testo) override;
    void ScriviIndirizziRete(const zentar::IndirizziRete& campi) override;
    void ImmagineConnessione(bool acceso) override;
    void AbilitaControlli(bool connesso) override;
    void FillCheckList(const QStringList& giorni) override;
    void DisabilitaScaricaElimina() override;
    void ApriCartella() override;
};

// The progress displays as events ("Apri Receive File: PRE51231").
class AvanzamentoRegistrato final : public zentar::VistaAvanzamento {
public:
    QStringList eventi;
    int avanzamenti = 0;
    int pompate = 0;

    void Apri(const QString& titolo, int totale) override;
    void Avanza(int record, int progressivo, int totale) override;
    void Stato(const QString& testo) override;
    void CambiaTotale(int totale) override;
    void Chiudi() override;
    void ElaboraEventi() override;
};
