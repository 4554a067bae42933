#pragma once
// One run at a time per terminal: an exclusive lock on a file beside the program, taken before
// the terminal is reached and released when this object goes or the process dies.

#include <QString>

namespace zentar {

class BloccoTerminale {
public:
    // Waits until no other run holds the terminal. `ok()` is false when the lock file cannot
    // be opened.
    BloccoTerminale(const QString& cartellaProgramma, int codice);
    ~BloccoTerminale();

    BloccoTerminale(const BloccoTerminale&) = delete;
    BloccoTerminale& operator=(const BloccoTerminale&) = delete;

    bool ok() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace zentar
