#include "SchedaKavex.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "Controlli.h"
#include "Parametro.h"

namespace zentar {

SchedaKavex::SchedaKavex(ContestoConsole contesto, QWidget* genitore) : QWidget(genitore), contesto_(contesto)
{
    setObjectName(QStringLiteral("Kavex"));
    auto* colonna = new QVBoxLayout(this);
    colonna->addWidget(Etichetta(this, "lblGestione", QStringLiteral("Gestione Comunicazione")));
    griglia_ = new QGridLayout;
    colonna->addLayout(griglia_);
    colonna->addStretch();

    Reply_Init = riga(1, QStringLiteral("InitCOMM"),
                      {{"nPort", QStringLiteral("Porta")}, {"nDevice", QStringLiteral("Device")},
                       {"nBaud", QStringLiteral("Baud")}, {"nPar", QStringLiteral("Parity")}},
                      "Exe_Init", "Reply_Init");
    Reply_ChgAdapter = riga(2, QStringLiteral("ChgAdapter"), {{"nIPMaster", QStringLiteral("IP Master")}},
                            "Exe_ChgAdapter", "Reply_ChgAdapter");
    Reply_SetIP = riga(3, QStringLiteral("SetIPAddress"), {{"nIPVRN", QStringLiteral("IP Terminale")}}, "Exe_SetIP",
                       "Reply_SetIP");
    Reply_SetMaster = riga(0, QStringLiteral("SetMaster"), {{"nMIPMaster", QString()}}, "Exe_SetMaster",
                           "Reply_SetMaster");
    Reply_DialNumber = riga(4, QStringLiteral("DialNumber"),
                            {{"nInit", QStringLiteral("Init")}, {"nNumber", QStringLiteral("Number")},
                             {"nWait", QStringLiteral("Wait")}},
                            "Exe_DialNumber", "Reply_DialNumber");
    Reply_SetVRN = riga(5, QStringLiteral("SetTerminal"), {{"nSELVO", QStringLiteral("SELVO")}}, "Exe_SetVRN",
                        "Reply_SetVRN");
    Reply_HangUP = riga(6, QStringLiteral("Hang Up"), {}, "Exe_HangUp", "Reply_HangUP");
    Reply_Exit = riga(7, QStringLiteral("ExitCOMM"), {}, "Exe_Exit", "Reply_Exit");

    const auto pulsante = [this](const char* nome) { return findChild<QPushButton*>(QString::fromLatin1(nome)); };
    Collega(pulsante("Exe_Init"), &QPushButton::clicked, this, "InitCOMM", [this] { Exe_InitClick(); });
    Collega(pulsante("Exe_ChgAdapter"), &QPushButton::clicked, this, "ChgAdapter",
            [this] { mostra(Reply_ChgAdapter, contesto_.kavex.ChangeAdapter(campo("nIPMaster")->text())); });
    Collega(pulsante("Exe_SetIP"), &QPushButton::clicked, this, "SetIPAddress",
            [this] { mostra(Reply_SetIP, contesto_.kavex.SetIPAddress(campo("nIPVRN")->text())); });
    Collega(pulsante("Exe_SetMaster"), &QPushButton::clicked, this, "SetMaster", [this] { Exe_SetMasterClick(); });
    Collega(pulsante("Exe_DialNumber"), &QPushButton::clicked, this, "DialNumber",
            [this] { Exe_DialNumberClick(); });
    Collega(pulsante("Exe_SetVRN"), &QPushButton::clicked, this, "SetTerminal", [this] { Exe_SetVRNClick(); });
    Collega(pulsante("Exe_HangUp"), &QPushButton::clicked, this, "Hang Up", [this] { Exe_HangUpClick(); });
    Collega(pulsante("Exe_Exit"), &QPushButton::clicked, this, "ExitCOMM", [this] { Exe_ExitClick(); });
}

QLabel* SchedaKavex::riga(int passo, const QString& titolo, const QList<std::pair<const char*, QString>>& campi,
                          const char* pulsante, const char* risposta)
{
    const int r = righe_++;
    if (passo > 0)
        griglia_->addWidget(new QLabel(QString::number(passo), this), r, 0);
    griglia_->addWidget(new QLabel(titolo, this), r, 1);
    auto* ingressi = new QHBoxLayout;
    for (const auto& [nome, etichetta] : campi) {
        if (!etichetta.isEmpty())
            ingressi->addWidget(new QLabel(etichetta, this));
        ingressi->addWidget(Campo(this, nome));
    }
    ingressi->addStretch();
    griglia_->addLayout(ingressi, r, 2);
    griglia_->addWidget(Pulsante(this, pulsante, QStringLiteral("!")), r, 3);
    QLabel* esito = Etichetta(this, risposta, QString());
    esito->setMinimumWidth(48);
    esito->setAutoFillBackground(true);
    esito->setStyleSheet(QStringLiteral("background-color: #c8c8c8;"));
    griglia_->addWidget(esito, r, 4);
    return esito;
}

QLineEdit* SchedaKavex::campo(const char* nome) const { return findChild<QLineEdit*>(QString::fromLatin1(nome)); }

void SchedaKavex::mostra(QLabel* risposta, int32_t risultato) { risposta->setText(QString::number(risultato)); }

void SchedaKavex::ScriviIndirizziRete(const IndirizziRete& campi)
{
    campo("nIPMaster")->setText(campi.nIPMaster);
    campo("nIPVRN")->setText(campi.nIPVRN);
    campo("nMIPMaster")->setText(campi.nMIPMaster);
}

void SchedaKavex::Exe_InitClick()
{
    // Every field is converted before the call: one that is not a whole number stops it.
    const int32_t porta = InteroDi(*campo("nPort"));
    const int32_t modalita = InteroDi(*campo("nDevice"));
    const int32_t baud = InteroDi(*campo("nBaud"));
    const int32_t parita = InteroDi(*campo("nPar"));
    mostra(Reply_Init, contesto_.kavex.InitCOMM(porta, modalita, baud, parita));
}

void SchedaKavex::Exe_SetMasterClick()
{
    int32_t risultato = contesto_.kavex.LbxCommand(campo("nMIPMaster")->text());
    if (risultato == 0) {
        risultato = contesto_.kavex.LbxCommand(QStringLiteral("%"));
        if (risultato != 0)
            contesto_.dialoghi.message(MessageKind::Information, QStringLiteral("Master non Impostato"),
                                       MessageButtons::Ok);
    }
    mostra(Reply_SetMaster, risultato);
}

void SchedaKavex::Exe_DialNumberClick()
{
    const int32_t attesa = InteroDi(*campo("nWait"));
    mostra(Reply_DialNumber, contesto_.kavex.DialNumber(campo("nInit")->text(), campo("nNumber")->text(), attesa));
}

void SchedaKavex::Exe_SetVRNClick()
{
    const int32_t risultato = contesto_.kavex.SetTerminal(InteroDi(*campo("nSELVO")));
    mostra(Reply_SetVRN, risultato);
    if (risultato == 0)
        contesto_.ConsoleErr.setText(QStringLiteral("Rilevatore Connesso"));
}

void SchedaKavex::Exe_HangUpClick()
{
    const int32_t risultato = contesto_.kavex.HangUp();
    mostra(Reply_HangUP, risultato);
    if (risultato == 0)
        contesto_.ConsoleErr.setText(QStringLiteral("Chiamata Chiusa"));
}

void SchedaKavex::Exe_ExitClick(bool conMessaggio)
{
    const int32_t risultato = contesto_.kavex.ExitCOMM();
    mostra(Reply_Exit, risultato);
    if (risultato == 0 && conMessaggio)
        contesto_.ConsoleErr.setText(QStringLiteral("Connesione Terminata"));
}

}  // namespace zentar
