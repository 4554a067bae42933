#include "LibreriaKavex.h"

#include <vector>

#include <QByteArray>
#include <QFile>

#include "kavex.h"

namespace zentar {

namespace {

// The size of the buffer GetMsgEx is handed; a reply line is far shorter, the rest is room.
constexpr size_t kBufferRisposta = 32000;

QByteArray testoTerminale(const QString& testo) { return testo.toLatin1(); }

QString daTerminale(const char* testo) { return QString::fromLatin1(testo); }

}  // namespace

int32_t LibreriaKavex::InitCOMM(int32_t porta, int32_t modalita, int32_t baud, int32_t parita)
{
    return ::InitCOMM(porta, modalita, baud, parita);
}

int32_t LibreriaKavex::ExitCOMM() { return ::ExitCOMM(); }

int32_t LibreriaKavex::DialNumber(const QString& init, const QString& numero, int32_t attesa)
{
    return ::DialNumber(testoTerminale(init).constData(), testoTerminale(numero).constData(), attesa);
}

int32_t LibreriaKavex::HangUp() { return ::HangUp(); }

int32_t LibreriaKavex::ChangeAdapter(const QString& indirizzo)
{
    return ::ChangeAdapter(testoTerminale(indirizzo).constData());
}

int32_t LibreriaKavex::SetIPAddress(const QString& indirizzo)
{
    return ::SetIPAddress(testoTerminale(indirizzo).constData());
}

int32_t LibreriaKavex::LbxCommand(const QString& comando)
{
    char risposta[KAVEX_LBX_ANSWER_SIZE] = {};
    return ::LbxCommand(testoTerminale(comando).constData(), risposta);
}

int32_t LibreriaKavex::SetTerminal(int32_t terminale) { return ::SetTerminal(terminale); }

int32_t LibreriaKavex::PostCommand(const QString& comando)
{
    return ::PostCommand(testoTerminale(comando).constData());
}

int32_t LibreriaKavex::GetMsgEx(QString& riga)
{
    std::vector<char> buffer(kBufferRisposta, '\0');
    const int32_t risultato = ::GetMsgEx(buffer.data());
    buffer.back() = '\0';
    riga = risultato == 0 ? daTerminale(buffer.data()) : QString();
    return risultato;
}

int32_t LibreriaKavex::RecvFile(const QString& nome, const QString& percorso)
{
    return ::RecvFile(testoTerminale(nome).constData(), QFile::encodeName(percorso).constData());
}

int32_t LibreriaKavex::DeleFile(const QString& nome) { return ::DeleFile(testoTerminale(nome).constData()); }

int32_t LibreriaKavex::EnableMeter(int32_t acceso) { return ::EnableMeter(acceso); }

namespace {

// A text the library writes into a KAVEX_REPLY_SIZE buffer; empty unless the result is 0.
template <typename Lettura>
int32_t leggiTesto(QString& testo, Lettura&& lettura)
{
    char buffer[KAVEX_REPLY_SIZE + 1] = {};
    const int32_t risultato = lettura(buffer);
    buffer[KAVEX_REPLY_SIZE] = '\0';
    testo = risultato == 0 ? daTerminale(buffer) : QString();
    return risultato;
}

}  // namespace

int32_t LibreriaKavex::GetDate(QString& data)
{
    return leggiTesto(data, [](char* b) { return ::GetDate(b); });
}

int32_t LibreriaKavex::GetTime(QString& ora)
{
    return leggiTesto(ora, [](char* b) { return ::GetTime(b); });
}

int32_t LibreriaKavex::SetDate(const QString& data) { return ::SetDate(testoTerminale(data).constData()); }

int32_t LibreriaKavex::SetTime(const QString& ora) { return ::SetTime(testoTerminale(ora).constData()); }

int32_t LibreriaKavex::ChgDrv(const QString& unita) { return ::ChgDrv(testoTerminale(unita).constData()); }

int32_t LibreriaKavex::ListFiles(const QString& maschera, QByteArray& elenco)
{
    elenco = QByteArray(static_cast<qsizetype>(kBufferRisposta), '\0');
    return ::ListFiles(testoTerminale(maschera).constData(), elenco.data());
}

int32_t LibreriaKavex::SendFile(const QString& percorso, const QString& nome, int32_t opzione, int32_t numero)
{
    return ::SendFile(QFile::encodeName(percorso).constData(), testoTerminale(nome).constData(), opzione, numero);
}

int32_t LibreriaKavex::GetParameter(int32_t numero, QString& valore)
{
    return leggiTesto(valore, [numero](char* b) { return ::GetParameter(numero, b); });
}

int32_t LibreriaKavex::SetParameter(int32_t numero, const QString& valore)
{
    return ::SetParameter(numero, testoTerminale(valore).constData());
}

int32_t LibreriaKavex::GetError(QString& testo)
{
    char buffer[KAVEX_ERROR_SIZE] = {};
    const int32_t codice = ::GetError(buffer);
    buffer[KAVEX_ERROR_SIZE - 1] = '\0';
    testo = daTerminale(buffer);
    return codice;
}

}  // namespace zentar
