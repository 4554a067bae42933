#pragma once
// One punch line and the operations that cut badge, direction and time out of it, following
// the layout of the selected terminal (read afresh by every operation).

#include <optional>

#include <QString>

#include "Tracciato.h"

namespace zentar {

class TTimbratura {
public:
    TTimbratura(QString riga, FonteTracciato& tracciato);

    // The punch line, without its line end.
    const QString& Riga() const { return riga_; }

    // The hours, two digits below 25, or the empty text.
    QString GetOre();
    // The minutes, two digits below 60, or the empty text.
    QString GetMinuti();
    // The seconds, two digits below 60 ("00" for a 4-character time), or the empty text.
    QString GetSecondi();
    // The time hh.mm.ss after 00.00.00 and before 24.00.00, or the empty text.
    QString GetOra();
    // The direction digit. Throws ConversionError when the character is not a decimal digit or
    // its position is not set.
    int GetVerso();
    // The badge number, untrimmed, or the empty text.
    QString GetCartellino();

private:
    struct Campo {
        int pos;
        int len;
    };

    // The parameter as a number; nothing when it stays unset. Throws ConversionError for a
    // text that is not a decimal integer.
    std::optional<int> parametro(CampoTracciato campo);
    // A position and a length, read in this order; nothing when either stays unset.
    std::optional<Campo> campo(CampoTracciato posizione, CampoTracciato lunghezza);
    // The time piece at `pos` + `offset` when it is two digits below `limit`, else empty.
    QString pezzoOra(int pos, int offset, const QString& limit) const;

    QString riga_;
    FonteTracciato& tracciato_;
};

}  // namespace zentar
