#pragma once
// This computer's name and the IPv4 address it uses towards a network box, used to make it the
// box's master: the address the box sees the computer's datagrams come from, so that the box
// answers where the computer listens.

#include <functional>
#include <optional>

#include <QString>

namespace zentar {

// What the lookup asks of the system; tests put a double in its place.
class ReteDelSistema {
public:
    virtual ~ReteDelSistema() = default;
    // The computer's host name; nothing when it cannot be asked.
    virtual std::optional<QString> NomeHost() = 0;
    // The first IPv4 address `nome` resolves to, dotted; empty when it resolves to none.
    virtual QString PrimoIndirizzo(const QString& nome) = 0;
    // The source address the system chooses for datagrams to the IPv4 address `destinazione`,
    // dotted; empty when there is no route. Nothing is sent.
    virtual QString SorgenteVerso(const QString& destinazione) = 0;
};

// The POSIX resolver and sockets.
ReteDelSistema& ReteReale();

// `nomeHost` is the host's name. `indirizzo` is the address this computer uses towards the box
// at `destinazione` (a UDP socket connected to it and asked for its own address; connecting
// sends nothing); when `destinazione` is not a dotted IPv4 address or has no route, the first
// IPv4 address the host name resolves to. False with an empty address when neither gives one.
// `errore` is left as it was: the Windows Sockets errors it reported (start-up, "in progress",
// "network down") do not arise with POSIX sockets.
bool IndirizzoLocale(const QString& destinazione, QString& nomeHost, QString& indirizzo, QString& errore,
                     ReteDelSistema& rete = ReteReale());

// Where ConnettiTerminale takes the local address from, given the box's address: the address
// output, whatever the result.
using FonteIndirizzoLocale = std::function<QString(const QString& destinazione)>;

// The address output of IndirizzoLocale on this computer.
QString IndirizzoDelSistema(const QString& destinazione);

}  // namespace zentar
