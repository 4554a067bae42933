#include "InstallazioneSync.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

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

Esito InstallazioneSync::sync(const QStringList& argomenti, std::chrono::milliseconds limite) const
{
    return Esegui(programma(), argomenti, radice(), limite);
}

std::unique_ptr<ProgrammaAvviato> InstallazioneSync::avviaSync(const QStringList& argomenti) const
{
    return std::make_unique<ProgrammaAvviato>(programma(), argomenti, radice());
}
