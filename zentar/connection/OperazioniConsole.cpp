#include "OperazioniConsole.h"

#include <QDate>
#include <QTime>

namespace zentar {

namespace {

constexpr std::size_t kVoce = 16;
constexpr std::size_t kNomeVoce = 15;

// Characters `da` to `a` of `testo`, counted from 1.
QString caratteri(const QString& testo, int da, int a) { return testo.mid(da - 1, a - da + 1); }

}  // namespace

QString SegnapostoComando() { return QStringLiteral(" Inserisci qui il Comando da Inviare al Terminale").toUpper(); }

QString ComandoDaInviare(const QString& comando, const QString& riga)
{
    const QString argomenti = riga != SegnapostoComando() && !riga.trimmed().isEmpty() ? riga : QString();
    return comando.isEmpty() ? argomenti : comando + QLatin1Char(' ') + argomenti;
}

bool ComandoRifiutato(const QStringList& risposte, const QString& comando)
{
    return risposte.size() == 1 && risposte.front() == comando + QStringLiteral(" ??");
}

std::optional<QString> DataDalTerminale(const QString& data)
{
    if (data.size() < 7)
        return std::nullopt;
    return caratteri(data, 6, 7) + QLatin1Char('-') + caratteri(data, 4, 5) + QStringLiteral("-20") +
           caratteri(data, 2, 3);
}

std::optional<QString> OraDalTerminale(const QString& ora)
{
    if (ora.size() < 6)
        return std::nullopt;
    return caratteri(ora, 1, 2) + QLatin1Char('.') + caratteri(ora, 3, 4) + QLatin1Char('.') + caratteri(ora, 5, 6);
}

QString DataPerIlTerminale(const QString& campo)
{
    return QLatin1Char('4') + caratteri(campo, 9, 10) + caratteri(campo, 4, 5) + caratteri(campo, 1, 2);
}

QString OraPerIlTerminale(const QString& campo) { return QString(campo).remove(QLatin1Char('.')); }

bool DataValida(const QString& campo)
{
    bool giornoOk = false, meseOk = false, annoOk = false;
    const int giorno = caratteri(campo, 1, 2).toInt(&giornoOk);
    const int mese = caratteri(campo, 4, 5).toInt(&meseOk);
    const int anno = caratteri(campo, 7, 10).toInt(&annoOk);
    return giornoOk && meseOk && annoOk && anno >= 1 && anno <= 9999 && QDate::isValid(anno, mese, giorno);
}

bool OraValida(const QString& campo)
{
    if (campo.size() != 8 || campo.at(2) != QLatin1Char('.') || campo.at(5) != QLatin1Char('.'))
        return false;
    const QString cifre = OraPerIlTerminale(campo);
    for (const QChar c : cifre) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return QTime::isValid(cifre.left(2).toInt(), cifre.mid(2, 2).toInt(), cifre.mid(4, 2).toInt());
}

QString BitDelByte(long long valore)
{
    const long long resto = ((valore % 256) + 256) % 256;
    return QStringLiteral("%1").arg(resto, 8, 2, QLatin1Char('0'));
}

int ByteDaiBit(const std::array<QString, 8>& bit)
{
    int valore = 0;
    for (std::size_t k = 0; k < bit.size(); ++k) {
        if (bit[k] == QLatin1String("1"))
            valore += 1 << k;
    }
    return valore;
}

QString NomeSulTerminale(const QString& nomeLocale)
{
    const qsizetype punto = nomeLocale.indexOf(QLatin1Char('.'));
    return punto < 0 ? QString() : nomeLocale.left(punto).toUpper();
}

QStringList NomiDellElenco(const char* elenco, std::size_t dimensione, int voci)
{
    QStringList nomi;
    if (elenco == nullptr)
        return nomi;
    for (int i = 0; i < voci; ++i) {
        const std::size_t inizio = kVoce * static_cast<std::size_t>(i);
        if (inizio + kNomeVoce > dimensione)
            break;
        const QString voce = QString::fromLatin1(elenco + inizio, static_cast<qsizetype>(kNomeVoce));
        const qsizetype spazio = voce.indexOf(QLatin1Char(' '));
        nomi << (spazio < 0 ? QString() : voce.left(spazio));
    }
    return nomi;
}

}  // namespace zentar
