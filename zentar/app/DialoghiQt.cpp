#include "DialoghiQt.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace zentar {

namespace {

QMessageBox::Icon icona(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Information: return QMessageBox::Information;
    case MessageKind::Warning: return QMessageBox::Warning;
    case MessageKind::Error: return QMessageBox::Critical;
    case MessageKind::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons pulsanti(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return QMessageBox::Ok;
    case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Answer risposta(int pulsante)
{
    switch (pulsante) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

QString filtroScelto(const QStringList& filtri, int indice)
{
    return indice >= 0 && indice < filtri.size() ? filtri.at(indice) : QString();
}

}  // namespace

QStringList FiltriQt(const QString& filtro)
{
    const QStringList parti = filtro.split(QLatin1Char('|'));
    QStringList filtri;
    for (qsizetype i = 0; i + 1 < parti.size(); i += 2)
        filtri << QStringLiteral("%1 (%2)").arg(parti.at(i), QString(parti.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' ')));
    return filtri;
}

QString TestoDelMessaggio(const QString& testo)
{
    QString mostrato = testo;
    mostrato.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    mostrato.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return mostrato;
}

Answer DialoghiQt::message(MessageKind kind, const QString& text, MessageButtons buttons)
{
    QMessageBox box(icona(kind), QApplication::applicationDisplayName(), TestoDelMessaggio(text), pulsanti(buttons),
                    QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    return risposta(box.exec());
}

std::optional<QString> DialoghiQt::chooseFolder(const QString& title, const QString& startFolder)
{
    const QString cartella = QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, startFolder);
    if (cartella.isEmpty())
        return std::nullopt;
    return cartella;
}

std::optional<QString> DialoghiQt::chooseFileToOpen(const QString& filter, int selectedFilter)
{
    const QStringList filtri = FiltriQt(filter);
    QString scelto = filtroScelto(filtri, selectedFilter);
    const QString file = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), QString(),
                                                      filtri.join(QStringLiteral(";;")), &scelto);
    if (file.isEmpty())
        return std::nullopt;
    return file;
}

std::optional<QString> DialoghiQt::chooseFileToSave(const QString& title, const QString& proposedName,
                                                    const QString& filter, int selectedFilter)
{
    const QStringList filtri = FiltriQt(filter);
    QString scelto = filtroScelto(filtri, selectedFilter);
    const QString file = QFileDialog::getSaveFileName(QApplication::activeWindow(), title, proposedName,
                                                      filtri.join(QStringLiteral(";;")), &scelto);
    if (file.isEmpty())
        return std::nullopt;
    return file;
}

void DialoghiQt::showFolder(const QString& folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); }

}  // namespace zentar
