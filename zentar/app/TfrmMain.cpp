#include "TfrmMain.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "Connessione.h"
#include "Parametro.h"
#include "Controlli.h"
#include "EtichettaCliccabile.h"
#include "ZentarApplication.h"

namespace zentar {

namespace {

const QColor kGrigioChiaro(0xD4, 0xD0, 0xC8);
constexpr int kLarghezza = 353;
constexpr int kAltezza = 493;

QPixmap indicatoreIniziale()
{
    QPixmap immagine(27, 25);
    immagine.fill(kGrigioChiaro);
    QPainter pittore(&immagine);
    pittore.setRenderHint(QPainter::Antialiasing);
    pittore.setPen(QPen(Qt::darkGray, 1));
    pittore.setBrush(Qt::lightGray);
    pittore.drawEllipse(QRectF(4.5, 3.5, 18, 18));
    return immagine;
}

QToolButton* pulsantePiatto(QWidget* genitore, const char* nome, const QString& testo, QStyle::StandardPixmap icona)
{
    auto* pulsante = new QToolButton(genitore);
    pulsante->setObjectName(QString::fromLatin1(nome));
    pulsante->setText(testo);
    pulsante->setIcon(genitore->style()->standardIcon(icona));
    pulsante->setAutoRaise(true);
    pulsante->setToolButtonStyle(testo.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
    pulsante->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return pulsante;
}

}  // namespace

QPixmap IconaProgramma()
{
    QPixmap icona(16, 16);
    icona.fill(Qt::transparent);
    QPainter pittore(&icona);
    pittore.setRenderHint(QPainter::Antialiasing);
    pittore.setPen(QPen(QColor(0x00, 0x00, 0x80), 1.5));
    pittore.setBrush(Qt::white);
    pittore.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    pittore.drawLine(QPointF(8, 8), QPointF(8, 4));
    pittore.drawLine(QPointF(8, 8), QPointF(11, 9.5));
    return icona;
}

TfrmMain::TfrmMain(StatoTerminale& stato, TDMDatabase& database, ServiziTerminale& servizi, LibreriaKavex& kavex,
                   DialogService& dialoghi, Navigazione& navigazione)
    : QMainWindow(nullptr, kFinestraSenzaPulsanti),
      stato_(stato),
      database_(database),
      servizi_(servizi),
      kavex_(kavex),
      dialoghi_(dialoghi),
      navigazione_(navigazione)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Zentar"));
    QPalette sfondo = palette();
    sfondo.setColor(QPalette::Window, kGrigioChiaro);
    setPalette(sfondo);
    setAutoFillBackground(true);

    creaControlli();
    creaMenu();
    collegaGestori();

    move(200, 100);
    resize(kLarghezza, kAltezza + lblState->sizeHint().height());
    listFilePre->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Check_CodiceTerminale();
    SpeedButton1->raise();
}

void TfrmMain::creaControlli()
{
    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("areaPrincipale"));
    setCentralWidget(area);

    Label1 = Etichetta(area, "Label1", QStringLiteral("TIMBRATURE PRESENTI"));
    Label1->setStyleSheet(QStringLiteral("color: navy; font-weight: bold;"));
    listFilePre = new QListWidget(area);
    listFilePre->setObjectName(QStringLiteral("listFilePre"));
    listFilePre->setUniformItemSizes(true);

    btnSelectAll = pulsantePiatto(area, "btnSelectAll", QStringLiteral("Seleziona Tutto"), QStyle::SP_DialogApplyButton);
    btnRefresh = pulsantePiatto(area, "btnRefresh", QStringLiteral("Aggiorna Elenco"), QStyle::SP_BrowserReload);
    chkDelete = new QCheckBox(QStringLiteral("Elimina File Scaricati"), area);
    chkDelete->setObjectName(QStringLiteral("chkDelete"));
    btnScarica = pulsantePiatto(area, "btnScarica", QStringLiteral("Scarica"), QStyle::SP_ArrowDown);
    btnDelete = pulsantePiatto(area, "btnDelete", QStringLiteral("Elimina"), QStyle::SP_TrashIcon);
    SpeedButton1 = pulsantePiatto(area, "SpeedButton1", QStringLiteral("Apri Cartella"), QStyle::SP_DirOpenIcon);

    imgConnection = Etichetta(area, "imgConnection", QString());
    imgConnection->setFixedSize(27, 25);
    imgConnection->setPixmap(indicatoreIniziale());

    edtParCod = Campo(area, "edtParCod");
    btnReadPar = Pulsante(area, "btnReadPar", QStringLiteral("Leggi"));
    edtParVal = Campo(area, "edtParVal");
    btnWritePar = Pulsante(area, "btnWritePar", QStringLiteral("Salva"));
    btnReboot = pulsantePiatto(area, "btnReboot", QString(), QStyle::SP_BrowserStop);
    btnReboot->setToolTip(QStringLiteral("Riavvia il Rilevatore"));

