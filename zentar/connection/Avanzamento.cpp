#include "Avanzamento.h"

#include <exception>

#include <QString>
#include <QtGlobal>

#include "kavex.h"

namespace zentar {

namespace {

void evento(const KavexMeterEvent* e, void* contesto)
{
    if (e == nullptr || contesto == nullptr)
        return;
    VistaAvanzamento& vista = *static_cast<VistaAvanzamento*>(contesto);
    const QString testo = QString::fromLatin1(e->text != nullptr ? e->text : "");
    // Nothing may unwind through the library: what the display throws is logged and dropped.
    try {
        switch (e->kind) {
        case KAVEX_METER_OPEN: vista.Apri(testo, e->total); break;
        case KAVEX_METER_PROGRESS: vista.Avanza(e->records, e->running, e->total); break;
        case KAVEX_METER_STATUS: vista.Stato(testo); break;
        case KAVEX_METER_TOTAL: vista.CambiaTotale(e->total); break;
        case KAVEX_METER_CLOSE: vista.Chiudi(); break;
        case KAVEX_METER_PUMP: vista.ElaboraEventi(); break;
        default: break;
        }
    } catch (const std::exception& errore) {
        qWarning("progress display: %s", errore.what());
    } catch (...) {
        qWarning("progress display: unknown error");
    }
}

}  // namespace

CollegamentoAvanzamento::CollegamentoAvanzamento(VistaAvanzamento& vista) : vista_(vista)
{
    SetMeterCallback(&evento, &vista_);
}

CollegamentoAvanzamento::~CollegamentoAvanzamento() { SetMeterCallback(nullptr, nullptr); }

}  // namespace zentar
