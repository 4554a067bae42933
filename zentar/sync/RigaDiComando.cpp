#include "RigaDiComando.h"

namespace zentar {

namespace {

std::optional<int> codice(const QString& testo)
{
    bool ok = false;
    const int valore = testo.toInt(&ok);
    return ok && valore > 0 ? std::optional<int>(valore) : std::nullopt;
}

bool leggiCodice(const QStringList& a, qsizetype i, Richiesta& r, QString& errore)
{
    if (i >= a.size() || !codice(a.at(i))) {
        errore = QStringLiteral("a terminal code is needed");
        return false;
    }
    r.codici.push_back(*codice(a.at(i)));
    return true;
}

bool leggiScarica(const QStringList& a, Richiesta& r, QString& errore)
{
    for (qsizetype i = 1; i < a.size(); ++i) {
        const QString& x = a.at(i);
        if (x == QLatin1String("--all")) {
            r.tutti = true;
        } else if (x == QLatin1String("--delete")) {
            r.elimina = true;
        } else if (x == QLatin1String("--since")) {
            r.dal = i + 1 < a.size() ? DataDelTesto(a.at(++i)) : std::nullopt;
            if (!r.dal) {
                errore = QStringLiteral("--since needs a date dd/mm/yyyy");
                return false;
            }
        } else if (codice(x)) {
            r.codici.push_back(*codice(x));
        } else {
            errore = QStringLiteral("unknown argument '%1'").arg(x);
            return false;
        }
    }
    if (r.tutti == !r.codici.empty()) {
        errore = QStringLiteral("name the terminals or --all, not both");
        return false;
    }
    return true;
}

bool leggiEsporta(const QStringList& a, Richiesta& r, QString& errore)
{
    QStringList posizionali;
    for (qsizetype i = 1; i < a.size(); ++i) {
        if (a.at(i) == QLatin1String("--csv"))
            r.csv = true;
        else
            posizionali << a.at(i);
    }
    if (posizionali.size() != 4 || !codice(posizionali.at(0))) {
        errore = QStringLiteral("export needs CODE FROM TO DIR");
        return false;
    }
    r.codici.push_back(*codice(posizionali.at(0)));
    const std::optional<QDate> da = DataDelTesto(posizionali.at(1));
    const std::optional<QDate> a_ = DataDelTesto(posizionali.at(2));
    if (!da || !a_) {
        errore = QStringLiteral("the dates must be dd/mm/yyyy");
        return false;
    }
    if (*a_ < *da) {
        errore = QStringLiteral("the end date is before the start date");
        return false;
    }
    r.inizio = *da;
    r.fine = *a_;
    r.cartella = posizionali.at(3);
    return true;
}

}  // namespace

std::optional<QDate> DataDelTesto(const QString& testo)
{
    const QDate data = QDate::fromString(testo, QStringLiteral("dd/MM/yyyy"));
    return data.isValid() ? std::optional<QDate>(data) : std::nullopt;
}

std::optional<Richiesta> LeggiRigaDiComando(const QStringList& a, QString& errore)
{
    Richiesta r;
    if (a.isEmpty()) {
        errore = QStringLiteral("a command is needed");
        return std::nullopt;
    }
    const QString& comando = a.front();
    bool ok = false;
    if (comando == QLatin1String("list")) {
        r.comando = Sottocomando::Elenco;
        ok = a.size() == 1;
        if (!ok)
            errore = QStringLiteral("list takes no arguments");
    } else if (comando == QLatin1String("days")) {
        r.comando = Sottocomando::Giorni;
        ok = a.size() == 2 && leggiCodice(a, 1, r, errore);
        if (!ok && errore.isEmpty())
            errore = QStringLiteral("days needs one terminal code");
    } else if (comando == QLatin1String("download")) {
        r.comando = Sottocomando::Scarica;
        ok = leggiScarica(a, r, errore);
    } else if (comando == QLatin1String("export")) {
        r.comando = Sottocomando::Esporta;
        ok = leggiEsporta(a, r, errore);
    } else if (comando == QLatin1String("clock")) {
        r.comando = Sottocomando::Orologio;
        r.imposta = a.size() == 3 && a.at(2) == QLatin1String("--set");
        ok = (a.size() == 2 || r.imposta) && leggiCodice(a, 1, r, errore);
        if (!ok && errore.isEmpty())
            errore = QStringLiteral("clock needs one terminal code and optionally --set");
    } else {
        errore = QStringLiteral("unknown command '%1'").arg(comando);
    }
    return ok ? std::optional<Richiesta>(r) : std::nullopt;
}

QString Uso()
{
    return QStringLiteral(
        "usage:\n"
        "  zentar-sync list\n"
        "  zentar-sync days CODE\n"
        "  zentar-sync download (CODE... | --all) [--since dd/mm/yyyy] [--delete]\n"
        "  zentar-sync export CODE FROM TO DIR [--csv]      (dates dd/mm/yyyy)\n"
        "  zentar-sync clock CODE [--set]\n"
        "exit status: 0 done, 1 some days not imported, 2 a terminal not reached, 3 bad usage or data source\n");
}

}  // namespace zentar
