#pragma once
// What the terminal operations show, for a program without windows: the status line and the
// list of days are kept for the caller, message boxes become log lines with the answer an
// operator gives to go on, and a transfer's progress is a bar on a terminal.

#include <QString>
#include <QStringList>

#include "DialogService.h"
#include "Viste.h"

namespace zentar {

class VisteSenzaFinestre final : public VistaConnessione, public VistaElenco {
public:
    QString consoleMainErr;  // the last status line
    QStringList giorni;      // the last list of days

    void ScriviConsoleMainErr(const QString& testo) override { consoleMainErr = testo; }
    void ScriviIndirizziRete(const IndirizziRete&) override {}
    void ImmagineConnessione(bool) override {}
    void AbilitaControlli(bool) override {}
    void FillCheckList(const QStringList& elenco) override { giorni = elenco; }
    void DisabilitaScaricaElimina() override {}
    void ApriCartella() override {}
};

// Questions are answered as an operator who goes on does (OK, Yes); every message is logged.
class DialoghiSenzaFinestre final : public DialogService {
public:
    Answer message(MessageKind kind, const QString& text, MessageButtons buttons) override;
    std::optional<QString> chooseFolder(const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> chooseFileToOpen(const QString&, int) override { return std::nullopt; }
    std::optional<QString> chooseFileToSave(const QString&, const QString&, const QString&, int) override
    {
        return std::nullopt;
    }
    void showFolder(const QString&) override {}
};

// A progress bar on standard error when it is a terminal; nothing otherwise.
class BarraAvanzamento final : public VistaAvanzamento {
public:
    BarraAvanzamento();

    void Apri(const QString& titolo, int totale) override;
    void Avanza(int record, int progressivo, int totale) override;
    void Stato(const QString&) override {}
    void CambiaTotale(int totale) override { totale_ = totale; }
    void Chiudi() override;
    void ElaboraEventi() override {}

private:
    bool attiva_ = false;
    QString titolo_;
    int totale_ = 0;
};

}  // namespace zentar
