#include "IndirizzoLocale.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zentar {

namespace {

constexpr size_t kNomeHost = 101;
// Any port will do: connecting a datagram socket only chooses the route.
constexpr uint16_t kPortaQualsiasi = 9;

QString puntato(in_addr ip)
{
    char testo[INET_ADDRSTRLEN] = {};
    return ::inet_ntop(AF_INET, &ip, testo, sizeof testo) != nullptr ? QString::fromLatin1(testo) : QString();
}

class RetePosix final : public ReteDelSistema {
public:
    std::optional<QString> NomeHost() override
    {
        char nome[kNomeHost] = {};
        if (::gethostname(nome, sizeof nome - 1) != 0)
            return std::nullopt;
        return QString::fromLocal8Bit(nome);
    }

    QString PrimoIndirizzo(const QString& nome) override
    {
        addrinfo suggerimenti{};
        suggerimenti.ai_family = AF_INET;
        suggerimenti.ai_socktype = SOCK_DGRAM;
        addrinfo* trovati = nullptr;
        if (::getaddrinfo(nome.toLocal8Bit().constData(), nullptr, &suggerimenti, &trovati) != 0)
            return {};
        QString indirizzo;
        for (const addrinfo* a = trovati; a != nullptr && indirizzo.isEmpty(); a = a->ai_next) {
            if (a->ai_family == AF_INET && a->ai_addr != nullptr)
                indirizzo = puntato(reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr);
        }
        ::freeaddrinfo(trovati);
        return indirizzo;
    }

    QString SorgenteVerso(const QString& destinazione) override
    {
        sockaddr_in verso{};
        verso.sin_family = AF_INET;
        verso.sin_port = htons(kPortaQualsiasi);
        if (::inet_pton(AF_INET, destinazione.toLatin1().constData(), &verso.sin_addr) != 1)
            return {};
        const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (s < 0)
            return {};
        QString sorgente;
        sockaddr_in proprio{};
        socklen_t lunghezza = sizeof proprio;
        if (::connect(s, reinterpret_cast<const sockaddr*>(&verso), sizeof verso) == 0 &&
            ::getsockname(s, reinterpret_cast<sockaddr*>(&proprio), &lunghezza) == 0 && proprio.sin_family == AF_INET &&
            proprio.sin_addr.s_addr != htonl(INADDR_ANY))
            sorgente = puntato(proprio.sin_addr);
        ::close(s);
        return sorgente;
    }
};

}  // namespace

ReteDelSistema& ReteReale()
{
    static RetePosix rete;
    return rete;
}

bool IndirizzoLocale(const QString& destinazione, QString& nomeHost, QString& indirizzo, QString& /*errore*/,
                     ReteDelSistema& rete)
{
    indirizzo.clear();
    const std::optional<QString> nome = rete.NomeHost();
    if (!nome)
        return false;
    nomeHost = *nome;
    indirizzo = rete.SorgenteVerso(destinazione.trimmed());
    if (indirizzo.isEmpty())
        indirizzo = rete.PrimoIndirizzo(*nome);
    return !indirizzo.isEmpty();
}

QString IndirizzoDelSistema(const QString& destinazione)
{
    QString nome, indirizzo, errore;
    IndirizzoLocale(destinazione, nome, indirizzo, errore);
    return indirizzo;
}

}  // namespace zentar
