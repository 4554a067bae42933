#include "Connessione.h"

#include <utility>

#include <QThread>

#include "Errors.h"

namespace zentar {

namespace {

constexpr int kModalitaRs232 = 3;
constexpr int kModalitaRs232Indiretta = 4;
constexpr int kModalitaScatola = 6;

int intero(const QSqlRecord& r, const char* colonna) { return r.value(colonna).toInt(); }
QString testo(const QSqlRecord& r, const char* colonna) { return r.value(colonna).toString(); }

QString fallita(const QString& passo, int32_t risultato)
{
    return QStringLiteral("%1 Fallita = %2").arg(passo, QString::number(risultato));
}

}  // namespace

Collegamento CollegamentoDi(const QSqlRecord& rilevatore)
{
    if (rilevatore.value("Modem").toBool())
        return Collegamento::Modem;
    return intero(rilevatore, "Modalita_col") == kModalitaScatola ? Collegamento::ScatolaDiRete
                                                                   : Collegamento::Diretto;
}

void ImpostaStato(VistaConnessione& vista, bool connesso)
{
    vista.ImmagineConnessione(connesso);
    vista.AbilitaControlli(connesso);
}

QString FileImmagineConnessione(bool acceso)
{
    return acceso ? QStringLiteral("images/on_.jpg") : QStringLiteral("images/off_.jpg");
}

GestoreConnessione::GestoreConnessione(TDMDatabase& database, StatoTerminale& stato, LibreriaKavex& kavex,
                                       VistaConnessione& vista, DialogService& dialoghi,
                                       FonteIndirizzoLocale indirizzoLocale)
    : database_(database),
      stato_(stato),
      kavex_(kavex),
      vista_(vista),
      dialoghi_(dialoghi),
      indirizzoLocale_(std::move(indirizzoLocale))
{
}

bool GestoreConnessione::ConnettiTerminale(int codice)
{
    const QSqlRecord rilevatore = database_.LeggiRilevatore(codice);
    codiceCollegato_ = codice;
    const QString locale = indirizzoLocale_(testo(rilevatore, "Indiriz_lanbrick").trimmed()).trimmed().toUpper();
    vista_.ScriviIndirizziRete({});

    QString messaggio;
    bool connesso = false;
    const int32_t init = kavex_.InitCOMM(intero(rilevatore, "Portacom"), intero(rilevatore, "Modalita_col"),
                                         intero(rilevatore, "Baudrate"), intero(rilevatore, "Parita"));
    if (init < 0) {
        messaggio = fallita(QStringLiteral("InitCOMM"), init);
    } else {
        switch (CollegamentoDi(rilevatore)) {
        case Collegamento::Modem: connesso = connettiModem(rilevatore, codice, messaggio); break;
        case Collegamento::ScatolaDiRete: connesso = connettiScatola(rilevatore, locale, messaggio); break;
        case Collegamento::Diretto:
            connesso = selezionaTerminale(intero(rilevatore, "Indirizzo"), messaggio);
            break;
        }
    }
    vista_.ScriviConsoleMainErr(messaggio);
    stato_.TerminaleAttivo = connesso ? codice : 0;
    return connesso;
}

bool GestoreConnessione::connettiModem(const QSqlRecord& rilevatore, int codice, QString& messaggio)
{
    const int32_t dial = kavex_.DialNumber(testo(rilevatore, "Modem_init"), testo(rilevatore, "Telefono"),
                                           intero(rilevatore, "Modem_wait"));
    if (dial < 0) {
        messaggio = fallita(QStringLiteral("DialNumber"), dial);
        return false;
    }
    const int indirizzo = intero(rilevatore, "Indirizzo");
    const int32_t terminale = kavex_.SetTerminal(indirizzo);
    if (terminale != 0) {
        // The call is up: hang it up before reporting.
        DisconnettiTerminale(codice);
        messaggio = fallita(QStringLiteral("SetTerminal [%1]").arg(indirizzo), terminale);
        return false;
    }
    return true;
}

bool GestoreConnessione::connettiScatola(const QSqlRecord& rilevatore, const QString& indirizzoLocale,
                                         QString& messaggio)
{
    const IndirizziRete campi{.nIPMaster = indirizzoLocale,
                              .nIPVRN = testo(rilevatore, "Indiriz_lanbrick").trimmed(),
                              .nMIPMaster = QLatin1Char('M') + indirizzoLocale};
    vista_.ScriviIndirizziRete(campi);
    kavex_.ChangeAdapter(campi.nIPMaster);
    if (const int32_t r = kavex_.SetIPAddress(campi.nIPVRN); r != 0) {
        messaggio = QStringLiteral("SetIPAdress [%1] Fallito = %2").arg(campi.nIPVRN, QString::number(r));
        return false;
    }
    if (const int32_t r = kavex_.LbxCommand(campi.nMIPMaster); r != 0) {
        messaggio = QStringLiteral("Master non Impostato[CMD] = %1").arg(r);
        return false;
    }
    if (const int32_t r = kavex_.LbxCommand(QStringLiteral("%")); r != 0) {
        messaggio = QStringLiteral("Master non Impostato[%] = %1").arg(r);
        return false;
    }
    return selezionaTerminale(intero(rilevatore, "Indirizzo"), messaggio);
}

bool GestoreConnessione::selezionaTerminale(int indirizzo, QString& messaggio)
{
    const int32_t r = kavex_.SetTerminal(indirizzo);
    if (r == 0)
        return true;
    messaggio = fallita(QStringLiteral("SetTerminal [%1]").arg(indirizzo), r);
    return false;
}

bool GestoreConnessione::DisconnettiTerminale(int codice)
{
    vista_.ScriviIndirizziRete({});
    QSqlRecord rilevatore;
    try {
        rilevatore = database_.LeggiRilevatore(codice);
    } catch (const DatabaseError&) {
        // The database went away while connected: the row as the register last read it still
        // says how to hang up or hand the box back, and the device is closed all the same.
        rilevatore = database_.RilevatoreLetto(codice);
    }
    bool esito = true;
    switch (CollegamentoDi(rilevatore)) {
    case Collegamento::Modem:
        if (kavex_.HangUp() != 0) {
            kavex_.HangUp();
            esito = false;
        }
        break;
    case Collegamento::ScatolaDiRete: esito = restituisciScatola(rilevatore); break;
    case Collegamento::Diretto: break;
    }
    kavex_.ExitCOMM();
    codiceCollegato_ = 0;
    ImpostaStato(vista_, false);
    return esito;
}

bool GestoreConnessione::restituisciScatola(const QSqlRecord& rilevatore)
{
    QString master = testo(rilevatore, "IPMaster").trimmed();
    if (master.isEmpty())
        master = QStringLiteral("0.0.0.0");
    const IndirizziRete campi{.nIPMaster = master,
                              .nIPVRN = testo(rilevatore, "Indiriz_lanbrick").trimmed(),
                              .nMIPMaster = QLatin1Char('M') + master};
    vista_.ScriviIndirizziRete(campi);
    if (kavex_.LbxCommand(campi.nMIPMaster) != 0)
        return false;
    return kavex_.LbxCommand(QStringLiteral("%")) == 0;
}

bool GestoreConnessione::InviaComando(const QString& comando, bool mostraErrori)
{
    // The rule of the terminal on the line: the one connected, else the selected terminal,
    // whichever row the register's windows stand on.
    const int codice = codiceCollegato_ != 0 ? codiceCollegato_ : stato_.CodiceTerminale;
    const int modalita = database_.CampoRilevatore(codice, QStringLiteral("Modalita_col")).toInt();
    const bool modem = database_.CampoRilevatore(codice, QStringLiteral("Modem")).toBool();
    const bool aCapo = modalita == kModalitaRs232 || modalita == kModalitaRs232Indiretta || modem;
    const bool inviato = kavex_.PostCommand(aCapo ? comando + QLatin1Char('\r') : comando) == 0;
    if (!inviato && mostraErrori) {
        dialoghi_.message(MessageKind::Information,
                          QStringLiteral("Errore durante l'invio del comando (\"%1\").").arg(comando),
                          MessageButtons::Ok);
    }
    return inviato;
}

QStringList GestoreConnessione::LeggiRisposte()
{
    QThread::yieldCurrentThread();
    QStringList righe;
    QString riga;
    while (righe.size() < kMassimoRighe && kavex_.GetMsgEx(riga) == 0)
        righe << riga;
    return righe;
}

}  // namespace zentar
