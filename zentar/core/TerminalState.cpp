#include "TerminalState.h"

#include <algorithm>
#include <utility>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace zentar {

QString CartellaEseguibile() { return QCoreApplication::applicationDirPath(); }

StatoTerminale::StatoTerminale(QString cartellaProgramma) : cartellaProgramma_(std::move(cartellaProgramma)) {}

QString StatoTerminale::CartellaDestinazione(const QString& percorsoPRE, int codice) const
{
    if (!percorsoPRE.isEmpty())
        return percorsoPRE;
    const QString folder = QDir(cartellaProgramma_).filePath(QStringLiteral("Timbrature/%1").arg(codice));
    return QDir::toNativeSeparators(folder);
}

bool CreaCartella(const QString& cartella)
{
    if (cartella.isEmpty())
        return false;
    if (!QFileInfo(cartella).isDir())
        QDir().mkdir(cartella);
    return QFileInfo(cartella).isDir();
}

bool IsNumero(const QString& testo)
{
    return std::all_of(testo.begin(), testo.end(), [](QChar c) { return c >= '0' && c <= '9'; });
}

}  // namespace zentar
