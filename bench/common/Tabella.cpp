#include "Tabella.h"

#include <chrono>
#include <cstdio>

namespace zentar::bench {

namespace {

void scrivi(const std::string& benchmark, const std::string& caso, const std::string& cifra,
            const std::string& obiettivo, const std::string& verdetto)
{
    std::printf("%s\t%s\t%s\t%s\t%s\n", benchmark.c_str(), caso.c_str(), cifra.c_str(), obiettivo.c_str(),
                verdetto.c_str());
    std::fflush(stdout);
}

}  // namespace

void Riga(const std::string& benchmark, const std::string& caso, const std::string& cifra,
          const std::string& obiettivo, Verdetto verdetto)
{
    scrivi(benchmark, caso, cifra, obiettivo, verdetto == Verdetto::Raggiunto ? "met" : "MISSED");
}

void RigaProtocollo(const std::string& benchmark, const std::string& caso, const std::string& cifra,
                    const std::string& obiettivo, const std::string& perche)
{
    scrivi(benchmark, caso, cifra, obiettivo, "protocol: " + perche);
}

std::string Cifra(double valore, int decimali)
{
    char testo[64];
    std::snprintf(testo, sizeof testo, "%.*f", decimali, valore);
    return testo;
}

double Secondi()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}


}  // namespace zentar::bench
