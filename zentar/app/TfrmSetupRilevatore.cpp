#include "TfrmSetupRilevatore.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDataWidgetMapper>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaProperty>
#include <QShortcut>
#include <QSqlTableModel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "CampoIntero.h"
#include "Controlli.h"
#include "Errors.h"
#include "GruppoValori.h"
#include "PulsantePredefinito.h"
#include "SceltaTesto.h"

namespace zentar {

namespace {

constexpr int kModalitaScatola = 6;

QCheckBox* spunta(QWidget* genitore, const char* nome, const QString& testo)
{
    auto* c = new QCheckBox(testo, genitore);
    c->setObjectName(QString::fromLatin1(nome));
    return c;
}

QLabel* nota(QWidget* genitore, const QString& testo)
{
    auto* e = new QLabel(testo, genitore);
    e->setWordWrap(true);
    return e;
}

QList<GruppoValori::Voce> vociNumeriche(const QList<int>& valori)
{
    QList<GruppoValori::Voce> voci;
    for (int v : valori)
        voci.append({QString::number(v), v});
    return voci;
}

}  // namespace

const QList<std::pair<const char*, const char*>>& TfrmSetupRilevatore::ValoriPredefiniti()
{
    static const QList<std::pair<const char*, const char*>> valori{
        {"ePos_Causale", "6"}, {"eLen_Causale", "1"}, {"ePos_Cartellino", "7"}, {"eLen_Cartellino", "8"},
        {"ePos_Ora", "0"},     {"eLen_Ora", "6"},     {"ePos_slv", "15"},       {"eLen_slv", "2"},
        {"ePos_Verso", "6"},   {"eRecLen", "17"}};
    return valori;
}

TfrmSetupRilevatore::TfrmSetupRilevatore(StatoTerminale& stato, TDMDatabase& database, DialogService& dialoghi,
                                         Navigazione& navigazione)
    : QWidget(nullptr, kFinestraSenzaPulsanti),
      stato_(stato),
      database_(database),
      dialoghi_(dialoghi),
      navigazione_(navigazione)
{
    setObjectName(QStringLiteral("frmSetupRilevatore"));
    setWindowTitle(QStringLiteral("Zentar"));
    mapper_ = new QDataWidgetMapper(this);
    mapper_->setModel(database_.tblRilevatori());
    mapper_->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->addTab(creaGenerale(), QStringLiteral("Generale"));
    PageControl->addTab(creaPresenze(), QStringLiteral("Presenze"));
    PageControl->addTab(creaAccessi(), QStringLiteral("Accessi"));
    PageControl->addTab(creaComunicazione(), QStringLiteral("Comunicazione"));

    btnUpdate = Pulsante(this, "btnUpdate", QStringLiteral("Conferma"));
    btnAnnulla = Pulsante(this, "btnAnnulla", QStringLiteral("Annulla"));
    auto* pulsanti = new QHBoxLayout;
    pulsanti->addStretch();
    pulsanti->addWidget(btnUpdate);
    pulsanti->addWidget(btnAnnulla);
    auto* colonna = new QVBoxLayout(this);
    colonna->addWidget(PageControl);
    colonna->addLayout(pulsanti);

    Collega(btnUpdate, &QPushButton::clicked, this, "Conferma", [this] { btnUpdateClick(); });
    Collega(btnAnnulla, &QPushButton::clicked, this, "Annulla", [this] { btnAnnullaClick(); });
    PulsantePredefinito(*this, *btnUpdate);
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    Collega(esc, &QShortcut::activated, this, "Annulla", [this] { btnAnnullaClick(); });
    connect(rdbModCollegamento, &GruppoValori::valoreCambiato, this, [this] { rdbModCollegamentoChange(); });
    connect(&database_, &TDMDatabase::rigaCorrenteCambiata, this, [this] { MostraRigaCorrente(); });
    connect(database_.tblRilevatori(), &QAbstractItemModel::modelReset, this, [this] { MostraRigaCorrente(); });

    move(200, 100);
    adjustSize();
    MostraRigaCorrente();
    rdbModCollegamentoChange();
}

void TfrmSetupRilevatore::lega(QWidget* controllo, const char* colonna)
{
    const int indice = database_.tblRilevatori()->fieldIndex(QString::fromLatin1(colonna));
    mapper_->addMapping(controllo, indice);
    legami_.append({controllo, indice, controllo->metaObject()->userProperty().name()});
}

void TfrmSetupRilevatore::ricordaMostrati()
{
    mostrati_.clear();
    for (const Legame& l : legami_)
        mostrati_.append(l.controllo->property(l.proprieta.constData()));
}

// Only the fields whose value differs from what they showed write their column.
void TfrmSetupRilevatore::scriviModifiche()
{
    const int riga = database_.RigaCorrente();
    if (riga < 0)
        return;
    QSqlTableModel& tabella = *database_.tblRilevatori();
    for (qsizetype i = 0; i < legami_.size() && i < mostrati_.size(); ++i) {
        const Legame& l = legami_.at(i);
        const QVariant valore = l.controllo->property(l.proprieta.constData());
        if (valore != mostrati_.at(i) && !tabella.setData(tabella.index(riga, l.colonna), valore))
            throw DatabaseError(QStringLiteral("Colonna \"%1\" non scrivibile").arg(tabella.record().fieldName(l.colonna)));
    }
}

QLineEdit* TfrmSetupRilevatore::testo(QWidget* genitore, QGridLayout* griglia, const char* nome,
                                      const QString& etichetta, const char* colonna)
{
    QLineEdit* campo = Campo(genitore, nome);
    const int riga = griglia->rowCount();
    griglia->addWidget(new QLabel(etichetta, genitore), riga, 0);
    griglia->addWidget(campo, riga, 1);
    lega(campo, colonna);
    return campo;
}

QWidget* TfrmSetupRilevatore::creaGenerale()
{
    auto* scheda = new QWidget(this);
    scheda->setObjectName(QStringLiteral("TabSheet2"));
    auto* principali = new QGroupBox(QStringLiteral("Dati principali rilevatore "), scheda);
    auto* gp = new QGridLayout(principali);
    eCodice = testo(principali, gp, "eCodice", QStringLiteral("Codice"), "Codice");
    eCodice->setEnabled(false);
    testo(principali, gp, "eDescrizione", QStringLiteral("Descrizione"), "Descrizione");
    const std::pair<const char*, const char*> archivi[] = {
        {"chkTimbPresenze", "Presenze"}, {"chkTimbAccessi", "Accessi"}, {"chkTimbMensa", "Mensa"}};
    for (const auto& [nome, colonna] : archivi) {
        QCheckBox* c = spunta(principali, nome,
                              QStringLiteral("Memorizza transazioni scaricate nell'archivio timbrature %1")
                                  .arg(QString::fromLatin1(colonna).toLower()));
        gp->addWidget(c, gp->rowCount(), 0, 1, 2);
        lega(c, colonna);
    }

    auto* slave = new QGroupBox(QStringLiteral("Destinazione timbrature dispositivi slave "), scheda);
    auto* gs = new QGridLayout(slave);
    gs->addWidget(nota(slave, QStringLiteral("Inserire l'elenco dei codici Selvo dei terminali slave collegati, "
                                             "separati da virgola, per selezionarne la destinazione. In caso di "
                                             "indirizzo non indicato la destinazione predefinita è Presenze. "
                                             "(Es: \"0,2,5,6\")")),
                  0, 0, 1, 2);
    testo(slave, gs, "eTermSlavePresenze", QStringLiteral("Ind. Terminali slave Presenze"), "IndSlvTermPresenze");
    testo(slave, gs, "eTermSlaveAccessi", QStringLiteral("Ind. Terminali slave Accessi"), "IndSlvTermAccessi");
    gs->addWidget(nota(slave, QStringLiteral("Allo scopo di poter gestire le teste di lettura esterne come "
                                             "Presenze, impostare quali indirizzi Selvo sono da considerare sempre "
                                             "Entrata e quali Uscita")),
                  gs->rowCount(), 0, 1, 2);
    testo(slave, gs, "ePresSempreEntrata", QStringLiteral("Presenze sempre Entrata"), "IndSlvTermPresenzeSempreE");
    testo(slave, gs, "ePresSempreUscita", QStringLiteral("Presenze sempre Uscita"), "IndSlvTermPresenzeSempreU");

    auto* colonna = new QVBoxLayout(scheda);
    colonna->addWidget(principali);
    colonna->addWidget(slave);
    colonna->addStretch();
    return scheda;
}

QWidget* TfrmSetupRilevatore::creaPresenze()
{
    auto* scheda = new QWidget(this);
    scheda->setObjectName(QStringLiteral("TabSheet1"));
    auto* tracciato = new QGroupBox(QStringLiteral("Codifica Files PREammgg"), scheda);
    auto* gt = new QGridLayout(tracciato);
    const struct {
        const char* nome;
        const char* etichetta;
        const char* colonna;
    } campi[] = {
        {"ePos_Causale", "Posizione Causale", "Pos_Causale"}, {"eLen_Causale", "Lunghezza", "Len_Causale"},
        {"ePos_Cartellino", "Posizione Matricola", "Pos_Cartellino"},
        {"eLen_Cartellino", "Lunghezza", "Len_Cartellino"},    {"ePos_Ora", "Posizione Ora", "Pos_Ora"},
        {"eLen_Ora", "Lunghezza", "Len_Ora"},                  {"ePos_slv", "Posizione Cod Slv", "Pos_CodSelvo"},
        {"eLen_slv", "Lunghezza", "Len_CodSelvo"},             {"ePos_Verso", "Posizione Verso", "Pos_Verso"},
        {"eRecLen", "Lunghezza  Record", "RecLen"},
    };
    for (const auto& c : campi)
        testo(tracciato, gt, c.nome, QString::fromUtf8(c.etichetta), c.colonna);
    QPushButton* predefiniti = Pulsante(tracciato, "btPresenzeDefault", QStringLiteral("Applica i Valori di Default"));
    gt->addWidget(predefiniti, gt->rowCount(), 0, 1, 2);
    QCheckBox* messaggi =
        spunta(scheda, "chkMessaggi", QStringLiteral("Gestione messaggi Abilitata/Disabilitata (Solo Tirel e Pello)"));
    lega(messaggi, "Messaggi");

    auto* destinazione = new QGroupBox(QStringLiteral("Percorso di Destinazione File PRE"), scheda);
    DBDirPRE = Campo(destinazione, "DBDirPRE");
    DBDirPRE->setReadOnly(true);
    lega(DBDirPRE, "PercorsoPRE");
    QPushButton* scegli = Pulsante(destinazione, "btnDirPRE", QStringLiteral("Seleziona"));
    QPushButton* ripristina = Pulsante(destinazione, "ResetDirPRE", QStringLiteral("Ripristina Destinazione"));
    auto* gd = new QGridLayout(destinazione);
    gd->addWidget(DBDirPRE, 0, 0, 1, 2);
    gd->addWidget(scegli, 1, 0);
    gd->addWidget(ripristina, 1, 1);

    auto* colonna = new QVBoxLayout(scheda);
    colonna->addWidget(tracciato);
    colonna->addWidget(messaggi);
    colonna->addWidget(destinazione);
    colonna->addStretch();

    Collega(predefiniti, &QPushButton::clicked, this, "Default", [this] { btPresenzeDefaultClick(); });
    Collega(scegli, &QPushButton::clicked, this, "Seleziona", [this] { btnDirPREClick(); });
    connect(ripristina, &QPushButton::clicked, DBDirPRE, &QLineEdit::clear);
    return scheda;
}

QWidget* TfrmSetupRilevatore::creaAccessi()
{
    auto* scheda = new QWidget(this);
    scheda->setObjectName(QStringLiteral("TabSheet4"));
    auto* g = new QGridLayout(scheda);
    testo(scheda, g, "edtCodiceSystem", QStringLiteral("Codice di sistema Plexon (Fenwar e Galdor)"), "CodicePlexon");
    testo(scheda, g, "edtPosCartellino",
          QStringLiteral("Posizione codice tessera sulla banda magnetica\n(Fenwar, Galdor - 1^ pos = 1)\n(Ovrid - "
                         "Parametro 7 - 1^ pos = 0)"),
          "Pos_CartellinoFenwar");
    for (const auto& [nome, etichetta, colonna] :
         {std::tuple{"edtLenCodice", "Lunghezza codice", "Len_CodiceAccessi"},
          std::tuple{"edtLenPin", "Lunghezza PIN", "Len_PINAccessi"}}) {
        auto* campo = new CampoIntero(nome, scheda);
        const int riga = g->rowCount();
        g->addWidget(new QLabel(QString::fromLatin1(etichetta), scheda), riga, 0);
        g->addWidget(campo, riga, 1);
        lega(campo, colonna);
    }
    QCheckBox* pin = spunta(scheda, "chkAbilitaPIN", QStringLiteral("Abilita uso PIN (solo Ovrid)"));
    g->addWidget(pin, g->rowCount(), 0, 1, 2);
    lega(pin, "AbilitaPINAccessi");
    auto* modo = new SceltaTesto("cmbModoAccessi", {QStringLiteral("Disabilitato"), QStringLiteral("Solo attivazione relé"),
                    QStringLiteral("QVGROUPS come Black List"), QStringLiteral("QVGROUPS, QVCARDS,... White List"),
                    QStringLiteral("QVCARDS, no QVGROUPS, White List"), QStringLiteral("QVCARDS Black List"),
                    QStringLiteral("QVCARDS Black List (passaggi singoli)"),
                    QStringLiteral("QVCARDS, QVPOOLS, QVTIMET, QVTGATE, ... WhiteList")}, scheda);
    const int rigaModo = g->rowCount();
    g->addWidget(new QLabel(QStringLiteral("Modo accessi (solo TIREL/2P)"), scheda), rigaModo, 0);
    g->addWidget(modo, rigaModo, 1);
    lega(modo, "ModoAccessi");
    testo(scheda, g, "edtCodiceComune", QStringLiteral("Codice comune\n(modo CommonCode)"), "CodiceComuneFenwar");
    auto* memorizzazione = new GruppoValori("rdbMemorizzazione", QStringLiteral("Memorizzazione"),
                                            {{QStringLiteral("BitMap (3500 carte)"), 0}, {QStringLiteral("Packed"), 1}},
                                            1, scheda);
    g->addWidget(memorizzazione, g->rowCount(), 0, 1, 2);
    lega(memorizzazione, "Memorizzazione");
    g->addWidget(nota(scheda, QStringLiteral("Modo Packed: codici utente da 3 a 9 cifre; fino a 90 codici di 9 "
                                             "cifre, 112 di 7 o 8 cifre, 149 di 5 o 6 cifre, 223 di 4 cifre.")),
                 g->rowCount(), 0, 1, 2);
    QCheckBox* controllo =
        spunta(scheda, "chkControlliAccessi", QStringLiteral("Controllo Accessi Abilitato/Disabilitato (solo Ovrid e Fenwar)"));
    g->addWidget(controllo, g->rowCount(), 0, 1, 2);
    lega(controllo, "ControlloAccessi");
    g->setRowStretch(g->rowCount(), 1);
    return scheda;
}

QWidget* TfrmSetupRilevatore::creaComunicazione()
{
    auto* scheda = new QWidget(this);
    scheda->setObjectName(QStringLiteral("TabSheet3"));
    auto* porta = new GruppoValori("rdbPortaCom", QStringLiteral("Porta"),
                                   {{"COM1", 1}, {"COM2", 2}, {"COM3", 3}, {"COM4", 4}, {"LANBRICK", 8499}}, 1, scheda);
    auto* velocita = new GruppoValori("rdbBaudrate", QStringLiteral("Velocità"),
                                      vociNumeriche({0, 1200, 2400, 4800, 9600, 19200, 38400, 57600}), 2, scheda);
    auto* parita = new GruppoValori("rdbParita", QStringLiteral("Parità"),
                                    {{"nessuna, 8", 0}, {"dispari, 7", 1}, {"pari, 7", 2}, {"dispari, 8", 3},
                                     {"pari, 8", 4}},
                                    1, scheda);
    rdbModCollegamento = new GruppoValori("rdbModCollegamento", QStringLiteral("Collegamento"),
                                          {{"KDLA, MinKD Modo 1", 0},
                                           {"KDLA/2, KDLB/12", 1},
                                           {"KDLB/2I, KDLA/3I", 2},
                                           {"RS232", 3},
                                           {"RS232 indiriretto", 4},
                                           {"KDLA/3, MinKD Modo 2", 5},
                                           {"Lanbrick/WinSocket", 6},
                                           {"Radio 868 MHz Radimo", 8}},
                                          2, scheda);
    lega(porta, "Portacom");
    lega(velocita, "Baudrate");
    lega(parita, "Parita");
    lega(rdbModCollegamento, "Modalita_col");

    auto* selvo = new QGroupBox(QStringLiteral("Selvo"), scheda);
    auto* gsel = new QGridLayout(selvo);
    auto* indirizzo = new CampoIntero("edtSelvo", selvo);
    gsel->addWidget(new QLabel(QStringLiteral("Indirizzo"), selvo), 0, 0);
    gsel->addWidget(indirizzo, 0, 1);
    lega(indirizzo, "Indirizzo");
    QCheckBox* nelPre = spunta(selvo, "chkIndSlvPresenteNelPre", QStringLiteral("Presente nel PRE"));
    gsel->addWidget(nelPre, 1, 0, 1, 2);
    lega(nelPre, "IndSlvPresenteNelPre");
    auto* unita = new SceltaTesto("cmbDir", {QStringLiteral("A"), QStringLiteral("B")}, selvo);
    unita->setEnabled(false);
    unita->hide();
    lega(unita, "Dir");

    gbModem = new QGroupBox(QStringLiteral("Modem"), scheda);
    gbModem->setObjectName(QStringLiteral("gbModem"));
    auto* gm = new QGridLayout(gbModem);
    QCheckBox* modem = spunta(gbModem, "chkModem", QStringLiteral("Collegamento Tramite Modem"));
    gm->addWidget(modem, 0, 0, 1, 2);
    lega(modem, "Modem");
    testo(gbModem, gm, "edtPhoneModem", QStringLiteral("Numero telefonico"), "Telefono");
    testo(gbModem, gm, "edtInitModem", QStringLiteral("Inizializzazione"), "Modem_init");
    auto* attesa = new CampoIntero("edtWaitModem", gbModem);
    const int rigaAttesa = gm->rowCount();
    gm->addWidget(new QLabel(QStringLiteral("Tempo d'attesa"), gbModem), rigaAttesa, 0);
    gm->addWidget(attesa, rigaAttesa, 1);
    lega(attesa, "Modem_wait");

    auto* rete = new QGroupBox(scheda);
    auto* gr = new QGridLayout(rete);
    edtIPLanbrick = testo(rete, gr, "edtIPLanbrick", QStringLiteral("IP del Rilevatore"), "Indiriz_lanbrick");
    edtIPMaster = testo(rete, gr, "edtIPMaster", QStringLiteral("IP del PC Master"), "IPMaster");

    auto* modello = new GruppoValori("rdbModello", QStringLiteral(" Modello Rilevatore"),
                                     {{"Pello", 0}, {"Tirel/2p", 1}, {"Ovrid", 2}, {"Fenwar/Galdor", 3}}, 1, scheda);
    modello->hide();
    lega(modello, "Modello");
    auto* tagRF = new QGroupBox(QStringLiteral(" Tag RF "), scheda);
    auto* grf = new QVBoxLayout(tagRF);
    QCheckBox* rf = spunta(tagRF, "chkRilevatoriRF", QStringLiteral("Conversione RF"));
    grf->addWidget(rf);
    grf->addWidget(Pulsante(tagRF, "btnAggiornaTracciato", QStringLiteral("Aggiorna dati tracciato")));
    lega(rf, "ConversioneRF");
    tagRF->hide();

    auto* g = new QGridLayout(scheda);
    g->addWidget(porta, 0, 0);
    g->addWidget(velocita, 0, 1);
    g->addWidget(parita, 0, 2);
    g->addWidget(rdbModCollegamento, 1, 0, 1, 2);
    g->addWidget(selvo, 1, 2);
    g->addWidget(gbModem, 2, 0, 1, 2);
    g->addWidget(rete, 2, 2);
    return scheda;
}

void TfrmSetupRilevatore::MostraRigaCorrente()
{
    mapper_->setCurrentIndex(database_.RigaCorrente());
    ricordaMostrati();
}

void TfrmSetupRilevatore::showEvent(QShowEvent* evento)
{
    QWidget::showEvent(evento);
    MostraRigaCorrente();
    PageControl->setCurrentIndex(0);
}

// Closed by other means, the window drops what was not confirmed, as "Annulla" does.
void TfrmSetupRilevatore::closeEvent(QCloseEvent* evento)
{
    evento->accept();
    Gestito("Annulla", [this] { chiudi(false); });
}

void TfrmSetupRilevatore::rdbModCollegamentoChange()
{
    const QVariant modo = rdbModCollegamento->valore();
    const bool scatola = !modo.isNull() && modo.toInt() == kModalitaScatola;
    edtIPLanbrick->setEnabled(scatola);
    edtIPMaster->setEnabled(scatola);
    gbModem->setEnabled(!scatola);
}

void TfrmSetupRilevatore::btPresenzeDefaultClick()
{
    for (const auto& [nome, predefinito] : ValoriPredefiniti()) {
        auto* campo = findChild<QLineEdit*>(QString::fromLatin1(nome));
        if (campo->text().isEmpty())
            campo->setText(QString::fromLatin1(predefinito));
    }
}

void TfrmSetupRilevatore::btnDirPREClick()
{
    const std::optional<QString> cartella = dialoghi_.chooseFolder(
        QStringLiteral("Seleziona la cartella Dove Esportare le Timbrature:"), QDir::currentPath());
    if (cartella)
        DBDirPRE->setText(*cartella);
}

void TfrmSetupRilevatore::btnUpdateClick()
{
    switch (dialoghi_.message(MessageKind::Question, QStringLiteral("Salvare le Modifiche ?"),
                              MessageButtons::YesNoCancel)) {
    case Answer::Yes: {
        const int codice = eCodice->text().toInt();
        const QString cartella = stato_.CartellaDestinazione(DBDirPRE->text(), codice);
        if (!CreaCartella(cartella)) {
            dialoghi_.message(MessageKind::Warning,
                              QStringLiteral("Impossibile Creare la Cartella di Destinazione\rNon Scaricare Nessuna "
                                             "Timbratura"),
                              MessageButtons::Ok);
        } else if (codice == stato_.CodiceTerminale) {
            // Only the selected terminal's folder is the destination of the downloads.
            stato_.CartellaPRE = cartella;
        }
        chiudi(true);
        break;
    }
    case Answer::No: chiudi(false); break;
    default: break;
    }
}

void TfrmSetupRilevatore::btnAnnullaClick() { chiudi(false); }

void TfrmSetupRilevatore::chiudi(bool applica)
{
    if (applica) {
        scriviModifiche();
        database_.ApplicaRilevatori();
    } else {
        database_.AnnullaRilevatori();
        MostraRigaCorrente();
    }
    navigazione_.MostraConfigurazione();
}

}  // namespace zentar
