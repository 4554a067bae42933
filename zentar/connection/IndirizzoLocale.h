#pragma once
// This computer's name and IPv4 address, used to make it the network box's master.

#include <functional>

#include <QString>

namespace zentar {

// Asks the host's name and resolves it; the first IPv4 address it resolves to, in dotted form
// (192.168.1.10), goes into `indirizzo`. False with an empty address when the name cannot be
// asked or does not resolve; `nomeHost` is set whenever the name was read. `errore` is left as
// it was: the Windows Sockets errors it reported (start-up, "in progress", "network down") do
// not arise with the POSIX resolver.
bool IndirizzoLocale(QString& nomeHost, QString& indirizzo, QString& errore);

// Where ConnettiTerminale takes the local address from: the address output, whatever the result.
using FonteIndirizzoLocale = std::function<QString()>;

// The address output of IndirizzoLocale.
QString IndirizzoDelSistema();

}  // namespace zentar
