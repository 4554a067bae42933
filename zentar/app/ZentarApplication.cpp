#include "ZentarApplication.h"

#include <cstdio>

namespace zentar {

namespace {

std::function<void(const std::exception&)>& gestoreErrori()
{
    static std::function<void(const std::exception&)> gestore;
    return gestore;
}

void scrivi(const char* dove, const std::exception* errore)
{
    std::fprintf(stderr, "zentar: %s: operation abandoned: %s\n", dove,
                 errore != nullptr ? errore->what() : "unknown error");
    std::fflush(stderr);
}

}  // namespace

void ImpostaGestoreErrori(std::function<void(const std::exception&)> gestore)
{
    gestoreErrori() = std::move(gestore);
}

void RegistraErroreNonGestito(const char* dove, const std::exception* errore)
{
    scrivi(dove, errore);
    if (errore == nullptr || !gestoreErrori())
        return;
    // A copy, so that a handler that replaces itself is not destroyed while it runs; an error
    // of the handler itself is only logged.
    const auto gestore = gestoreErrori();
    try {
        gestore(*errore);
    } catch (const std::exception& altro) {
        scrivi("error hook", &altro);
    } catch (...) {
        scrivi("error hook", nullptr);
    }
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
