#pragma once
// A transport from Kavex to a simulated terminal that holds one punch file: the simulator runs
// (on a pseudo-terminal, or on loopback UDP), Kavex has opened the device and selected the
// terminal. Destruction closes the device and stops the simulator.

#include <memory>
#include <string>
#include <vector>

namespace zentar::bench {

using Record = std::vector<std::string>;

class Collegamento {
public:
    virtual ~Collegamento();
};

// A serial line on a pseudo-terminal in connection `modo` (1 Selvo bus, 2 line driver, 3 direct)
// at `baud`, with terminal `terminale` holding `record` as the file `nomeFile`.
struct LineaSeriale {
    int modo;
    int baud;
    int terminale;
};
std::unique_ptr<Collegamento> ApriLineaSeriale(const LineaSeriale& linea, const std::string& nomeFile,
                                               const Record& record);

// The network box on 127.0.0.2 with its multi-drop side, terminal 3 holding the file; terminal
// data enciphered both ways when `cifrato`.
std::unique_ptr<Collegamento> ApriBox(bool cifrato, const std::string& nomeFile, const Record& record);

// What Kavex reports for the last failure: the code and its text.
std::string UltimoErrore();

}  // namespace zentar::bench