    ConsoleMainErr = Campo(area, "ConsoleMainErr");
    ConsoleMainErr->setReadOnly(true);
    ConsoleMainErr->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    btnConnetti = Pulsante(area, "btnConnetti", QStringLiteral("CONNETTI"));
    btnDisconnetti = Pulsante(area, "btnDisconnetti", QStringLiteral("DISCONNETTI"));

    lblState = RigaStato(area);

    Image1 = Etichetta(area, "Image1", QString());
    Image1->setPixmap(IconaProgramma());
    Image1->hide();

    auto* colonna = new QVBoxLayout;
    auto* rigaIndicatore = new QHBoxLayout;
    rigaIndicatore->addStretch();
    rigaIndicatore->addWidget(imgConnection);
    colonna->addLayout(rigaIndicatore);
    for (QWidget* w : {static_cast<QWidget*>(btnSelectAll), static_cast<QWidget*>(btnRefresh),
                       static_cast<QWidget*>(chkDelete), static_cast<QWidget*>(btnScarica),
                       static_cast<QWidget*>(btnDelete), static_cast<QWidget*>(SpeedButton1)})
        colonna->addWidget(w);
    auto* parametri = new QGridLayout;
    parametri->addWidget(Etichetta(area, "Label5", QStringLiteral("Cod")), 0, 0);
    parametri->addWidget(edtParCod, 0, 1);
    parametri->addWidget(btnReadPar, 0, 2);
    parametri->addWidget(Etichetta(area, "Label6", QStringLiteral("Val")), 1, 0);
    parametri->addWidget(edtParVal, 1, 1);
    parametri->addWidget(btnWritePar, 1, 2);
    parametri->addWidget(btnReboot, 2, 2);
    colonna->addLayout(parametri);
    colonna->addStretch();

    auto* griglia = new QGridLayout(area);
    griglia->addWidget(Label1, 0, 0);
    griglia->addWidget(listFilePre, 1, 0);
    griglia->addLayout(colonna, 0, 1, 2, 1);
    griglia->addWidget(ConsoleMainErr, 2, 0, 1, 2);
    auto* pulsanti = new QHBoxLayout;
    pulsanti->addWidget(btnConnetti);
    pulsanti->addStretch();
    pulsanti->addWidget(btnDisconnetti);
    griglia->addLayout(pulsanti, 3, 0, 1, 2);
    griglia->addWidget(lblState, 4, 0, 1, 2);
    griglia->setColumnStretch(0, 1);
    griglia->setRowStretch(1, 1);

    for (QWidget* w : {static_cast<QWidget*>(btnSelectAll), static_cast<QWidget*>(btnRefresh),
                       static_cast<QWidget*>(chkDelete), static_cast<QWidget*>(btnScarica),
                       static_cast<QWidget*>(btnDelete), static_cast<QWidget*>(edtParCod),
                       static_cast<QWidget*>(btnReadPar), static_cast<QWidget*>(edtParVal),
                       static_cast<QWidget*>(btnWritePar), static_cast<QWidget*>(btnReboot),
                       static_cast<QWidget*>(btnConnetti), static_cast<QWidget*>(btnDisconnetti)})
        w->setEnabled(false);
}

void TfrmMain::creaMenu()
{
    mmFile = menuBar()->addMenu(QStringLiteral("Rilevatore"));
    mmFile->setObjectName(QStringLiteral("mmFile"));
    mmFile->addAction(QStringLiteral("Seleziona"))->setObjectName(QStringLiteral("mmFilNuovo"));
    imbrature1 = menuBar()->addMenu(QStringLiteral("Timbrature"));
    imbrature1->setObjectName(QStringLiteral("imbrature1"));
    imbrature1->addAction(QStringLiteral("Esporta"))->setObjectName(QStringLiteral("Esporta1"));
    mmImpostazioni = menuBar()->addMenu(QStringLiteral("Impostazioni"));
    mmImpostazioni->setObjectName(QStringLiteral("mmImpostazioni"));
    mmImpostazioni->addAction(QStringLiteral("Configurazione"))->setObjectName(QStringLiteral("mmImpConfigurazione"));
    mmImpostazioni->addAction(QStringLiteral("Prompt"))->setObjectName(QStringLiteral("Prompt1"));
    Exit1 = menuBar()->addAction(QStringLiteral("Esci"));
    Exit1->setObjectName(QStringLiteral("Exit1"));
}

