#pragma once
// A drop-down list for a text column: its property `testo` is the text of the chosen item. A
// stored text that no item holds (the empty text too) shows no item, and reads back as the
// empty text, so that the window never shows the text of another row in its place.

#include <QComboBox>
#include <QStringList>

namespace zentar {

class SceltaTesto final : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString testo READ testo WRITE impostaTesto USER true)

public:
    SceltaTesto(const char* nome, const QStringList& voci, QWidget* genitore) : QComboBox(genitore)
    {
        setObjectName(QString::fromLatin1(nome));
        addItems(voci);
        setCurrentIndex(-1);
    }

    QString testo() const { return currentIndex() >= 0 ? currentText() : QString(); }
    void impostaTesto(const QString& testo) { setCurrentIndex(findText(testo, Qt::MatchExactly | Qt::MatchCaseSensitive)); }
};

}  // namespace zentar
