#include "SupportoE2E.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace {

int asMs(std::chrono::milliseconds durata) { return static_cast<int>(durata.count()); }

void prepara(QProcess& processo, const QString& cartella)
{
    AmbienteDiProva();
    processo.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    if (!cartella.isEmpty())
        processo.setWorkingDirectory(cartella);
}

// Waits for the end of a started process, killing it when `limite` passes first.
Esito attendi(QProcess& processo, std::chrono::milliseconds limite)
{
    Esito esito;
    esito.finito = processo.waitForFinished(asMs(limite));
    if (!esito.finito) {
        processo.kill();
        processo.waitForFinished();
    }
    esito.stato = processo.exitStatus();
    esito.codice = processo.exitCode();
    esito.uscita = QString::fromLocal8Bit(processo.readAllStandardOutput());
    esito.errori = QString::fromLocal8Bit(processo.readAllStandardError());
    return esito;
}

}  // namespace

void AmbienteDiProva()
{
    static const QTemporaryDir configurazione;
    static const bool fatto = [] {
        static int argc = 1;
        static char nome[] = "zentar-e2e-tests";
        static char* argv[] = {nome, nullptr};
        static QCoreApplication app(argc, argv);
        const QString ini = configurazione.filePath("odbc.ini");
        QFile(ini).open(QIODevice::WriteOnly);
        qputenv("ODBCINI", ini.toLocal8Bit());
        qputenv("ODBCSYSINI", configurazione.path().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return true;
    }();
    (void)fatto;
}

std::string Racconta(const Esito& esito)
{
    return QStringLiteral("exit %1%2\n--- stdout\n%3--- stderr\n%4")
        .arg(esito.codice)
        .arg(esito.finito ? QString() : QStringLiteral(" (killed: still running at the time limit)"))
        .arg(esito.uscita, esito.errori)
        .toStdString();
}

QStringList Righe(const QString& testo) { return testo.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }

QByteArray ContenutoDelFile(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

Esito Esegui(const QString& programma, const QStringList& argomenti, const QString& cartella,
             std::chrono::milliseconds limite)
{
    QProcess processo;
    prepara(processo, cartella);
    processo.start(programma, argomenti);
    if (!processo.waitForStarted(asMs(limite))) {
        Esito esito;
        esito.errori = processo.errorString();
        return esito;
    }
    processo.closeWriteChannel();
    return attendi(processo, limite);
}

ProgrammaAvviato::ProgrammaAvviato(const QString& programma, const QStringList& argomenti, const QString& cartella)
{
    prepara(processo_, cartella);
    processo_.start(programma, argomenti);
    processo_.waitForStarted();
}

ProgrammaAvviato::~ProgrammaAvviato()
{
    if (processo_.state() == QProcess::NotRunning)
        return;
    if (!termina()) {
        processo_.kill();
        processo_.waitForFinished();
    }
}

QString ProgrammaAvviato::primaRiga(std::chrono::milliseconds limite)
{
    QElapsedTimer trascorso;
    trascorso.start();
    while (!processo_.canReadLine() && processo_.state() == QProcess::Running && trascorso.elapsed() < limite.count())
        processo_.waitForReadyRead(100);
    return processo_.canReadLine() ? QString::fromLocal8Bit(processo_.readLine()).trimmed() : QString();
}

Esito ProgrammaAvviato::attendiFine(std::chrono::milliseconds limite) { return attendi(processo_, limite); }

bool ProgrammaAvviato::finitoEntro(std::chrono::milliseconds limite)
{
    return processo_.state() == QProcess::NotRunning || processo_.waitForFinished(asMs(limite));
}

void ProgrammaAvviato::uccidi()
{
    processo_.kill();
    processo_.waitForFinished();
}

bool ProgrammaAvviato::termina(std::chrono::milliseconds limite)
{
    processo_.terminate();
    return processo_.waitForFinished(asMs(limite));
}

bool AttendiFinche(const std::function<bool()>& condizione, std::chrono::milliseconds limite)
{
    QElapsedTimer trascorso;
    trascorso.start();
    while (!condizione()) {
        if (trascorso.elapsed() >= limite.count())
            return false;
        QThread::msleep(100);
    }
    return true;
}

void SuFileSQLite(const QString& file, const std::function<void(QSqlDatabase& db)>& lavoro)
{
    const QString nome = QStringLiteral("prova-e2e");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nome);
        db.setDatabaseName(file);
        if (db.open())
            lavoro(db);
        else
            ADD_FAILURE() << "cannot open " << file.toStdString();
        db.close();
    }
    QSqlDatabase::removeDatabase(nome);
}

std::unique_ptr<zentar::TDMDatabase> ApriDatabase(const zentar::StatoTerminale& stato, QString* errore)
{
    return zentar::TDMDatabase::Apri(stato, zentar::OpzioniDatabase{.cartellaProgramma = stato.CartellaProgramma()},
                                     errore);
}

QString MessaggioDelMotore(const QString& cartella)
{
    const zentar::StatoTerminale stato(cartella);
    QString errore;
    EXPECT_EQ(ApriDatabase(stato, &errore), nullptr) << "the engine opened it";
    return errore;
}
