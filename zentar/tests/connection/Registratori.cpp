#include "Registratori.h"

#include "Connessione.h"

using namespace zentar;

QStringList KavexRegistrata::chiamateDi(const QString& prefisso) const
{
    QStringList trovate;
    for (const QString& chiamata : chiamate) {
        if (chiamata.startsWith(prefisso))
            trovate << chiamata;
    }
    return trovate;
}

int32_t KavexRegistrata::nota(const QString& chiamata, const std::function<int32_t()>& esegui)
{
    chiamate << chiamata;
    if (primaDi)
        primaDi(chiamata);
    const int32_t risultato = esegui();
    if (dopo)
        dopo(chiamata, risultato);
    return risultato;
}

int32_t KavexRegistrata::InitCOMM(int32_t porta, int32_t modalita, int32_t baud, int32_t parita)
{
    return nota(QStringLiteral("InitCOMM %1 %2 %3 %4").arg(porta).arg(modalita).arg(baud).arg(parita),
                [&] { return LibreriaKavex::InitCOMM(porta, modalita, baud, parita); });
}

int32_t KavexRegistrata::ExitCOMM()
{
    return nota(QStringLiteral("ExitCOMM"), [&] { return LibreriaKavex::ExitCOMM(); });
}

int32_t KavexRegistrata::DialNumber(const QString& init, const QString& numero, int32_t attesa)
{
    return nota(QStringLiteral("DialNumber %1 %2 %3").arg(init, numero).arg(attesa),
                [&] { return LibreriaKavex::DialNumber(init, numero, attesa); });
}

int32_t KavexRegistrata::HangUp()
{
    return nota(QStringLiteral("HangUp"), [&] { return LibreriaKavex::HangUp(); });
}

int32_t KavexRegistrata::ChangeAdapter(const QString& indirizzo)
{
    return nota("ChangeAdapter " + indirizzo, [&] { return LibreriaKavex::ChangeAdapter(indirizzo); });
}

int32_t KavexRegistrata::SetIPAddress(const QString& indirizzo)
{
    return nota("SetIPAddress " + indirizzo, [&] { return LibreriaKavex::SetIPAddress(indirizzo); });
}

int32_t KavexRegistrata::LbxCommand(const QString& comando)
{
    return nota("LbxCommand " + comando, [&] { return LibreriaKavex::LbxCommand(comando); });
}

int32_t KavexRegistrata::SetTerminal(int32_t terminale)
{
    return nota(QStringLiteral("SetTerminal %1").arg(terminale), [&] { return LibreriaKavex::SetTerminal(terminale); });
}

int32_t KavexRegistrata::PostCommand(const QString& comando)
{
    return nota("PostCommand " + comando, [&] { return LibreriaKavex::PostCommand(comando); });
}

int32_t KavexRegistrata::RecvFile(const QString& nome, const QString& percorso)
{
    return nota("RecvFile " + nome, [&] { return LibreriaKavex::RecvFile(nome, percorso); });
}

int32_t KavexRegistrata::DeleFile(const QString& nome)
{
    return nota("DeleFile " + nome, [&] { return LibreriaKavex::DeleFile(nome); });
}

int32_t KavexRegistrata::GetParameter(int32_t numero, QString& valore)
{
    return nota(QStringLiteral("GetParameter %1").arg(numero), [&] { return LibreriaKavex::GetParameter(numero, valore); });
}

int32_t KavexRegistrata::SetParameter(int32_t numero, const QString& valore)
{
    return nota(QStringLiteral("SetParameter %1 %2").arg(numero).arg(valore),
                [&] { return LibreriaKavex::SetParameter(numero, valore); });
}

int32_t KavexRegistrata::GetDate(QString& data)
{
    return nota(QStringLiteral("GetDate"), [&] { return LibreriaKavex::GetDate(data); });
}

int32_t KavexRegistrata::GetTime(QString& ora)
{
    return nota(QStringLiteral("GetTime"), [&] { return LibreriaKavex::GetTime(ora); });
}

int32_t KavexRegistrata::SetDate(const QString& data)
{
    return nota("SetDate " + data, [&] { return LibreriaKavex::SetDate(data); });
}

int32_t KavexRegistrata::SetTime(const QString& ora)
{
    return nota("SetTime " + ora, [&] { return LibreriaKavex::SetTime(ora); });
}

int32_t KavexRegistrata::ChgDrv(const QString& unita)
{
    return nota("ChgDrv " + unita, [&] { return LibreriaKavex::ChgDrv(unita); });
}

int32_t KavexRegistrata::ListFiles(const QString& maschera, QByteArray& elenco)
{
    return nota("ListFiles " + maschera, [&] { return LibreriaKavex::ListFiles(maschera, elenco); });
}

int32_t KavexRegistrata::SendFile(const QString& percorso, const QString& nome, int32_t opzione, int32_t numero)
{
    return nota(QStringLiteral("SendFile %1 %2 %3 %4").arg(percorso, nome).arg(opzione).arg(numero),
                [&] { return LibreriaKavex::SendFile(percorso, nome, opzione, numero); });
}

void VisteRegistrate::ScriviConsoleMainErr(const QString& testo)
{
    consoleMainErr = testo;
    eventi << "ConsoleMainErr: " + testo;
}

void VisteRegistrate::ScriviIndirizziRete(const IndirizziRete& campi)
{
    indirizzi = campi;
    eventi << QStringLiteral("Indirizzi: %1|%2|%3").arg(campi.nIPMaster, campi.nIPVRN, campi.nMIPMaster);
}

void VisteRegistrate::ImmagineConnessione(bool acceso)
{
    eventi << "Immagine: " + FileImmagineConnessione(acceso);
}

void VisteRegistrate::AbilitaControlli(bool connesso)
{
    eventi << QStringLiteral("Controlli: %1").arg(connesso ? "connesso" : "non connesso");
}

void VisteRegistrate::FillCheckList(const QStringList& giorni)
{
    elenchi.push_back(giorni);
    eventi << "FillCheckList: " + giorni.join(' ');
}

void VisteRegistrate::DisabilitaScaricaElimina() { eventi << QStringLiteral("DisabilitaScaricaElimina"); }

void VisteRegistrate::ApriCartella() { eventi << QStringLiteral("ApriCartella"); }

void AvanzamentoRegistrato::Apri(const QString& titolo, int totale)
{
    eventi << QStringLiteral("Apri %1 (%2)").arg(titolo).arg(totale);
}

void AvanzamentoRegistrato::Avanza(int, int, int) { ++avanzamenti; }

void AvanzamentoRegistrato::Stato(const QString& testo) { eventi << "Stato " + testo; }

void AvanzamentoRegistrato::CambiaTotale(int totale) { eventi << QStringLiteral("Totale %1").arg(totale); }

void AvanzamentoRegistrato::Chiudi() { eventi << QStringLiteral("Chiudi"); }

void AvanzamentoRegistrato::ElaboraEventi() { ++pompate; }
