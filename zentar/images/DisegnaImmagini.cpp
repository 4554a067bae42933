// zentar-draw-images FOLDER: writes the pictures Zentar expects in its images folder.
#include <cstdio>

#include <QDir>
#include <QGuiApplication>

#include "Immagini.h"

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zentar-draw-images FOLDER\n");
        return 2;
    }
    const QDir cartella(QString::fromLocal8Bit(argv[1]));
    if (!cartella.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "zentar-draw-images: cannot create %s\n", argv[1]);
        return 1;
    }
    for (const zentar::FileImmagine& file : zentar::ImmaginiDelProgramma()) {
        const QString percorso = cartella.filePath(file.nome);
        if (!file.immagine.save(percorso, file.formato, file.qualita)) {
            std::fprintf(stderr, "zentar-draw-images: cannot write %s\n", qPrintable(percorso));
            return 1;
        }
    }
    return 0;
}
