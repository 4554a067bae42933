#include "Sincronizzazione.h"

#include <algorithm>
#include <cstdio>

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QSqlRecord>
#include <QSqlTableModel>

#include "BloccoTerminale.h"
#include "Connessione.h"
#include "DateText.h"
#include "Errors.h"
#include "EsportazioneTimbrature.h"
#include "GiornoMemorizzato.h"
#include "NomePRE.h"
#include "OperazioniConsole.h"
#include "RigaDiComando.h"
#include "TerminalSelection.h"

namespace zentar {

namespace {

void registro(const QString& riga) { std::fprintf(stderr, "%s\n", qPrintable(riga)); }
void stampa(const QString& riga) { std::printf("%s\n", qPrintable(riga)); }

QString comeRaggiunto(const QSqlRecord& r)
{
    const QString terminale = r.value("Indirizzo").toString();
    switch (CollegamentoDi(r)) {
    case Collegamento::ScatolaDiRete:
        return QStringLiteral("network box %1:%2 terminal %3")
            .arg(r.value("Indiriz_lanbrick").toString().trimmed(), r.value("Portacom").toString(), terminale);
    case Collegamento::Modem:
        return QStringLiteral("modem %1 on COM%2").arg(r.value("Telefono").toString(), r.value("Portacom").toString());
    case Collegamento::Diretto: break;
    }
    return QStringLiteral("direct COM%1 mode %2 %3 baud terminal %4")
        .arg(r.value("Portacom").toString(), r.value("Modalita_col").toString(), r.value("Baudrate").toString(),
             terminale);
}

// A message of several lines (a database server's) as one line of the log.
QString suUnaRiga(QString testo)
{
    static const QRegularExpression aCapo(QStringLiteral("\\s*[\\r\\n]+\\s*"));
    return testo.replace(aCapo, QStringLiteral(" "));
}

QString testoOra(const QDateTime& t) { return t.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")); }

}  // namespace

Sincronizzazione::Sincronizzazione(const QString& cartellaProgramma)
    : cartellaProgramma_(cartellaProgramma), stato_(cartellaProgramma)
{
}

std::unique_ptr<Sincronizzazione> Sincronizzazione::Apri(const QString& cartellaProgramma, QString& errore)
{
    std::unique_ptr<Sincronizzazione> s(new Sincronizzazione(cartellaProgramma));
    s->database_ = TDMDatabase::Apri(s->stato_, OpzioniDatabase{.cartellaProgramma = cartellaProgramma}, &errore);
    if (!s->database_)
        return nullptr;
    s->servizi_ =
        std::make_unique<ServiziTerminale>(*s->database_, s->stato_, s->kavex_, s->viste_, s->viste_, s->dialoghi_);
    s->avanzamento_ = std::make_unique<CollegamentoAvanzamento>(s->barra_);
    return s;
}

int Sincronizzazione::Esegui(const Richiesta& r)
{
    for (int codice : r.codici) {
        if (!registrato(codice)) {
            registro(QStringLiteral("zentar-sync: terminal %1 is not registered\n%2").arg(QString::number(codice), Uso()));
            return kUsoErrato;
        }
    }
    switch (r.comando) {
    case Sottocomando::Elenco: return elenco();
    case Sottocomando::Giorni: return giorni(r.codici.front());
    case Sottocomando::Scarica: return scarica(r);
    case Sottocomando::Esporta: return esporta(r);
    case Sottocomando::Orologio: return orologio(r.codici.front(), r.imposta);
    }
    return kUsoErrato;
}

bool Sincronizzazione::registrato(int codice)
{
    return !database_->LeggiRilevatore(codice).value(QStringLiteral("Codice")).isNull();
}

int Sincronizzazione::elenco()
{
    QSqlTableModel& tabella = *database_->tblRilevatori();
    while (tabella.canFetchMore())
        tabella.fetchMore();
    for (int i = 0; i < tabella.rowCount(); ++i) {
        const QSqlRecord r = tabella.record(i);
        stampa(QStringLiteral("%1\t%2\t%3").arg(r.value("Codice").toString(), r.value("Descrizione").toString(),
                                                 comeRaggiunto(r)));
    }
    return kFatto;
}

bool Sincronizzazione::raggiungi(int codice)
{
    if (SelezionaTerminale(*database_, stato_, codice) != EsitoSelezione::Selezionato) {
        registro(QStringLiteral("terminal %1: not reached: its destination folder cannot be made").arg(codice));
        return false;
    }
    if (servizi_->connessione.ConnettiTerminale(codice))
        return true;
    QString errore;
    kavex_.GetError(errore);
    registro(QStringLiteral("terminal %1: not reached: %2: %3").arg(codice).arg(viste_.consoleMainErr, errore));
    servizi_->connessione.DisconnettiTerminale(codice);
    return false;
}

void Sincronizzazione::lascia(int codice) { servizi_->connessione.DisconnettiTerminale(codice); }

QStringList Sincronizzazione::giorniSulTerminale()
{
    QStringList elenco;
    servizi_->elenco.ElencoPRE(elenco);
    elenco.sort();  // yyyy/mm/dd sorts by date
    QStringList giorni;
    for (const QString& g : elenco)
        giorni << DataVisibile(g);
    return giorni;
}

int Sincronizzazione::giorni(int codice)
{
    BloccoTerminale blocco(cartellaProgramma_, codice);
    if (!raggiungi(codice))
        return kNonRaggiunto;
    const QStringList memorizzati = database_->NomiFileMemorizzati(codice);
    for (const QString& giorno : giorniSulTerminale())
        stampa(memorizzati.contains(NomePRE(giorno)) ? giorno + QStringLiteral("\tstored") : giorno);
    lascia(codice);
    return kFatto;
}

// The step that failed, empty when the day is stored, and for a library or database failure
// its text.
Sincronizzazione::Fallimento Sincronizzazione::scaricaGiorno(const QString& nome, int& timbrature)
{
    ScaricoPRE& scarico = servizi_->scarico;
    kavex_.EnableMeter(1);
    if (!scarico.RiceviFile(nome, scarico.PercorsoLocale(nome))) {
        QString errore;
        kavex_.GetError(errore);
        return {QStringLiteral("RecvFile"), errore};
    }
    const std::optional<QString> testo = scarico.TestoDelFile(nome);
    if (!testo)
        return {QStringLiteral("SalvaFile"), QStringLiteral("the received file cannot be read")};
    const QString salvaFile = QStringLiteral("SalvaFile");
    try {
        // The same text stored again would only pile up identical rows.
        if (database_->TestoUltimoFile(stato_.CodiceTerminale, nome) != testo && !scarico.SalvaFile(nome))
            return {salvaFile, {}};
    } catch (const std::exception& e) {
        return {salvaFile, QString::fromLocal8Bit(e.what())};
    }
    const QString salvaTimbrature = QStringLiteral("SalvaTimbrature");
    try {
        if (!scarico.SalvaTimbrature(nome))
            return {salvaTimbrature, {}};
    } catch (const std::exception& e) {
        return {salvaTimbrature, QString::fromLocal8Bit(e.what())};
    }
    timbrature = static_cast<int>(testo->count(QStringLiteral("\r\n")));
    return {};
}

int Sincronizzazione::scaricaTerminale(int codice, const Richiesta& r, int& memorizzati, int& falliti)
{
    BloccoTerminale blocco(cartellaProgramma_, codice);
    if (!blocco.ok())
        registro(QStringLiteral("terminal %1: the lock file cannot be opened; going on without it").arg(codice));
    if (!raggiungi(codice))
        return kNonRaggiunto;
    const QStringList giaMemorizzati = database_->NomiFileMemorizzati(codice);
    QStringList giorni;
    QString ultimoMemorizzato;
    for (const QString& giorno : giorniSulTerminale()) {
        if (r.dal && QDate::fromString(giorno, QStringLiteral("dd/MM/yyyy")) < *r.dal)
            continue;
        const QString nome = NomePRE(giorno);
        if (!giaMemorizzati.contains(nome)) {
            giorni << giorno;
            continue;
        }
        ultimoMemorizzato = giorno;
        // Stored half-way by an earlier run: taken again.
        if (!MemorizzatoPerIntero(*database_, servizi_->tracciato, codice, nome, giorno))
            giorni << giorno;
    }
    // The latest day already stored may have grown since.
    if (!ultimoMemorizzato.isEmpty() && !giorni.contains(ultimoMemorizzato))
        giorni << ultimoMemorizzato;
    std::sort(giorni.begin(), giorni.end(),
              [](const QString& a, const QString& b) { return DataOrdinabile(a) < DataOrdinabile(b); });

    int esito = kFatto;
    for (const QString& giorno : giorni) {
        const QString nome = NomePRE(giorno);
        int timbrature = 0;
        const Fallimento fallito = scaricaGiorno(nome, timbrature);
        if (!fallito.passo.isEmpty()) {
            registro(QStringLiteral("terminal %1 %2: not imported: %3 failed").arg(codice).arg(giorno, fallito.passo));
            if (!fallito.dettaglio.isEmpty())
                registro(QStringLiteral("  %1: %2").arg(fallito.passo, suUnaRiga(fallito.dettaglio)));
            ++falliti;
            esito = kGiorniFalliti;
            continue;
        }
        registro(QStringLiteral("terminal %1 %2: stored %3 punches").arg(codice).arg(giorno).arg(timbrature));
        ++memorizzati;
        if (r.elimina && !servizi_->scarico.EliminaFilePRE(nome))
            registro(QStringLiteral("terminal %1 %2: not deleted on the terminal").arg(codice).arg(giorno));
    }
    lascia(codice);
    return esito;
}

int Sincronizzazione::scarica(const Richiesta& r)
{
    std::vector<int> codici = r.codici;
    if (r.tutti) {
        QSqlTableModel& tabella = *database_->tblRilevatori();
        while (tabella.canFetchMore())
            tabella.fetchMore();
        for (int i = 0; i < tabella.rowCount(); ++i)
            codici.push_back(tabella.record(i).value(QStringLiteral("Codice")).toInt());
    }
    int esito = kFatto, memorizzati = 0, falliti = 0, nonRaggiunti = 0;
    for (int codice : codici) {
        const int e = scaricaTerminale(codice, r, memorizzati, falliti);
        nonRaggiunti += e == kNonRaggiunto ? 1 : 0;
        esito = std::max(esito, e);
    }
    stampa(QStringLiteral("zentar-sync: %1 terminals, %2 days stored, %3 days not imported, %4 terminals not reached")
               .arg(codici.size())
               .arg(memorizzati)
               .arg(falliti)
               .arg(nonRaggiunti));
    return esito;
}

int Sincronizzazione::esporta(const Richiesta& r)
{
    const int codice = r.codici.front();
    if (!QDir(r.cartella).exists()) {
        registro(QStringLiteral("zentar-sync: the folder %1 does not exist").arg(r.cartella));
        return kUsoErrato;
    }
    try {
        if (r.csv) {
            const QString percorso = QDir(r.cartella).filePath(QStringLiteral("punches-%1-%2-%3.csv")
                                                                   .arg(codice)
                                                                   .arg(r.inizio.toString(QStringLiteral("yyyyMMdd")),
                                                                        r.fine.toString(QStringLiteral("yyyyMMdd"))));
            const int righe = EsportaCsv(*database_, codice, r.inizio, r.fine, percorso);
            stampa(QStringLiteral("%1: %2 punches").arg(percorso).arg(righe));
        } else {
            for (const QString& percorso : EsportaGiorni(*database_, codice, r.inizio, r.fine, r.cartella))
                stampa(percorso);
        }
    } catch (const ZentarError& e) {
        registro(QStringLiteral("zentar-sync: export stopped: %1").arg(QString::fromLocal8Bit(e.what())));
        return kGiorniFalliti;
    }
    return kFatto;
}

int Sincronizzazione::orologio(int codice, bool imposta)
{
    BloccoTerminale blocco(cartellaProgramma_, codice);
    if (!raggiungi(codice))
        return kNonRaggiunto;
    QString data, ora;
    const int32_t rData = kavex_.GetDate(data);
    const int32_t rOra = kavex_.GetTime(ora);
    const QDateTime computer = QDateTime::currentDateTime();
    const std::optional<QString> giorno = DataDalTerminale(data);
    const std::optional<QString> orario = OraDalTerminale(ora);
    int esito = kFatto;
    if (rData != 0 || rOra != 0 || !giorno || !orario) {
        QString errore;
        kavex_.GetError(errore);
        registro(QStringLiteral("terminal %1: the clock cannot be read: %2").arg(codice).arg(errore));
        esito = kNonRaggiunto;
    } else {
        const QDateTime terminale(QDate::fromString(*giorno, QStringLiteral("dd-MM-yyyy")),
                                  QTime::fromString(*orario, QStringLiteral("hh.mm.ss")));
        stampa(QStringLiteral("terminal: %1").arg(terminale.isValid() ? testoOra(terminale) : *giorno + " " + *orario));
        stampa(QStringLiteral("computer: %1").arg(testoOra(computer)));
        if (terminale.isValid())
            stampa(QStringLiteral("difference: %1 s").arg(computer.secsTo(terminale)));
    }
    if (imposta && esito == kFatto) {
        const QDateTime adesso = QDateTime::currentDateTime();
        const int32_t d = kavex_.SetDate(DataPerIlTerminale(adesso.toString(QStringLiteral("dd-MM-yyyy"))));
        const int32_t t = kavex_.SetTime(OraPerIlTerminale(adesso.toString(QStringLiteral("hh.mm.ss"))));
        if (d == 0 && t == 0) {
            stampa(QStringLiteral("set"));
        } else {
            QString errore;
            kavex_.GetError(errore);
            registro(QStringLiteral("terminal %1: the clock was not set (%2, %3): %4").arg(codice).arg(d).arg(t).arg(errore));
            esito = kNonRaggiunto;
        }
    }
    lascia(codice);
    return esito;
}

}  // namespace zentar
