// zentar-sync: Zentar's downloads and exports without windows, for scheduled runs.

#include <cstdio>

#include <QCommandLineParser>
#include <QCoreApplication>

#include "RigaDiComando.h"
#include "Sincronizzazione.h"
#include "TerminalState.h"

namespace {

// --help, -h and --version before the command; everything from the command on is the
// command's own (its options included).
std::optional<QStringList> ArgomentiDelComando(const QCoreApplication& app, QString& errore)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Zentar's downloads and exports without windows.\n\n") +
                                     zentar::Uso());
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("list, days, download, export or clock"),
                                 QStringLiteral("command [arguments]"));
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(app.arguments())) {
        errore = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    return parser.positionalArguments();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zentar-sync"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZENTAR_VERSION));

    QString errore;
    const std::optional<QStringList> argomenti = ArgomentiDelComando(app, errore);
    const std::optional<zentar::Richiesta> richiesta =
        argomenti ? zentar::LeggiRigaDiComando(*argomenti, errore) : std::nullopt;
    if (!richiesta) {
        std::fprintf(stderr, "zentar-sync: %s\n%s", qPrintable(errore), qPrintable(zentar::Uso()));
        return zentar::kUsoErrato;
    }
    std::unique_ptr<zentar::Sincronizzazione> sync = zentar::Sincronizzazione::Apri(zentar::CartellaEseguibile(), errore);
    if (!sync) {
        std::fprintf(stderr, "zentar-sync: the data source cannot be opened: %s\n", qPrintable(errore));
        return zentar::kUsoErrato;
    }
    try {
        const int esito = sync->Esegui(*richiesta);
        std::fflush(stdout);
        return esito;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zentar-sync: %s\n", e.what());
        return zentar::kUsoErrato;
    }
}
