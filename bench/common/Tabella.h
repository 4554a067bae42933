#pragma once
// The one table scripts/bench prints. Every benchmark writes its rows to standard output, one
// line each, fields separated by tabs:
//   benchmark  case  figure  target  verdict
// verdict is "met", "MISSED", or "protocol: <why>" for a target the protocol itself rules out.
// Anything else a benchmark wants to say goes to standard error.

#include <string>

namespace zentar::bench {

enum class Verdetto { Raggiunto, Mancato };

// One row; the verdict follows from whether the target was met.
void Riga(const std::string& benchmark, const std::string& caso, const std::string& cifra,
          const std::string& obiettivo, Verdetto verdetto);
// One row whose target cannot be met for a reason of the protocol.
void RigaProtocollo(const std::string& benchmark, const std::string& caso, const std::string& cifra,
                    const std::string& obiettivo, const std::string& perche);

inline Verdetto Esito(bool raggiunto) { return raggiunto ? Verdetto::Raggiunto : Verdetto::Mancato; }

// A number with the given digits after the point.
std::string Cifra(double valore, int decimali = 2);

// Seconds on the monotonic clock, for timing.
double Secondi();

}  // namespace zentar::bench
