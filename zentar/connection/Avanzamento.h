#pragma once
// Kavex's progress events, passed to a VistaAvanzamento for as long as this object lives.
// Kavex holds one callback: only one of these may live at a time.

#include "Viste.h"

namespace zentar {

class CollegamentoAvanzamento {
public:
    explicit CollegamentoAvanzamento(VistaAvanzamento& vista);
    ~CollegamentoAvanzamento();

    CollegamentoAvanzamento(const CollegamentoAvanzamento&) = delete;
    CollegamentoAvanzamento& operator=(const CollegamentoAvanzamento&) = delete;

private:
    VistaAvanzamento& vista_;
};

}  // namespace zentar
