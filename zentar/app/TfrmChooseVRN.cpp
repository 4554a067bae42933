#include "TfrmChooseVRN.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QTableView>
#include <QVBoxLayout>

#include "Controlli.h"
#include "PulsantePredefinito.h"
#include "TfrmMain.h"
#include "ZentarApplication.h"

namespace zentar {

namespace {

// Shows only the named columns of the view's table.
void mostraSoloColonne(QTableView& vista, const QSqlTableModel& tabella, const QStringList& colonne)
{
    for (int c = 0; c < tabella.columnCount(); ++c)
        vista.setColumnHidden(c, !colonne.contains(tabella.record().fieldName(c), Qt::CaseInsensitive));
}

}  // namespace

TfrmChooseVRN::TfrmChooseVRN(StatoTerminale& stato, TDMDatabase& database, SelezioneRilevatore& selezione,
                             TfrmMain& frmMain, Navigazione& navigazione)
    : QWidget(nullptr, kFinestraSenzaPulsanti),
      stato_(stato),
      database_(database),
      selezione_(selezione),
      frmMain_(frmMain),
      navigazione_(navigazione)
{
    setObjectName(QStringLiteral("frmChooseVRN"));
    setWindowTitle(QStringLiteral("Zentar"));

    Label2 = new QLabel(QStringLiteral("SELEZIONARE UN RILEVATORE"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    QFont titolo = Label2->font();
    titolo.setBold(true);
    titolo.setPixelSize(16);
    Label2->setFont(titolo);

    lstVRN = new QTableView(this);
    lstVRN->setObjectName(QStringLiteral("lstVRN"));
    lstVRN->setModel(database_.tblRilevatori());
    mostraSoloColonne(*lstVRN, *database_.tblRilevatori(), {QStringLiteral("Codice"), QStringLiteral("Descrizione")});
    lstVRN->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstVRN->setSelectionMode(QAbstractItemView::SingleSelection);
    lstVRN->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstVRN->verticalHeader()->hide();
    lstVRN->horizontalHeader()->setStretchLastSection(true);

    btnAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    btnAnnulla->setObjectName(QStringLiteral("btnAnnulla"));
    btnSeleziona = new QPushButton(QStringLiteral("Seleziona"), this);
    btnSeleziona->setObjectName(QStringLiteral("btnSeleziona"));
    btnSeleziona->setEnabled(false);

    auto* pulsanti = new QHBoxLayout;
    pulsanti->addWidget(btnAnnulla);
    pulsanti->addStretch();
    pulsanti->addWidget(btnSeleziona);
    auto* colonna = new QVBoxLayout(this);
    colonna->addWidget(Label2, 0, Qt::AlignHCenter);
    colonna->addWidget(lstVRN);
    colonna->addLayout(pulsanti);

    connect(lstVRN, &QTableView::clicked, this, [this] { Gestito("lstVRN", [this] { lstVRNClick(); }); });
    connect(lstVRN, &QTableView::doubleClicked, this,
            [this] { Gestito("Seleziona", [this] { btnSelezionaClick(); }); });
    connect(btnSeleziona, &QPushButton::clicked, this,
            [this] { Gestito("Seleziona", [this] { btnSelezionaClick(); }); });
    connect(btnAnnulla, &QPushButton::clicked, this, [this] { btnAnnullaClick(); });
    PulsantePredefinito(*this, *btnSeleziona);

    move(200, 100);
    resize(360, 320);
}

int TfrmChooseVRN::Chiave() const
{
    const QModelIndex corrente = lstVRN->selectionModel()->currentIndex();
    if (!corrente.isValid() || !lstVRN->selectionModel()->isRowSelected(corrente.row(), QModelIndex()))
        return 0;
    return database_.tblRilevatori()->record(corrente.row()).value(QStringLiteral("Codice")).toInt();
}

void TfrmChooseVRN::showEvent(QShowEvent* evento)
{
    QWidget::showEvent(evento);
    Gestito("chooser", [this] { impostaChiave(stato_.CodiceTerminale); });
}

void TfrmChooseVRN::closeEvent(QCloseEvent* evento)
{
    evento->accept();
    btnAnnullaClick();
}

void TfrmChooseVRN::impostaChiave(int codice)
{
    lstVRN->clearSelection();
    if (codice != 0 && database_.VaiAlRilevatore(codice)) {
        lstVRN->selectRow(database_.RigaCorrente());
        return;
    }
    lstVRN->setCurrentIndex(QModelIndex());
    if (database_.tblRilevatori()->rowCount() > 0)
        database_.ImpostaRigaCorrente(0);
}

void TfrmChooseVRN::lstVRNClick()
{
    if (const int riga = lstVRN->currentIndex().row(); riga >= 0)
        database_.ImpostaRigaCorrente(riga);
    btnSeleziona->setEnabled(true);
    btnSeleziona->setFocus();
}

void TfrmChooseVRN::btnSelezionaClick()
{
    if (selezione_.Seleziona(Chiave()) == EsitoSelezione::NessunTerminale)
        return;
    frmMain_.ImpostaStato(false);
    navigazione_.MostraPrincipale();
}

void TfrmChooseVRN::btnAnnullaClick() { navigazione_.MostraPrincipale(); }

}  // namespace zentar
