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
    fd_ = ::open(QFile::encodeName(percorso).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
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
