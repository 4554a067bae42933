#pragma once
// The application object with the application-wide error hook: an error that no operation
// handled ends that operation, shows no message and is written to the log (standard error).
//
// Window handlers run their work through Gestito so that an error never unwinds through Qt's
// own frames; notify is the last net for anything that still escapes an event handler.

#include <exception>
#include <utility>

#include <QApplication>

namespace zentar {

// Writes an error that no operation handled to the log, naming where it was caught.
void RegistraErroreNonGestito(const char* dove, const std::exception* errore);

// Runs `operazione`; an error it raises is logged and dropped.
template <typename Operazione>
void Gestito(const char* nome, Operazione&& operazione)
{
    try {
        std::forward<Operazione>(operazione)();
    } catch (const std::exception& errore) {
        RegistraErroreNonGestito(nome, &errore);
    } catch (...) {
        RegistraErroreNonGestito(nome, nullptr);
    }
}

class ZentarApplication : public QApplication {
public:
    ZentarApplication(int& argc, char** argv);

    bool notify(QObject* destinatario, QEvent* evento) override;
};

}  // namespace zentar
