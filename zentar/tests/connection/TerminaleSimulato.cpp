#include "TerminaleSimulato.h"

#include <QDir>
#include <QSqlTableModel>

#include "TerminalSelection.h"

using namespace zentar;

void TerminaleSimulato::SetUp()
{
    DatabaseTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
        return;
    ASSERT_TRUE(QDir(programFolder.path()).mkdir("Timbrature"));
    tempiBrevi();
    servizi = std::make_unique<ServiziTerminale>(*db, *stato, kavex, viste, viste, dialogs, orologio,
                                                 [this](const QString&) { return indirizzoLocale; });
    connessione = &servizi->connessione;
}

void TerminaleSimulato::TearDown()
{
    fermaDispositivi();
    connessione = nullptr;
    servizi.reset();
    DatabaseTest::TearDown();
}

void TerminaleSimulato::registra(int codice, const Colonne& colonne)
{
    ASSERT_TRUE(db->tblRilevatori()->insertRecord(-1, rigaRilevatore(*db, codice, colonne)));
    db->ApplicaRilevatori();
    ASSERT_EQ(SelezionaTerminale(*db, *stato, codice), EsitoSelezione::Selezionato);
}
