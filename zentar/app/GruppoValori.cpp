#include "GruppoValori.h"

#include <QGridLayout>
#include <QRadioButton>

namespace zentar {

GruppoValori::GruppoValori(const char* nome, const QString& titolo, const QList<Voce>& voci, int colonne,
                           QWidget* genitore)
    : QGroupBox(titolo, genitore), voci_(voci)
{
    setObjectName(QString::fromLatin1(nome));
    auto* griglia = new QGridLayout(this);
    const int righe = (static_cast<int>(voci.size()) + colonne - 1) / colonne;
    for (int i = 0; i < voci.size(); ++i) {
        auto* voce = new QRadioButton(voci.at(i).testo, this);
        voce->setObjectName(objectName() + QString::number(i));
        gruppo_.addButton(voce, i);
        griglia->addWidget(voce, i % righe, i / righe);
    }
    connect(&gruppo_, &QButtonGroup::idClicked, this, &GruppoValori::valoreCambiato);
}

QVariant GruppoValori::valore() const
{
    const int scelto = gruppo_.checkedId();
    return scelto >= 0 ? voci_.at(scelto).valore : QVariant();
}

void GruppoValori::impostaValore(const QVariant& valore)
{
    // Exclusive groups cannot uncheck their item directly.
    gruppo_.setExclusive(false);
    for (QAbstractButton* b : gruppo_.buttons())
        b->setChecked(false);
    gruppo_.setExclusive(true);
    for (int i = 0; i < voci_.size(); ++i) {
        if (!valore.isNull() && voci_.at(i).valore.toString() == valore.toString()) {
            gruppo_.button(i)->setChecked(true);
            break;
        }
    }
    emit valoreCambiato();
}

}  // namespace zentar
