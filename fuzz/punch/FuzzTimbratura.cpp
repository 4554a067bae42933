// Cutting punch lines on arbitrary lines and layout parameters: every field either comes out
// within the line and in its form, or empty (the direction throws ConversionError).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QString>
#include <QStringList>

#include "Errors.h"
#include "Timbratura.h"

namespace {

// A layout read from the fuzz input: five parameter texts, each up to its separator '|'; the
// rest of the input is the punch line.
class TracciatoDalleProve final : public zentar::FonteTracciato {
public:
    explicit TracciatoDalleProve(QStringList parametri) : parametri_(std::move(parametri)) {}

    std::optional<QString> ParametroTracciato(zentar::CampoTracciato campo, int predefinito) override
    {
        const qsizetype i = static_cast<qsizetype>(campo);
        if (i >= parametri_.size())
            return std::nullopt;
        return parametri_[i].isEmpty() ? QString::number(predefinito) : parametri_[i];
    }

private:
    QStringList parametri_;
};

bool dueCifreSotto(const QString& testo, int limite)
{
    bool ok = false;
    return testo.size() == 2 && testo[0].isDigit() && testo[1].isDigit() && testo.toInt(&ok) < limite && ok;
}

void controlla(bool condizione)
{
    if (!condizione)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString ingresso = QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringList pezzi = ingresso.split(QLatin1Char('|'));
    const QString riga = pezzi.size() > 5 ? pezzi.mid(5).join(QLatin1Char('|')) : pezzi.takeLast();
    TracciatoDalleProve tracciato(pezzi.mid(0, 5));
    zentar::TTimbratura timbratura(riga, tracciato);
    try {
        const QString ore = timbratura.GetOre();
        controlla(ore.isEmpty() || dueCifreSotto(ore, 25));
        const QString minuti = timbratura.GetMinuti();
        controlla(minuti.isEmpty() || dueCifreSotto(minuti, 60));
        const QString secondi = timbratura.GetSecondi();
        controlla(secondi.isEmpty() || dueCifreSotto(secondi, 60));
        const QString ora = timbratura.GetOra();
        controlla(ora.isEmpty() || (ora.size() == 8 && ora < QStringLiteral("24.00.00")));
        const QString cartellino = timbratura.GetCartellino();
        controlla(cartellino.size() <= riga.size());
        const int verso = timbratura.GetVerso();
        controlla(verso >= 0 && verso <= 9);
    } catch (const zentar::ZentarError&) {
        // A layout parameter that is not a number, or a direction that is not a digit.
    }
    return 0;
}
