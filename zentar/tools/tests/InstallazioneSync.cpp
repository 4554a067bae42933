#include "InstallazioneSync.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "DMDatabase.h"
#include "TerminalState.h"

namespace {

bool riuscito(bool fatto, const char* passo)
{
    if (!fatto)
        ADD_FAILURE() << "cannot prepare the installation: " << passo;
    return fatto;
}

}  // namespace

InstallazioneSync::~InstallazioneSync() { qunsetenv("COM_PORT_DIR"); }

bool InstallazioneSync::Prepara()
{
    AmbienteDiProva();
    if (!riuscito(radice_.isValid() && porte_.isValid(), "temporary folders"))
        return false;
    const QDir r(radice_.path());
    if (!riuscito(r.mkpath("bin/Timbrature"), "bin/Timbrature") ||
        !riuscito(QFile::link(ZENTAR_LIB_DIR, r.filePath("lib")), "lib link") ||
        !riuscito(QFile::copy(ZENTAR_SYNC, programma()), "copy of zentar-sync"))
        return false;
    qputenv("COM_PORT_DIR", porte_.path().toLocal8Bit());
    return true;
}

QString InstallazioneSync::cartellaPRE(int codice) const
{
    return percorso(QStringLiteral("bin/Timbrature/%1").arg(codice));
}

bool InstallazioneSync::registra(std::vector<zentar::RilevatoreDemo> rilevatori) const
{
    const zentar::StatoTerminale stato(cartellaProgramma());
    QString errore;
    const auto db = ApriDatabase(stato, &errore);
    if (!db) {
        ADD_FAILURE() << errore.toStdString();
        return false;
    }
    for (const zentar::RegistrazioneDemo& esito : zentar::RegistraRilevatori(*db, std::move(rilevatori))) {
        if (!esito.registrato) {
            ADD_FAILURE() << "code " << esito.rilevatore.Codice << " was taken";
            return false;
        }
    }
    return true;
}

Esito InstallazioneSync::sync(const QStringList& argomenti, std::chrono::milliseconds limite) const
{
    return Esegui(programma(), argomenti, radice(), limite);
}

std::unique_ptr<ProgrammaAvviato> InstallazioneSync::avviaSync(const QStringList& argomenti) const
{
    return std::make_unique<ProgrammaAvviato>(programma(), argomenti, radice());
}
