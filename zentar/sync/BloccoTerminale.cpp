#include "BloccoTerminale.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include <QDir>
#include <QFile>

namespace zentar {

BloccoTerminale::BloccoTerminale(const QString& cartellaProgramma, int codice)
{
    const QString percorso = QDir(cartellaProgramma).filePath(QStringLiteral(".zentar-sync-%1.lock").arg(codice));
    const QByteArray nome = QFile::encodeName(percorso);
    // Shared by the operators' group (the umask decides); flock needs no write access, so a
    // lock file made by another user whose group may not write it still serves.
    fd_ = ::open(nome.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0664);
    if (fd_ < 0 && errno == EACCES)
        fd_ = ::open(nome.constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    int esito = 0;
    do {
        esito = ::flock(fd_, LOCK_EX);
    } while (esito != 0 && errno == EINTR);
    if (esito != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

BloccoTerminale::~BloccoTerminale()
{
    if (fd_ >= 0)
        ::close(fd_);
}

}  // namespace zentar
