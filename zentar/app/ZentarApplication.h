#pragma once
// The application object with the application-wide error hook: an error that no operation
// handled ends that operation, shows no message and is written to the log (standard error).
//
// Window handlers run their work through Gestito so that an error never unwinds through Qt's
// own frames; notify is the last net for anything that still escapes an event handler. The
// window that carries the hook may install a handler that sees every such error after it is
// logged (the export window shows a message for one kind of them).

#include <exception>
#include <functional>
#include <stdexcept>
#include <utility>

#include <QApplication>
#include <QString>

namespace zentar {

// A masked entry left with a required position empty; the field keeps the focus.
class ErroreMaschera : public std::runtime_error {
public:
    explicit ErroreMaschera(const QString& campo)
        : std::runtime_error("masked entry " + campo.toStdString() + " left incomplete"), campo_(campo)
    {
    }
    // The object name of the field.
    const QString& Campo() const { return campo_; }

private:
    QString campo_;
};

// Installs the hook's handler of unhandled errors, replacing the one before; an empty one
// leaves the errors to the log alone.
void ImpostaGestoreErrori(std::function<void(const std::exception&)> gestore);

// Writes an error that no operation handled to the log, naming where it was caught, then hands
// it to the installed handler.
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
