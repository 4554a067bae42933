#include "SchedaComandi.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyle>
#include <QVBoxLayout>

#include "Controlli.h"
#include "OperazioniConsole.h"

namespace zentar {

namespace {

void coloreTesto(QLineEdit& campo, const QColor& colore)
{
    QPalette p = campo.palette();
    p.setColor(QPalette::Text, colore);
    campo.setPalette(p);
}

}  // namespace

QStringList SchedaComandi::Comandi()
{
    return {QString(), "BYE",     "CD",     "CFG",   "CONSIDLE", "COPY",  "DATE",  "DBA",       "DBC",
            "DBL",     "DBS",     "DBU",    "DBZ",   "DEL",      "HT",    "IDLE",  "LOAD",      "LOADP",
            "LOGOFF",  "LOGON",   "MEM",    "OFF!",  "OFFLINE",  "ONLINE", "PRINT", "PROC",     "PW",
            "REN",     "SPACE",   "TIME",   "TYPE",  "TYPE CFGS", "%XI",  "%%"};
}

SchedaComandi::SchedaComandi(ContestoConsole contesto, QWidget* genitore) : QWidget(genitore), contesto_(contesto)
{
    setObjectName(QStringLiteral("TabSheet2"));
    btnHelp = Pulsante(this, "btnHelp", QStringLiteral("?"));
    btnHelp->setEnabled(false);
    cmbCommand = new QComboBox(this);
    cmbCommand->setObjectName(QStringLiteral("cmbCommand"));
    cmbCommand->setEditable(true);
    cmbCommand->addItems(Comandi());
    cmbCommand->setCurrentIndex(0);
    cmbCommand->setInsertPolicy(QComboBox::NoInsert);
    edtLineCmd = Campo(this, "edtLineCmd");
    ForzaMaiuscolo(edtLineCmd);
    edtLineCmd->installEventFilter(this);
    ListReply = new QPlainTextEdit(this);
    ListReply->setObjectName(QStringLiteral("ListReply"));
    ListReply->setReadOnly(true);
    ListReply->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    btnSendCmd = Pulsante(this, "btnSendCmd", QStringLiteral("Invia Comando"));
    btnSendCmd->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    btnRebootVRN = Pulsante(this, "btnRebootVRN", QStringLiteral("Riavvia"));
    btnRebootVRN->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    btnClear = Pulsante(this, "btnClear", QStringLiteral("Pulisci"));
    btnClear->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));

    auto* riga = new QHBoxLayout;
    riga->addWidget(btnHelp);
    riga->addWidget(cmbCommand);
    riga->addWidget(edtLineCmd, 1);
    auto* operazioni = new QGroupBox(QStringLiteral("Operazioni Disponibili"), this);
    auto* pulsanti = new QHBoxLayout(operazioni);
    pulsanti->addWidget(btnSendCmd);
    pulsanti->addWidget(btnRebootVRN);
    pulsanti->addWidget(btnClear);
    auto* colonna = new QVBoxLayout(this);
    colonna->addWidget(Etichetta(this, "lblLavagna", QStringLiteral("Lavagna dei Comandi")));
    colonna->addLayout(riga);
    colonna->addWidget(ListReply, 1);
    colonna->addWidget(operazioni);

    Collega(btnSendCmd, &QPushButton::clicked, this, "Invia Comando", [this] { btnSendCmdClick(); });
    Collega(btnRebootVRN, &QPushButton::clicked, this, "Riavvia", [this] { btnRebootVRNClick(); });
    connect(btnClear, &QPushButton::clicked, ListReply, &QPlainTextEdit::clear);
}

bool SchedaComandi::eventFilter(QObject* oggetto, QEvent* evento)
{
    if (oggetto == edtLineCmd) {
        if (evento->type() == QEvent::FocusIn)
            edtLineCmdEnter();
        else if (evento->type() == QEvent::FocusOut)
            edtLineCmdExit();
    }
    return QWidget::eventFilter(oggetto, evento);
}

void SchedaComandi::edtLineCmdEnter()
{
    if (edtLineCmd->text() == SegnapostoComando()) {
        edtLineCmd->clear();
        coloreTesto(*edtLineCmd, Qt::black);
    }
}

void SchedaComandi::edtLineCmdExit()
{
    if (edtLineCmd->text().isEmpty()) {
        edtLineCmd->setText(SegnapostoComando());
        coloreTesto(*edtLineCmd, QColor(128, 128, 128));
    }
}

void SchedaComandi::btnSendCmdClick()
{
    contesto_.ConsoleErr.clear();
    const QString comando = ComandoDaInviare(cmbCommand->currentText(), edtLineCmd->text());
    GestoreConnessione& connessione = contesto_.servizi.connessione;
    if (!connessione.InviaComando(comando, true))
        return;
    const QStringList risposte = connessione.LeggiRisposte();
    if (risposte.isEmpty())
        return;
    if (ComandoRifiutato(risposte, comando)) {
        contesto_.ConsoleErr.setText(QStringLiteral("Comando '%1' non Valido").arg(comando));
        return;
    }
    for (const QString& risposta : risposte)
        ListReply->appendPlainText(risposta);
    contesto_.ConsoleErr.clear();
}

void SchedaComandi::btnRebootVRNClick()
{
    GestoreConnessione& connessione = contesto_.servizi.connessione;
    if (!connessione.InviaComando(QStringLiteral("%%"), true))
        return;
    const QStringList risposte = connessione.LeggiRisposte();
    if (risposte.isEmpty())
        return;
    for (const QString& risposta : risposte)
        ListReply->appendPlainText(risposta);
    ListReply->appendPlainText(QString());
}

}  // namespace zentar
