// Preloaded into a program on SQLite (LD_PRELOAD), counts per table what its statements read:
// the rows they return and the steps of full table scans. At exit it writes one line per table,
// "table rows full_scan_steps", to the file named by ZENTAR_BENCH_RIGHE_LETTE.

#include <dlfcn.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include <sqlite3.h>

namespace {

struct Letture {
    long long righe = 0;
    long long scansione = 0;
};

std::mutex guardia;

std::map<std::string, Letture>& perTabella()
{
    static auto* tabelle = new std::map<std::string, Letture>;  // outlives every other destructor
    return *tabelle;
}

// The table after the first FROM of the statement, unquoted; empty when there is none.
std::string tabellaLetta(const char* sql)
{
    std::string testo = sql ? sql : "";
    for (char& c : testo)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t from = testo.find(" from ");
    if (from == std::string::npos)
        return {};
    std::size_t i = from + 6;
    while (i < testo.size() && (testo[i] == ' ' || testo[i] == '"'))
        ++i;
    std::size_t fine = i;
    while (fine < testo.size() && (std::isalnum(static_cast<unsigned char>(testo[fine])) || testo[fine] == '_'))
        ++fine;
    return testo.substr(i, fine - i);
}

template <typename F>
F reale(const char* nome)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, nome));
}

void contaScansione(sqlite3_stmt* stmt)
{
    const int passi = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_FULLSCAN_STEP, 1);
    if (passi == 0)
        return;
    const std::lock_guard<std::mutex> chiuso(guardia);
    perTabella()[tabellaLetta(sqlite3_sql(stmt))].scansione += passi;
}

struct Resoconto {
    ~Resoconto()
    {
        const char* percorso = std::getenv("ZENTAR_BENCH_RIGHE_LETTE");
        if (percorso == nullptr)
            return;
        FILE* file = std::fopen(percorso, "w");
        if (file == nullptr)
            return;
        const std::lock_guard<std::mutex> chiuso(guardia);
        for (const auto& [tabella, letture] : perTabella())
            std::fprintf(file, "%s %lld %lld\n", tabella.empty() ? "-" : tabella.c_str(), letture.righe, letture.scansione);
        std::fclose(file);
    }
} resoconto;

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int sqlite3_step(sqlite3_stmt* stmt)
{
    static const auto passo = reale<int (*)(sqlite3_stmt*)>("sqlite3_step");
    const int esito = passo(stmt);
    if (esito == SQLITE_ROW) {
        const std::lock_guard<std::mutex> chiuso(guardia);
        ++perTabella()[tabellaLetta(sqlite3_sql(stmt))].righe;
    }
    return esito;
}

__attribute__((visibility("default"))) int sqlite3_reset(sqlite3_stmt* stmt)
{
    static const auto azzera = reale<int (*)(sqlite3_stmt*)>("sqlite3_reset");
    if (stmt != nullptr)
        contaScansione(stmt);
    return azzera(stmt);
}

__attribute__((visibility("default"))) int sqlite3_finalize(sqlite3_stmt* stmt)
{
    static const auto chiudi = reale<int (*)(sqlite3_stmt*)>("sqlite3_finalize");
    if (stmt != nullptr)
        contaScansione(stmt);
    return chiudi(stmt);
}
}
