#include "TfrmSetupRilevatori.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QTableView>
#include <QVBoxLayout>

#include "Controlli.h"
#include "Errors.h"
#include "Schema.h"

namespace zentar {

namespace {

// The columns the grid shows, with their titles; every other column is hidden.
const QList<std::pair<QString, QString>>& colonneVisibili()
{
    static const QList<std::pair<QString, QString>> colonne{{QStringLiteral("Codice"), QStringLiteral("Codice")},
                                                            {QStringLiteral("Descrizione"), QStringLiteral("Descrizione")},
                                                            {QStringLiteral("Telefono"), QStringLiteral("Num Telefonico")},
                                                            {QStringLiteral("Indiriz_lanbrick"), QStringLiteral("IP del Rilevatore")},
                                                            {QStringLiteral("IPMaster"), QStringLiteral("IP del PC Master")}};
    return colonne;
}

// The values of a new terminal: the boolean columns false, the texts empty, the numbers
// without a value; Age and PercorsoPRE not set.
QSqlRecord rigaNuova(const QSqlTableModel& tabella, int codice)
{
    QSqlRecord riga = tabella.record();
    for (int i = 0; i < riga.count(); ++i) {
        const QString nome = riga.fieldName(i);
        if (nome.compare(QLatin1String("Age"), Qt::CaseInsensitive) == 0 ||
            nome.compare(QLatin1String("PercorsoPRE"), Qt::CaseInsensitive) == 0) {
            riga.setGenerated(i, false);
            continue;
        }
        switch (TipoColonnaRilevatori(nome)) {
        case TipoColonna::Booleano: riga.setValue(i, false); break;
        case TipoColonna::Testo: riga.setValue(i, QString(QLatin1String(""))); break;
        default: riga.setNull(i); break;
        }
        riga.setGenerated(i, true);
    }
    riga.setValue(QStringLiteral("Codice"), codice);
    return riga;
}

}  // namespace

TfrmSetupRilevatori::TfrmSetupRilevatori(TDMDatabase& database, GestoreConnessione& connessione,
                                         LibreriaKavex& kavex, DialogService& dialoghi, Navigazione& navigazione)
    : QWidget(nullptr, kFinestraSenzaPulsanti),
      database_(database),
      connessione_(connessione),
      kavex_(kavex),
      dialoghi_(dialoghi),
      navigazione_(navigazione)
{
    setObjectName(QStringLiteral("frmSetupRilevatori"));
    setWindowTitle(QStringLiteral("Zentar"));
    QSqlTableModel& tabella = *database_.tblRilevatori();

    QLabel* titolo = Etichetta(this, "Label35", QStringLiteral("LISTA   DEI   RILEVATORI"));
    QFont grassetto = titolo->font();
    grassetto.setBold(true);
    grassetto.setPixelSize(16);
    titolo->setFont(grassetto);

    DBGRilevatori = new QTableView(this);
    DBGRilevatori->setObjectName(QStringLiteral("DBGRilevatori"));
    DBGRilevatori->setModel(&tabella);
    DBGRilevatori->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGRilevatori->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGRilevatori->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGRilevatori->verticalHeader()->hide();
    QFont titoli = DBGRilevatori->horizontalHeader()->font();
    titoli.setBold(true);
    DBGRilevatori->horizontalHeader()->setFont(titoli);
    for (int c = 0; c < tabella.columnCount(); ++c)
        DBGRilevatori->setColumnHidden(c, true);
    for (int i = 0; i < colonneVisibili().size(); ++i) {
        const auto& [colonna, intestazione] = colonneVisibili().at(i);
        const int indice = tabella.fieldIndex(colonna);
        tabella.setHeaderData(indice, Qt::Horizontal, intestazione);
        DBGRilevatori->setColumnHidden(indice, false);
        DBGRilevatori->horizontalHeader()->moveSection(DBGRilevatori->horizontalHeader()->visualIndex(indice), i);
    }

    const struct {
        const char* nome;
        const char* testo;
        void (TfrmSetupRilevatori::*gestore)();
    } pulsanti[] = {
        {"BitBtn1", "Nuovo", &TfrmSetupRilevatori::btnNewVRNClick},
        {"BitBtn2", "Modifica", &TfrmSetupRilevatori::bitModificaClick},
        {"BitBtn3", "Copia", &TfrmSetupRilevatori::btnCopyVRNClick},
        {"BitBtn4", "Elimina", &TfrmSetupRilevatori::btnDeleteClick},
        {"BitBtn5", "Test", &TfrmSetupRilevatori::btnRiavvioClick},
        {"BitBtn6", "Esci", &TfrmSetupRilevatori::btnExitClick},
    };
    auto* riga = new QGridLayout;
    int colonna = 0;
    for (const auto& p : pulsanti) {
        QPushButton* b = Pulsante(this, p.nome, QString::fromLatin1(p.testo));
        riga->addWidget(b, 0, colonna++);
        Collega(b, &QPushButton::clicked, this, p.testo, [this, gestore = p.gestore] { (this->*gestore)(); });
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(titolo, 0, Qt::AlignHCenter);
    layout->addWidget(DBGRilevatori, 1);
    layout->addLayout(riga);

    Collega(DBGRilevatori, &QTableView::doubleClicked, this, "Modifica", [this] { bitModificaClick(); });
    connect(DBGRilevatori->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& corrente) {
                if (corrente.isValid() && corrente.row() != database_.RigaCorrente())
                    database_.ImpostaRigaCorrente(corrente.row());
            });
    connect(&database_, &TDMDatabase::rigaCorrenteCambiata, this, [this](int r) { seguiRigaCorrente(r); });

    move(200, 100);
    resize(640, 360);
}

void TfrmSetupRilevatori::seguiRigaCorrente(int riga)
{
    if (riga < 0) {
        DBGRilevatori->clearSelection();
        return;
    }
    if (DBGRilevatori->currentIndex().row() != riga)
        DBGRilevatori->selectRow(riga);
}

// The grid always stands on a terminal when there is one, as the edit window works on it.
void TfrmSetupRilevatori::showEvent(QShowEvent* evento)
{
    QWidget::showEvent(evento);
    if (database_.RigaCorrente() < 0 && database_.tblRilevatori()->rowCount() > 0)
        database_.ImpostaRigaCorrente(0);
    else
        seguiRigaCorrente(database_.RigaCorrente());
}

void TfrmSetupRilevatori::closeEvent(QCloseEvent* evento)
{
    evento->accept();
    navigazione_.MostraPrincipale();
}

void TfrmSetupRilevatori::btnNewVRNClick()
{
    QSqlTableModel& tabella = *database_.tblRilevatori();
    const int codice = database_.ProssimoCodice() + 1;
    navigazione_.MostraModifica();
    if (!tabella.insertRecord(-1, rigaNuova(tabella, codice)))
        throw DatabaseError(QStringLiteral("cannot add the new terminal %1").arg(codice));
    database_.ImpostaRigaCorrente(tabella.rowCount() - 1);
}

void TfrmSetupRilevatori::bitModificaClick() { navigazione_.MostraModifica(); }

void TfrmSetupRilevatori::btnCopyVRNClick()
{
    if (database_.RigaCorrente() < 0)
        return;
    QSqlTableModel& tabella = *database_.tblRilevatori();
    QSqlRecord copia = tabella.record(database_.RigaCorrente());
    copia.setValue(QStringLiteral("Codice"), database_.ProssimoCodice() + 1);
    copia.setValue(QStringLiteral("Descrizione"),
                   QStringLiteral("Copia di ") + copia.value(QStringLiteral("Descrizione")).toString());
    for (int i = 0; i < copia.count(); ++i)
        copia.setGenerated(i, true);
    if (!tabella.insertRecord(-1, copia))
        throw DatabaseError(QStringLiteral("cannot copy the terminal"));
    database_.ApplicaRilevatori();
    ultimaRiga();
}

void TfrmSetupRilevatori::btnDeleteClick()
{
    if (database_.RigaCorrente() < 0)
        return;
    if (dialoghi_.message(MessageKind::Warning, QStringLiteral("Eliminare il Rilevatore ?"),
                          MessageButtons::OkCancel) != Answer::Ok)
        return;
    database_.tblRilevatori()->removeRow(database_.RigaCorrente());
    database_.ApplicaRilevatori();
    if (database_.RigaCorrente() < 0 && database_.tblRilevatori()->rowCount() > 0)
        database_.ImpostaRigaCorrente(0);
}

void TfrmSetupRilevatori::btnRiavvioClick()
{
    const int riga = database_.RigaCorrente();
    const QString primaColonna =
        riga < 0 ? QString() : database_.tblRilevatori()->record(riga).value(QStringLiteral("Codice")).toString();
    if (primaColonna.isEmpty() || primaColonna == QLatin1String("0")) {
        messaggio(QStringLiteral("Selezionare un Terminale"));
        return;
    }
    const int codice = primaColonna.toInt();
    if (!connessione_.ConnettiTerminale(codice)) {
        // The description the edit window shows for the current row.
        const QString descrizione = database_.CampoCorrente(QStringLiteral("Descrizione")).toString();
        messaggio(QStringLiteral("Connesione Fallita su \" %1 \" ").arg(descrizione));
    } else if (connessione_.InviaComando(QStringLiteral("%%"), true)) {
        messaggio(QStringLiteral("Test Eseguito Correttamente"));
        connessione_.DisconnettiTerminale(codice);
    } else {
        messaggio(QStringLiteral("Test Fallito"));
    }
    kavex_.HangUp();
    kavex_.ExitCOMM();
}

void TfrmSetupRilevatori::btnExitClick() { navigazione_.MostraPrincipale(); }

void TfrmSetupRilevatori::messaggio(const QString& testo)
{
    dialoghi_.message(MessageKind::Information, testo, MessageButtons::Ok);
}

void TfrmSetupRilevatori::ultimaRiga()
{
    QSqlTableModel& tabella = *database_.tblRilevatori();
    while (tabella.canFetchMore())
        tabella.fetchMore();
    database_.ImpostaRigaCorrente(tabella.rowCount() - 1);
}

}  // namespace zentar