void TfrmMain::collegaGestori()
{
    const auto gestore = [this](auto* mittente, auto segnale, const char* nome, void (TfrmMain::*metodo)()) {
        Collega(mittente, segnale, this, nome, [this, metodo] { (this->*metodo)(); });
    };
    gestore(btnConnetti, &QPushButton::clicked, "CONNETTI", &TfrmMain::btnConnettiClick);
    gestore(btnDisconnetti, &QPushButton::clicked, "DISCONNETTI", &TfrmMain::btnDisconnettiClick);
    gestore(btnSelectAll, &QToolButton::clicked, "Seleziona Tutto", &TfrmMain::btnSelectAllClick);
    gestore(btnRefresh, &QToolButton::clicked, "Aggiorna Elenco", &TfrmMain::btnRefreshClick);
    gestore(btnScarica, &QToolButton::clicked, "Scarica", &TfrmMain::btnScaricaClick);
    gestore(btnDelete, &QToolButton::clicked, "Elimina", &TfrmMain::btnDeleteClick);
    gestore(SpeedButton1, &QToolButton::clicked, "Apri Cartella", &TfrmMain::ApriCartella);
    gestore(btnReadPar, &QPushButton::clicked, "Leggi", &TfrmMain::btnReadParClick);
    gestore(btnWritePar, &QPushButton::clicked, "Salva", &TfrmMain::btnWriteParClick);
    gestore(btnReboot, &QToolButton::clicked, "restart", &TfrmMain::btnRebootClick);
    gestore(Exit1, &QAction::triggered, "Esci", &TfrmMain::Exit1Click);

    // A tick changed, or any click on the list (a tick may already stand where the buttons
    // were disabled).
    const auto rivaluta = [this] { abilitaScaricaElimina(ContaSelezionati() >= 1); };
    connect(listFilePre, &QListWidget::itemChanged, this, rivaluta);
    connect(listFilePre, &QListWidget::clicked, this, rivaluta);
    parametro_ = std::make_unique<Parametro>(kavex_, *edtParCod, *edtParVal, *btnReadPar, *btnWritePar,
                                             *ConsoleMainErr,
                                             QStringLiteral("0 : Salvataggio Eseguito. Eseguire un Riavvio"));

    const auto scelta = [this] { navigazione_.MostraScelta(); };
    connect(lblState, &EtichettaCliccabile::clicked, this, scelta);
    connect(findChild<QAction*>(QStringLiteral("mmFilNuovo")), &QAction::triggered, this, scelta);
    connect(findChild<QAction*>(QStringLiteral("Esporta1")), &QAction::triggered, this,
            [this] { navigazione_.MostraEsporta(); });
    connect(findChild<QAction*>(QStringLiteral("mmImpConfigurazione")), &QAction::triggered, this,
            [this] { navigazione_.MostraConfigurazione(); });
    connect(findChild<QAction*>(QStringLiteral("Prompt1")), &QAction::triggered, this,
            [this] { navigazione_.MostraPrompt(); });
}

// While connected CONNETTI stays disabled, also when the window is shown again (restored after
// being minimised).
void TfrmMain::Check_CodiceTerminale()
{
    const bool selezionato = MostraSelezione(lblState, stato_, QStringLiteral("SELEZIONARE UN RILEVATORE"));
    btnConnetti->setEnabled(selezionato && !connesso_);
}

void TfrmMain::AbilitaControlli(bool connesso)
{
    connesso_ = connesso;
    btnDisconnetti->setEnabled(connesso);
    btnConnetti->setEnabled(!connesso);
    AbilitaMenu(!connesso);
    abilitaScaricaElimina(false);
    chkDelete->setEnabled(connesso);
    btnSelectAll->setEnabled(connesso);
    btnRefresh->setEnabled(connesso);
    listFilePre->setEnabled(connesso);
    svuotaParametri(connesso);
    btnReboot->setEnabled(connesso);
}

void TfrmMain::ImpostaStato(bool connesso)
{
    ImmagineConnessione(connesso);
    AbilitaControlli(connesso);
}

void TfrmMain::ImmagineConnessione(bool acceso)
{
    const QString file = FileImmagineConnessione(acceso);
    QPixmap immagine;
    if (immagine.load(file))
        imgConnection->setPixmap(immagine);
    else
        qWarning("zentar: the connection picture %s cannot be read", qPrintable(file));
}

void TfrmMain::ScriviConsoleMainErr(const QString& testo) { ConsoleMainErr->setText(testo); }

void TfrmMain::FillCheckList(const QStringList& giorni)
{
    listFilePre->clear();
    for (const QString& giorno : giorni) {
        auto* voce = new QListWidgetItem(giorno);
        voce->setFlags(voce->flags() | Qt::ItemIsUserCheckable);
        voce->setCheckState(Qt::Unchecked);
        listFilePre->addItem(voce);
    }
}

