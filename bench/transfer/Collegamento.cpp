#include "Collegamento.h"

#include <stdexcept>

#include "kavex.h"
#include "sim/network_box.h"
#include "sim/terminal.h"
#include "sim_session.h"

namespace zentar::bench {

namespace {

constexpr const char* kIndirizzoBox = "127.0.0.2";
constexpr int kTerminaleBox = 3;
constexpr int kFormato8N1 = 0;

sim::TerminalConfig terminaleCon(const std::string& nomeFile, const Record& record)
{
    sim::TerminalConfig config;
    config.files['A'][nomeFile] = record;
    return config;
}

void richiedi(bool riuscito, const std::string& passo)
{
    if (!riuscito) throw std::runtime_error(passo + ": " + UltimoErrore());
}

class CollegamentoSeriale final : public Collegamento {
public:
    CollegamentoSeriale(const LineaSeriale& linea, const std::string& nomeFile, const Record& record)
        : sessione_(kavex_test::makeDevice(linea.modo, linea.terminale, terminaleCon(nomeFile, record)))
    {
        richiedi(InitCOMM(kavex_test::kPort, linea.modo, linea.baud, kFormato8N1) > 0, "InitCOMM");
        richiedi(SetTerminal(linea.terminale) == 0, "SetTerminal");
    }
    ~CollegamentoSeriale() override { ExitCOMM(); }

private:
    kavex_test::SimSession sessione_;
};

sim::BoxConfig configurazioneBox(bool cifrato)
{
    sim::BoxConfig box;
    box.settings.address = kIndirizzoBox;
    box.settings.serialSide = sim::kMultiDropSide;
    box.port = 0;
    box.encipherData = cifrato;
    return box;
}

class CollegamentoBox final : public Collegamento {
public:
    CollegamentoBox(bool cifrato, const std::string& nomeFile, const Record& record)
        : box_(configurazioneBox(cifrato))
    {
        box_.attach(kTerminaleBox, std::make_shared<sim::Terminal>(terminaleCon(nomeFile, record)));
        box_.start();
        const uint16_t portaLocale = kavex_test::freeUdpPort();
        richiedi(InitCOMM(portaLocale, 6, 0, 0) == portaLocale, "InitCOMM");
        richiedi(ChangeAdapter("0.0.0.0") == 0, "ChangeAdapter");
        richiedi(SetRemoteUDPPort(box_.port()) == 0, "SetRemoteUDPPort");
        richiedi(SetIPAddress(kIndirizzoBox) == 0, "SetIPAddress");
        richiedi(SetTerminal(kTerminaleBox) == 0, "SetTerminal");
        richiedi(CryptMessages(cifrato ? 1 : 0) == 0, "CryptMessages");
    }
    ~CollegamentoBox() override
    {
        CryptMessages(0);
        ExitCOMM();
    }

private:
    sim::NetworkBox box_;
};

}  // namespace

Collegamento::~Collegamento() = default;

std::unique_ptr<Collegamento> ApriLineaSeriale(const LineaSeriale& linea, const std::string& nomeFile,
                                               const Record& record)
{
    return std::make_unique<CollegamentoSeriale>(linea, nomeFile, record);
}

std::unique_ptr<Collegamento> ApriBox(bool cifrato, const std::string& nomeFile, const Record& record)
{
    return std::make_unique<CollegamentoBox>(cifrato, nomeFile, record);
}

std::string UltimoErrore()
{
    return kavex_test::lastError();
}

}  // namespace zentar::bench
