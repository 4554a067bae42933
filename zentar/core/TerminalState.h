#pragma once
// Which terminal Zentar works with and where its punch files go. One copy for the whole
// program; nothing of it is saved, so every run starts with no terminal selected.

#include <QString>

namespace zentar {

// The folder of the running program file.
QString CartellaEseguibile();

class StatoTerminale {
public:
    // `cartellaProgramma` is the folder holding "Timbrature" (the program's own folder unless
    // a test says otherwise).
    explicit StatoTerminale(QString cartellaProgramma = CartellaEseguibile());

    const QString& CartellaProgramma() const { return cartellaProgramma_; }

    // The destination folder of a terminal: its PercorsoPRE when not empty, otherwise the
    // program folder, "Timbrature" and the code in decimal. "Timbrature" itself is never
    // created by the program.
    QString CartellaDestinazione(const QString& percorsoPRE, int codice) const;

    int CodiceTerminale = 0;       // Codice of the selected terminal; 0 means none
    QString DescrizioneTerminale;  // its Descrizione, read once at selection
    QString CartellaPRE;           // its destination folder, without a final separator
    int TerminaleAttivo = 0;       // the code that disconnecting and "Apri Cartella" address

private:
    QString cartellaProgramma_;
};

// Creates the folder when it does not exist (one level: the parent must exist); whether the
// folder exists afterwards.
bool CreaCartella(const QString& cartella);

// Whether every character is one of the digits 0 to 9 (the empty text included).
bool IsNumero(const QString& testo);

}  // namespace zentar
