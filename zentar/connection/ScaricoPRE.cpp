#include "ScaricoPRE.h"

#include <optional>

#include <QDir>
#include <QFile>
#include <QThread>

#include "Errors.h"
#include "NomePRE.h"
#include "Timbratura.h"

namespace zentar {

namespace {

// Terminal files are 8-bit texts: every byte is kept as the character of the same code.
std::optional<QStringList> righeDelFile(const QString& percorso)
{
    QFile file(percorso);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return RigheDelTesto(file.readAll());
}

void informa(DialogService& dialoghi, const QString& testo)
{
    dialoghi.message(MessageKind::Information, testo, MessageButtons::Ok);
}

}  // namespace

QStringList RigheDelTesto(const QByteArray& testo)
{
    QStringList righe;
    qsizetype inizio = 0;
    for (qsizetype i = 0; i < testo.size(); ++i) {
        const char c = testo[i];
        if (c != '\r' && c != '\n')
            continue;
        righe << QString::fromLatin1(testo.mid(inizio, i - inizio));
        if (c == '\r' && i + 1 < testo.size() && testo[i + 1] == '\n')
            ++i;
        inizio = i + 1;
    }
    if (inizio < testo.size())
        righe << QString::fromLatin1(testo.mid(inizio));
    return righe;
}

ScaricoPRE::ScaricoPRE(TDMDatabase& database, const StatoTerminale& stato, LibreriaKavex& kavex,
                       DialogService& dialoghi, FonteTracciato& tracciato, const Clock& orologio)
    : database_(database), stato_(stato), kavex_(kavex), dialoghi_(dialoghi), tracciato_(tracciato), orologio_(orologio)
{
}

QString ScaricoPRE::PercorsoLocale(const QString& nome) const
{
    return QDir::toNativeSeparators(stato_.CartellaPRE + QDir::separator() + nome);
}

bool ScaricoPRE::RiceviFile(const QString& nome, const QString& percorso, int32_t* risultato)
{
    for (int tentativo = 0; tentativo < kTentativi; ++tentativo) {
        QThread::msleep(kPausaMs);
        const int32_t r = kavex_.RecvFile(nome, percorso);
        if (risultato)
            *risultato = r;
        if (r >= 0)
            return true;
    }
    return false;
}

bool ScaricoPRE::ScaricaPRE(const QString& nome)
{
    kavex_.EnableMeter(1);
    if (!RiceviFile(nome, PercorsoLocale(nome))) {
        informa(dialoghi_, QStringLiteral("Download Fallito"));
        return false;
    }
    if (!SalvaFile(nome)) {
        informa(dialoghi_, QStringLiteral("Salvataggio File Fallito"));
        return false;
    }
    if (!SalvaTimbrature(nome)) {
        informa(dialoghi_, QStringLiteral("Salvataggio Timbrature Fallito"));
        return false;
    }
    return true;
}

std::optional<QString> ScaricoPRE::TestoDelFile(const QString& nome) const
{
    const std::optional<QStringList> righe = righeDelFile(PercorsoLocale(nome));
    if (!righe)
        return std::nullopt;
    QString testo;
    for (const QString& riga : *righe)
        testo += riga + QStringLiteral("\r\n");
    return testo;
}

bool ScaricoPRE::SalvaFile(const QString& nome)
{
    const int id = database_.ProssimoIDFile() + 1;
    const QString data = DataDaNomePRE(nome, orologio_);
    const std::optional<QString> testo = TestoDelFile(nome);
    if (!testo)
        return false;
    const int prima = database_.ContaFile();
    database_.InserisciFile(
        {.ID = id, .Terminale = stato_.CodiceTerminale, .Data = data, .NomeFile = nome, .Blob = *testo});
    return database_.ContaFile() == prima + 1;
}

bool ScaricoPRE::SalvaTimbrature(const QString& nome)
{
    const std::optional<QStringList> righe = righeDelFile(PercorsoLocale(nome));
    if (!righe)
        return false;
    const QString data = DataDaNomePRE(nome, orologio_);
    for (const QString& riga : *righe) {
        RigaTimbratura timbratura{
            .ID = 0, .Terminale = stato_.CodiceTerminale, .Data = data, .Badge = {}, .Verso = 0, .Ora = {}};
        try {
            // Badge, direction and time, in this order: each may ask for a missing parameter.
            TTimbratura linea(riga, tracciato_);
            timbratura.Badge = linea.GetCartellino();
            timbratura.Verso = linea.GetVerso();
            timbratura.Ora = linea.GetOra();
        } catch (const ConversionError&) {
            // A line that cannot be cut is as unusable as one without a badge: the day fails
            // and the download goes on with the next one.
            return false;
        }
        if (stato_.CodiceTerminale == 0 || timbratura.Badge.isEmpty() || timbratura.Ora.isEmpty())
            return false;
        database_.EliminaTimbraturaUguale(timbratura);
        timbratura.ID = database_.ProssimoIDTimbratura(data) + 1;
        database_.InserisciTimbratura(timbratura);
    }
    return true;
}

bool ScaricoPRE::EliminaFilePRE(const QString& nome) { return kavex_.DeleFile(nome) == 0; }

}  // namespace zentar
