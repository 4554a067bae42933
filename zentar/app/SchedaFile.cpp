#include "SchedaFile.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "Controlli.h"
#include "OperazioniConsole.h"

namespace zentar {

namespace {

const char* const kUnita[] = {"A", "B", "C"};

QLineEdit* campoMaiuscolo(QWidget* genitore, const char* nome)
{
    QLineEdit* campo = Campo(genitore, nome);
    ForzaMaiuscolo(campo);
    return campo;
}

}  // namespace

QString SchedaFile::Filtro() { return QStringLiteral("Tutti i File |*.*|File di Testo|*.txt"); }

SchedaFile::SchedaFile(ContestoConsole contesto, QWidget* genitore) : QWidget(genitore), contesto_(contesto)
{
    setObjectName(QStringLiteral("TabSheet3"));
    btnListFile = Pulsante(this, "btnListFile", QStringLiteral("Lista dei File"));
    btnListFile->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
    ListFile = new QListWidget(this);
    ListFile->setObjectName(QStringLiteral("ListFile"));

    auto* gruppoUnita = new QGroupBox(QStringLiteral(" Drive "), this);
    gruppoUnita->setObjectName(QStringLiteral("rgDrive"));
    rgDrive = new QButtonGroup(this);
    auto* righeUnita = new QHBoxLayout(gruppoUnita);
    for (int i = 0; i < 3; ++i) {
        auto* voce = new QRadioButton(QString::fromLatin1(kUnita[i]), gruppoUnita);
        voce->setObjectName(QStringLiteral("rgDrive") + QString::fromLatin1(kUnita[i]));
        rgDrive->addButton(voce, i);
        righeUnita->addWidget(voce);
    }
    rgDrive->button(0)->setChecked(true);

    auto* sinistra = new QVBoxLayout;
    sinistra->addWidget(Etichetta(this, "lblElencoFile", QStringLiteral("Elenco dei File")));
    sinistra->addWidget(ListFile, 1);
    sinistra->addWidget(btnListFile);
    auto* destra = new QVBoxLayout;
    destra->addWidget(gruppoUnita);
    destra->addWidget(creaGruppoTerminale());
    destra->addWidget(creaGruppoLocale());
    destra->addStretch();
    auto* colonne = new QHBoxLayout(this);
    colonne->addLayout(sinistra, 1);
    colonne->addLayout(destra, 1);

    Collega(btnListFile, &QPushButton::clicked, this, "Lista dei File", [this] { btnListFileClick(); });
    connect(ListFile, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* voce) { fileVRN->setText(voce->text()); });
    connect(rgDrive, &QButtonGroup::idClicked, this,
            [this](int unita) { Gestito("Drive", [this, unita] { rgDriveClick(unita); }); });
    connect(fileVRN, &QLineEdit::textChanged, this, [this](const QString& testo) {
        btnRecive->setEnabled(!testo.isEmpty());
        btnDelete->setEnabled(!testo.isEmpty());
    });
    Collega(btnRecive, &QPushButton::clicked, this, "Ricevi", [this] { btnReciveClick(); });
    Collega(btnDelete, &QPushButton::clicked, this, "Cancella", [this] { btnDeleteClick(); });
    Collega(btnLoad, &QPushButton::clicked, this, "Carica", [this] { btnLoadClick(); });
    Collega(btnSend, &QPushButton::clicked, this, "Invia", [this] { btnSendClick(); });
}

QWidget* SchedaFile::creaGruppoTerminale()
{
    auto* gruppo = new QGroupBox(QStringLiteral(" File su Terminale "), this);
    gruppo->setObjectName(QStringLiteral("gbOperazioniFile"));
    fileVRN = campoMaiuscolo(gruppo, "fileVRN");
    fileVRN->setReadOnly(true);
    btnRecive = Pulsante(gruppo, "btnRecive", QStringLiteral("Ricevi"));
    btnRecive->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    btnDelete = Pulsante(gruppo, "btnDelete", QStringLiteral("Cancella"));
    btnDelete->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    auto* griglia = new QGridLayout(gruppo);
    griglia->addWidget(fileVRN, 0, 0, 1, 2);
    griglia->addWidget(btnRecive, 1, 0);
    griglia->addWidget(btnDelete, 1, 1);
    return gruppo;
}

QWidget* SchedaFile::creaGruppoLocale()
{
    auto* gruppo = new QGroupBox(QStringLiteral(" File in Locale"), this);
    gruppo->setObjectName(QStringLiteral("GroupBox2"));
    fileLCL = campoMaiuscolo(gruppo, "fileLCL");
    lblDirLoad = Etichetta(gruppo, "lblDirLoad", QString());
    lblDirLoad->hide();
    btnLoad = Pulsante(gruppo, "btnLoad", QStringLiteral("Carica"));
    btnLoad->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    btnSend = Pulsante(gruppo, "btnSend", QStringLiteral("Invia"));
    btnSend->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    auto* griglia = new QGridLayout(gruppo);
    griglia->addWidget(fileLCL, 0, 0, 1, 2);
    griglia->addWidget(btnLoad, 1, 0);
    griglia->addWidget(btnSend, 1, 1);
    griglia->addWidget(lblDirLoad, 2, 0, 1, 2);
    return gruppo;
}

void SchedaFile::btnListFileClick()
{
    ListFile->clear();
    QByteArray elenco;
    const int32_t voci = contesto_.kavex.ListFiles(QString(), elenco);
    if (voci <= 0)
        return;
    ListFile->addItems(NomiDellElenco(elenco.constData(), static_cast<std::size_t>(elenco.size()), voci));
}

void SchedaFile::rgDriveClick(int unita)
{
    contesto_.kavex.ChgDrv(QString::fromLatin1(kUnita[unita]));
    btnListFileClick();
}

void SchedaFile::btnReciveClick()
{
    const std::optional<QString> percorso =
        contesto_.dialoghi.chooseFileToSave(QStringLiteral("Salvataggio File da VRN"), fileVRN->text(), Filtro(), 0);
    if (!percorso)
        return;
    messaggio(contesto_.servizi.scarico.RiceviFile(fileVRN->text(), *percorso) ? QStringLiteral("Download Completato")
                                                                                : QStringLiteral("Download Fallito"));
}

void SchedaFile::btnDeleteClick()
{
    if (contesto_.dialoghi.message(MessageKind::Warning, QStringLiteral("Procedere con la cancellazione del File ?"),
                                   MessageButtons::OkCancel) != Answer::Ok)
        return;
    if (contesto_.servizi.scarico.EliminaFilePRE(fileVRN->text())) {
        messaggio(QStringLiteral("File Cancellato"));
        btnListFileClick();
    } else {
        messaggio(QStringLiteral("Cancellazione Fallita"));
    }
}

void SchedaFile::btnLoadClick()
{
    const std::optional<QString> percorso = contesto_.dialoghi.chooseFileToOpen(Filtro(), 1);
    if (!percorso)
        return;
    fileLCL->setText(QFileInfo(*percorso).fileName());
    lblDirLoad->setText(*percorso);
}

void SchedaFile::btnSendClick()
{
    const int32_t risultato =
        contesto_.kavex.SendFile(lblDirLoad->text(), NomeSulTerminale(fileLCL->text()), 0, 0);
    messaggio(risultato < 0 ? QStringLiteral("Invio del File Fallito") : QStringLiteral("File Caricato Correttamente"));
    btnListFileClick();
}

void SchedaFile::messaggio(const QString& testo)
{
    contesto_.dialoghi.message(MessageKind::Information, testo, MessageButtons::Ok);
}

}  // namespace zentar
