#pragma once
// The command line of zentar-sync.

#include <optional>
#include <vector>

#include <QDate>
#include <QString>
#include <QStringList>

namespace zentar {

enum class Sottocomando { Elenco, Giorni, Scarica, Esporta, Orologio };

struct Richiesta {
    Sottocomando comando = Sottocomando::Elenco;
    std::vector<int> codici;  // the terminals named
    bool tutti = false;       // download --all
    std::optional<QDate> dal; // download --since
    bool elimina = false;     // download --delete
    QDate inizio, fine;       // export FROM TO
    QString cartella;         // export DIR
    bool csv = false;         // export --csv
    bool imposta = false;     // clock --set
};

// The request, or nothing with `errore` saying what is wrong.
std::optional<Richiesta> LeggiRigaDiComando(const QStringList& argomenti, QString& errore);

// dd/mm/yyyy as a date; nothing when it is not one.
std::optional<QDate> DataDelTesto(const QString& testo);

QString Uso();

}  // namespace zentar
