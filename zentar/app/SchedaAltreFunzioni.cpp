#include "SchedaAltreFunzioni.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "Controlli.h"
#include "Errors.h"
#include "OperazioniConsole.h"
#include "Parametro.h"
#include "TerminalState.h"

namespace zentar {

namespace {

QLineEdit* campoConMaschera(QWidget* genitore, const char* nome, const QString& maschera, const QString& iniziale)
{
    QLineEdit* campo = Campo(genitore, nome);
    campo->setInputMask(maschera);
    campo->setText(iniziale);
    return campo;
}

bool zeroOUno(const QString& testo) { return testo == QLatin1String("0") || testo == QLatin1String("1"); }

}  // namespace

SchedaAltreFunzioni::SchedaAltreFunzioni(ContestoConsole contesto, QWidget* genitore)
    : QWidget(genitore), contesto_(contesto)
{
    setObjectName(QStringLiteral("TabSheet4"));
    auto* colonna = new QVBoxLayout(this);
    colonna->addWidget(creaDataOra());
    colonna->addWidget(creaParametri());
    colonna->addWidget(creaConversioni());
    colonna->addStretch();
}

SchedaAltreFunzioni::~SchedaAltreFunzioni() = default;

QGroupBox* SchedaAltreFunzioni::creaDataOra()
{
    auto* gruppo = new QGroupBox(QStringLiteral("Data e Ora"), this);
    edtDate = campoConMaschera(gruppo, "edtDate", QStringLiteral("99-99-9999; "), QStringLiteral("00-00-0000"));
    btnReadTime = Pulsante(gruppo, "btnReadTime", QStringLiteral("Leggi"));
    btnWriteDate = Pulsante(gruppo, "btnWriteDate", QStringLiteral("Salva"));
    btnWriteDate->setEnabled(false);
    edtTime = campoConMaschera(gruppo, "edtTime", QStringLiteral("99.99.99; "), QStringLiteral("00.00.00"));
    Button2 = Pulsante(gruppo, "Button2", QStringLiteral("Leggi"));
    btnWriteTime = Pulsante(gruppo, "btnWriteTime", QStringLiteral("Salva"));
    btnWriteTime->setEnabled(false);
    auto* griglia = new QGridLayout(gruppo);
    griglia->addWidget(Etichetta(gruppo, "lblData", QStringLiteral("Data")), 0, 0);
    griglia->addWidget(edtDate, 0, 1);
    griglia->addWidget(btnReadTime, 0, 2);
    griglia->addWidget(btnWriteDate, 0, 3);
    griglia->addWidget(Etichetta(gruppo, "lblOra", QStringLiteral("Ora")), 1, 0);
    griglia->addWidget(edtTime, 1, 1);
    griglia->addWidget(Button2, 1, 2);
    griglia->addWidget(btnWriteTime, 1, 3);

    Collega(btnReadTime, &QPushButton::clicked, this, "Leggi Data", [this] { btnReadTimeClick(); });
    Collega(Button2, &QPushButton::clicked, this, "Leggi Ora", [this] { btnReadTimeClick(); });
    connect(edtDate, &QLineEdit::textChanged, this, [this] { edtDateChange(); });
    connect(edtTime, &QLineEdit::textChanged, this,
            [this] { btnWriteTime->setEnabled(OraValida(edtTime->displayText())); });
    Collega(btnWriteDate, &QPushButton::clicked, this, "Salva Data", [this] { btnWriteDateClick(); });
    Collega(btnWriteTime, &QPushButton::clicked, this, "Salva Ora", [this] { btnWriteTimeClick(); });
    return gruppo;
}

QGroupBox* SchedaAltreFunzioni::creaParametri()
{
    auto* gruppo = new QGroupBox(QStringLiteral("Gestione Parametri"), this);
    edtParCod = Campo(gruppo, "edtParCod");
    btnReadPar = Pulsante(gruppo, "btnReadPar", QStringLiteral("Leggi"));
    btnReadPar->setEnabled(false);
    edtParVal = Campo(gruppo, "edtParVal");
    btnWritePar = Pulsante(gruppo, "btnWritePar", QStringLiteral("Salva"));
    btnWritePar->setEnabled(false);
    auto* griglia = new QGridLayout(gruppo);
    griglia->addWidget(Etichetta(gruppo, "lblCodice", QStringLiteral("Codice")), 0, 0);
    griglia->addWidget(edtParCod, 0, 1);
    griglia->addWidget(btnReadPar, 0, 2);
    griglia->addWidget(Etichetta(gruppo, "lblValore", QStringLiteral("Valore")), 1, 0);
    griglia->addWidget(edtParVal, 1, 1);
    griglia->addWidget(btnWritePar, 1, 2);

    parametro_ = std::make_unique<Parametro>(contesto_.kavex, *edtParCod, *edtParVal, *btnReadPar, *btnWritePar,
                                             contesto_.ConsoleErr, QStringLiteral("0 : Salvataggio Eseguito"));
    Collega(btnReadPar, &QPushButton::clicked, this, "Leggi Parametro", [this] { parametro_->Leggi(); });
    Collega(btnWritePar, &QPushButton::clicked, this, "Salva Parametro", [this] { parametro_->Salva(); });
    return gruppo;
}

QGroupBox* SchedaAltreFunzioni::creaConversioni()
{
    auto* gruppo = new QGroupBox(QStringLiteral("Conversioni Unità Informatiche"), this);
    edtDec = Campo(gruppo, "edtDec");
    btnBD = Pulsante(gruppo, "btnBD", QStringLiteral("<-"));
    btnDB = Pulsante(gruppo, "btnDB", QStringLiteral("->"));
    edtBinCopy = Campo(gruppo, "edtBinCopy");
    edtBinCopy->setReadOnly(true);
    edtBinCopy->setFrame(false);
    auto* griglia = new QGridLayout(gruppo);
    griglia->addWidget(Etichetta(gruppo, "lblDec", QStringLiteral("Dec")), 0, 0);
    griglia->addWidget(edtDec, 1, 0);
    griglia->addWidget(btnBD, 1, 1);
    griglia->addWidget(btnDB, 1, 2);
    for (int k = 7; k >= 0; --k) {
        const QByteArray nome = "bit" + QByteArray::number(k);
        QLineEdit* campo = Campo(gruppo, nome.constData());
        campo->setText(QStringLiteral("0"));
        campo->setFixedWidth(campo->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 3);
        bit[static_cast<std::size_t>(k)] = campo;
        const int colonna = 3 + (7 - k);
        griglia->addWidget(Etichetta(gruppo, ("lblBit" + QByteArray::number(k)).constData(), QString::number(k)), 0,
                           colonna, Qt::AlignHCenter);
        griglia->addWidget(campo, 1, colonna);
        connect(campo, &QLineEdit::textChanged, this, [this, k] { bitChange(k); });
    }
    griglia->addWidget(edtBinCopy, 2, 3, 1, 8);

    connect(edtDec, &QLineEdit::textChanged, this, [this] { edtDecChange(); });
    edtDec->installEventFilter(this);
    Collega(btnDB, &QPushButton::clicked, this, "->", [this] { btnDBClick(); });
    Collega(btnBD, &QPushButton::clicked, this, "<-", [this] { btnBDClick(); });
    return gruppo;
}

bool SchedaAltreFunzioni::eventFilter(QObject* oggetto, QEvent* evento)
{
    if (oggetto == edtDec && evento->type() == QEvent::FocusOut && edtDec->text().isEmpty())
        edtDec->setText(QStringLiteral("0"));
    return QWidget::eventFilter(oggetto, evento);
}

void SchedaAltreFunzioni::btnReadTimeClick()
{
    contesto_.ConsoleErr.clear();
    QString giorno, ora;
    contesto_.kavex.GetDate(giorno);
    contesto_.kavex.GetTime(ora);
    if (const std::optional<QString> mostrata = DataDalTerminale(giorno))
        edtDate->setText(*mostrata);
    if (const std::optional<QString> mostrata = OraDalTerminale(ora))
        edtTime->setText(*mostrata);
}

void SchedaAltreFunzioni::edtDateChange()
{
    const QString testo = edtDate->displayText();
    if (testo.contains(QLatin1Char(' '))) {
        const int cursore = edtDate->cursorPosition();
        edtDate->setText(QString(testo).replace(QLatin1Char(' '), QLatin1Char('0')));  // raises this again
        edtDate->setCursorPosition(cursore);
        return;
    }
    btnWriteDate->setEnabled(DataValida(testo));
}

void SchedaAltreFunzioni::btnWriteDateClick()
{
    contesto_.ConsoleErr.clear();
    riportaEsito(contesto_.kavex.SetDate(DataPerIlTerminale(edtDate->displayText())));
}

void SchedaAltreFunzioni::btnWriteTimeClick()
{
    contesto_.ConsoleErr.clear();
    riportaEsito(contesto_.kavex.SetTime(OraPerIlTerminale(edtTime->displayText())));
}

void SchedaAltreFunzioni::riportaEsito(int32_t risultato)
{
    contesto_.ConsoleErr.setText(risultato == 0 ? QStringLiteral("0 : Salvataggio Eseguito")
                                                : QString::number(risultato));
}

void SchedaAltreFunzioni::edtDecChange()
{
    btnDB->setEnabled(false);
    const QString testo = edtDec->text();
    if (testo.isEmpty()) {
        edtDec->setText(QStringLiteral("0"));  // raises this again
        return;
    }
    if (!IsNumero(testo))
        return;
    bool ok = false;
    const qulonglong valore = testo.toULongLong(&ok);
    if (!ok || valore > 255) {
        contesto_.dialoghi.message(MessageKind::Information, QStringLiteral("Inserire un Numero Tra 0 e 255"),
                                   MessageButtons::Ok);
        return;
    }
    btnDB->setEnabled(true);
    if (testo.size() == 3)
        btnDB->setFocus();
}

void SchedaAltreFunzioni::btnDBClick()
{
    bool ok = false;
    const long long valore = edtDec->text().toLongLong(&ok);
    if (!ok)
        throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(edtDec->text()));
    const QString bits = BitDelByte(valore);
    for (int k = 0; k < 8; ++k)
        bit[static_cast<std::size_t>(k)]->setText(bits.mid(7 - k, 1));
    edtBinCopy->setText(bits);
}

void SchedaAltreFunzioni::btnBDClick()
{
    std::array<QString, 8> testi;
    for (std::size_t k = 0; k < bit.size(); ++k)
        testi[k] = bit[k]->text();
    edtDec->setText(QString::number(ByteDaiBit(testi)));
}

void SchedaAltreFunzioni::bitChange(int k)
{
    QLineEdit& campo = *bit[static_cast<std::size_t>(k)];
    bool tuttiValidi = true;
    for (const QLineEdit* b : bit)
        tuttiValidi = tuttiValidi && b != nullptr && zeroOUno(b->text());
    btnBD->setEnabled(tuttiValidi);
    if (campo.text().size() > 1) {
        campo.setText(campo.text().left(1));  // raises this again
        return;
    }
    if (zeroOUno(campo.text())) {
        if (k < 7)
            bit[static_cast<std::size_t>(k + 1)]->setFocus();
        else
            btnBD->setFocus();
    } else {
        campo.setText(QStringLiteral("0"));
    }
}

}  // namespace zentar
