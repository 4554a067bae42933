#include "IndirizzoLocale.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QStringList>

namespace zentar {

namespace {

constexpr size_t kNomeHost = 101;

// The first IPv4 address the name resolves to, each byte as a decimal number joined by ".".
QString primoIndirizzo(const char* nome)
{
    addrinfo suggerimenti{};
    suggerimenti.ai_family = AF_INET;
    suggerimenti.ai_socktype = SOCK_DGRAM;
    addrinfo* trovati = nullptr;
    if (::getaddrinfo(nome, nullptr, &suggerimenti, &trovati) != 0)
        return {};
    QString indirizzo;
    for (const addrinfo* a = trovati; a != nullptr; a = a->ai_next) {
        if (a->ai_family != AF_INET || a->ai_addr == nullptr)
            continue;
        const in_addr ip = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr;
        const auto* byte = reinterpret_cast<const unsigned char*>(&ip.s_addr);
        QStringList parti;
        for (int i = 0; i < 4; ++i)
            parti << QString::number(byte[i]);
        indirizzo = parti.join('.');
        break;
    }
    ::freeaddrinfo(trovati);
    return indirizzo;
}

}  // namespace

bool IndirizzoLocale(QString& nomeHost, QString& indirizzo, QString& /*errore*/)
{
    indirizzo.clear();
    char nome[kNomeHost] = {};
    if (::gethostname(nome, sizeof nome - 1) != 0)
        return false;
    nomeHost = QString::fromLocal8Bit(nome);
    indirizzo = primoIndirizzo(nome);
    return !indirizzo.isEmpty();
}

QString IndirizzoDelSistema()
{
    QString nome, indirizzo, errore;
    IndirizzoLocale(nome, indirizzo, errore);
    return indirizzo;
}

}  // namespace zentar
