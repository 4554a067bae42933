// zentar-demo-register PROGRAM_FOLDER [--box-port N] [--modem-port N]
// Registers the demo's terminals in Zentar's data source, opened as the program opens it: the
// ODBC data source "Zentar" when one is defined, else Zentar.db in PROGRAM_FOLDER. A terminal
// whose code is already registered is left as it is. Exit status 0 done, 1 the data source
// could not be opened or written, 2 bad arguments.
#include <cstdio>
#include <optional>

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include "DMDatabase.h"
#include "Errors.h"
#include "RilevatoriDemo.h"

using namespace zentar;

namespace {

constexpr int kUscitaErrore = 1;
constexpr int kUscitaUso = 2;
constexpr int kPortaUdpMassima = 65535;
constexpr int kPortaComMassima = 500;

struct Argomenti {
    QString cartella;
    PorteDemo porte;
};

struct Opzione {
    const char* nome;
    int PorteDemo::*porta;
    int massimo;
};

constexpr Opzione kOpzioni[] = {
    {.nome = "--box-port", .porta = &PorteDemo::portaScatola, .massimo = kPortaUdpMassima},
    {.nome = "--modem-port", .porta = &PorteDemo::portaModem, .massimo = kPortaComMassima},
};

void stampaUso()
{
    std::fprintf(stderr,
                 "usage: zentar-demo-register PROGRAM_FOLDER [--box-port N] [--modem-port N]\n"
                 "  --box-port N    the network box's UDP port on %s (default 8499)\n"
                 "  --modem-port N  the modem's serial port COM<N>, 1-500 (default 2)\n",
                 qPrintable(kIndirizzoScatolaDemo));
}

// The arguments, or nothing (with the reason printed) when they are not usable.
std::optional<Argomenti> leggiArgomenti(const QStringList& testi)
{
    Argomenti argomenti;
    for (qsizetype i = 0; i < testi.size(); ++i) {
        const QString& testo = testi[i];
        const Opzione* opzione = nullptr;
        for (const Opzione& o : kOpzioni) {
            if (testo == QLatin1String(o.nome))
                opzione = &o;
        }
        if (opzione != nullptr) {
            bool numero = false;
            const int valore = i + 1 < testi.size() ? testi[i + 1].toInt(&numero) : 0;
            if (!numero || valore < 1 || valore > opzione->massimo) {
                std::fprintf(stderr, "zentar-demo-register: %s takes a number from 1 to %d\n", opzione->nome,
                             opzione->massimo);
                return std::nullopt;
            }
            argomenti.porte.*(opzione->porta) = valore;
            ++i;
        } else if (testo.startsWith(QLatin1Char('-')) || !argomenti.cartella.isEmpty()) {
            std::fprintf(stderr, "zentar-demo-register: unexpected argument \"%s\"\n", qPrintable(testo));
            return std::nullopt;
        } else {
            argomenti.cartella = testo;
        }
    }
    if (argomenti.cartella.isEmpty()) {
        std::fprintf(stderr, "zentar-demo-register: the program folder is missing\n");
        return std::nullopt;
    }
    return argomenti;
}

QString origineDati(const QString& cartella)
{
    return MotoreScelto(MotoreDatabase::Automatico) == MotoreDatabase::ODBC
               ? QStringLiteral("the ODBC data source \"Zentar\"")
               : QDir(cartella).filePath(QStringLiteral("Zentar.db"));
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::optional<Argomenti> argomenti = leggiArgomenti(app.arguments().mid(1));
    if (!argomenti) {
        stampaUso();
        return kUscitaUso;
    }
    if (!QDir(argomenti->cartella).exists()) {
        std::fprintf(stderr, "zentar-demo-register: no folder %s\n", qPrintable(argomenti->cartella));
        return kUscitaErrore;
    }
    const QString cartella = QDir(argomenti->cartella).absolutePath();

    StatoTerminale stato(cartella);
    QString errore;
    const std::unique_ptr<TDMDatabase> database =
        TDMDatabase::Apri(stato, OpzioniDatabase{.cartellaProgramma = cartella}, &errore);
    if (!database) {
        std::fprintf(stderr, "zentar-demo-register: %s: %s\n", qPrintable(origineDati(cartella)), qPrintable(errore));
        return kUscitaErrore;
    }
    try {
        std::printf("Terminals of the demo in %s:\n", qPrintable(origineDati(cartella)));
        for (const RegistrazioneDemo& esito : RegistraRilevatoriDemo(*database, argomenti->porte)) {
            const RilevatoreDemo& r = esito.rilevatore;
            if (esito.registrato) {
                std::printf("  %d %s: registered (%s)\n", r.Codice, qPrintable(r.Descrizione),
                            qPrintable(r.collegamento));
            } else {
                std::printf("  %d %s: code %d already registered as \"%s\", left as it is\n", r.Codice,
                            qPrintable(r.Descrizione), r.Codice, qPrintable(esito.descrizionePresente));
            }
        }
    } catch (const ZentarError& error) {
        std::fprintf(stderr, "zentar-demo-register: %s\n", error.what());
        return kUscitaErrore;
    }
    return 0;
}
