#pragma once
// A copy of zentar-sync's folder layout for one test: bin/zentar-sync as built beside a lib
// link to the built libraries, bin/Timbrature, and a folder of serial ports that COM_PORT_DIR
// names while the installation lives. Fixtures inherit it for its paths and runs.

#include <chrono>
#include <memory>
#include <vector>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "RilevatoriDemo.h"
#include "SupportoE2E.h"

class InstallazioneSync {
public:
    InstallazioneSync() = default;
    ~InstallazioneSync();

    InstallazioneSync(const InstallazioneSync&) = delete;
    InstallazioneSync& operator=(const InstallazioneSync&) = delete;

    // AmbienteDiProva, the folders, the program and COM_PORT_DIR; false, with a failure of
    // the test saying which step failed, when one does.
    bool Prepara();

    QString radice() const { return radice_.path(); }
    QString percorso(const QString& relativo) const { return radice_.filePath(relativo); }
    QString programma() const { return percorso("bin/zentar-sync"); }
    QString cartellaProgramma() const { return percorso("bin"); }
    QString database() const { return percorso("bin/Zentar.db"); }
    QString cartellaPRE(int codice) const;
    QString porte() const { return porte_.path(); }

    // Registers the terminals in the data source the program opens, through Zentar's own data
    // module; false, with a failure of the test, when it cannot be opened or a code is taken.
    bool registra(std::vector<zentar::RilevatoreDemo> rilevatori) const;

    // A run to its end, from a working folder that is not the program's. A download of a few
    // days pauses a second before each and may dial a modem: minutes, not seconds.
    Esito sync(const QStringList& argomenti, std::chrono::milliseconds limite = std::chrono::minutes(4)) const;
    std::unique_ptr<ProgrammaAvviato> avviaSync(const QStringList& argomenti) const;

private:
    QTemporaryDir radice_;
    QTemporaryDir porte_;
};
