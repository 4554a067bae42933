#include "ZentarApplication.h"

#include <cstdio>

namespace zentar {

void RegistraErroreNonGestito(const char* dove, const std::exception* errore)
{
    std::fprintf(stderr, "zentar: %s: operation abandoned: %s\n", dove,
                 errore != nullptr ? errore->what() : "unknown error");
    std::fflush(stderr);
}

ZentarApplication::ZentarApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Zentar"));
    setApplicationDisplayName(QStringLiteral("Zentar"));
    // The main window ends the program; hiding it to show another window must not.
    setQuitOnLastWindowClosed(false);
}

bool ZentarApplication::notify(QObject* destinatario, QEvent* evento)
{
    try {
        return QApplication::notify(destinatario, evento);
    } catch (const std::exception& errore) {
        RegistraErroreNonGestito("event", &errore);
    } catch (...) {
        RegistraErroreNonGestito("event", nullptr);
    }
    return false;
}

}  // namespace zentar