void TfrmMain::DisabilitaScaricaElimina() { abilitaScaricaElimina(false); }

void TfrmMain::ApriCartella()
{
    if (stato_.TerminaleAttivo == 0) {
        dialoghi_.message(MessageKind::Information, QStringLiteral("Selezionare un Rilevatore"), MessageButtons::Ok);
        return;
    }
    if (stato_.TerminaleAttivo > 0 && CreaCartella(stato_.CartellaPRE))
        dialoghi_.showFolder(stato_.CartellaPRE);
}

void TfrmMain::AbilitaMenu(bool acceso)
{
    for (QMenu* menu : {mmFile, imbrature1, mmImpostazioni})
        menu->menuAction()->setEnabled(acceso);
    Exit1->setEnabled(acceso);
}

TfrmMain::~TfrmMain() = default;

QPixmap TfrmMain::Icona() const { return Image1->pixmap(); }

int TfrmMain::ContaSelezionati() const
{
    int spuntati = 0;
    for (int i = 0; i < listFilePre->count(); ++i)
        spuntati += listFilePre->item(i)->checkState() == Qt::Checked ? 1 : 0;
    return spuntati;
}

void TfrmMain::SpuntaTutti(QListWidget& lista, bool spuntato)
{
    for (int i = 0; i < lista.count(); ++i)
        lista.item(i)->setCheckState(spuntato ? Qt::Checked : Qt::Unchecked);
}

void TfrmMain::showEvent(QShowEvent* evento)
{
    QMainWindow::showEvent(evento);
    Check_CodiceTerminale();
}

void TfrmMain::closeEvent(QCloseEvent* evento)
{
    evento->accept();
    navigazione_.Termina();
}

void TfrmMain::abilitaScaricaElimina(bool acceso)
{
    btnScarica->setEnabled(acceso);
    btnDelete->setEnabled(acceso);
}

void TfrmMain::svuotaParametri(bool abilitati)
{
    edtParCod->clear();
    edtParVal->clear();
    edtParCod->setEnabled(abilitati);
    edtParVal->setEnabled(abilitati);
    btnReadPar->setEnabled(false);
    btnWritePar->setEnabled(false);
}

QStringList TfrmMain::giorniSpuntati() const
{
    QStringList giorni;
    for (int i = 0; i < listFilePre->count(); ++i) {
        if (listFilePre->item(i)->checkState() == Qt::Checked)
            giorni << listFilePre->item(i)->text();
    }
    return giorni;
}

void TfrmMain::btnConnettiClick()
{
    listFilePre->clear();
    if (servizi_.connessione.ConnettiTerminale(stato_.CodiceTerminale)) {
        ImpostaStato(true);
        btnConnetti->setEnabled(false);
        servizi_.elenco.AggiornaElenco();
        return;
    }
    // The status line keeps the failing step's message; the disconnect leaves it alone.
    servizi_.connessione.DisconnettiTerminale(stato_.CodiceTerminale);
    dialoghi_.message(MessageKind::Error,
                      QStringLiteral("Connesione Fallita su \" %1 \" ").arg(database_.LeggiDescrizione(stato_.CodiceTerminale)),
                      MessageButtons::Ok);
}

void TfrmMain::btnDisconnettiClick()
{
    if (stato_.TerminaleAttivo != 0)
        servizi_.connessione.DisconnettiTerminale(stato_.TerminaleAttivo);
    listFilePre->clear();
    abilitaScaricaElimina(false);
    edtParCod->clear();
    edtParVal->clear();
    edtParCod->setEnabled(false);
    edtParVal->setEnabled(false);
    btnReadPar->setEnabled(false);
    btnWritePar->setEnabled(false);
}

void TfrmMain::btnSelectAllClick()
{
    if (listFilePre->count() > 0)
        abilitaScaricaElimina(true);
    SpuntaTutti(*listFilePre, true);
}

void TfrmMain::btnRefreshClick()
{
    abilitaScaricaElimina(false);
    servizi_.elenco.AggiornaElenco();
}

void TfrmMain::btnScaricaClick() { servizi_.giorni.Scarica(giorniSpuntati(), chkDelete->isChecked()); }

void TfrmMain::btnDeleteClick() { servizi_.giorni.Elimina(giorniSpuntati()); }

void TfrmMain::btnReadParClick() { parametro_->Leggi(); }

void TfrmMain::btnWriteParClick() { parametro_->Salva(); }

void TfrmMain::btnRebootClick() { servizi_.connessione.InviaComando(QStringLiteral("%%"), true); }

void TfrmMain::Exit1Click()
{
    if (stato_.CodiceTerminale != 0)
        servizi_.connessione.DisconnettiTerminale(stato_.CodiceTerminale);
    navigazione_.Termina();
}

}  // namespace zentar
