// Zentar: the data module first, then the windows in their order; only the main window is
// shown. A database that cannot be opened stops the program before any window.

#include <cstdio>

#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>

#include "Finestre.h"
#include "TfrmMain.h"
#include "ZentarApplication.h"

int main(int argc, char** argv)
{
    zentar::ZentarApplication app(argc, argv);

    QString errore;
    std::unique_ptr<zentar::Finestre> finestre = zentar::Finestre::Avvia({}, &errore);
    if (!finestre) {
        std::fprintf(stderr, "zentar: the database cannot be opened: %s\n", qPrintable(errore));
        // Without a screen nobody could close the box.
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            QMessageBox::critical(nullptr, QStringLiteral("Zentar"), errore);
        return 1;
    }
    QApplication::setWindowIcon(QIcon(finestre->frmMain().Icona()));
    finestre->frmMain().show();
    return app.exec();
}
