// The console's tab "Gestione File" on a terminal on a direct line: the files of each drive,
// a file received into a local file, deleted after the question, and a local file loaded and
// sent under the name before its first dot.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

#include "ConsoleSimulata.h"

using namespace zentar;

namespace {

const QString kFiltro = QStringLiteral("Tutti i File |*.*|File di Testo|*.txt");

// Drive A holds two files besides the configuration, drive B one, drive C none.
sim::TerminalConfig terminaleConTreUnita()
{
    sim::TerminalConfig config = terminaleCon({{"NOTE", {"uno", "due"}}, {"PRE51231", {"0815300000012340"}}});
    config.files['B'] = {{"CARDS", {"00001234"}}};
    return config;
}

QByteArray contenuto(const QString& percorso)
{
    QFile file(percorso);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

}  // namespace

class ConsoleFile : public ConsoleSimulata {
protected:
    void SetUp() override
    {
        ConsoleSimulata::SetUp();
        if (!HasFatalFailure())
            collegatoInConsole(terminaleConTreUnita(), "TabSheet3");
    }

    QListWidget& lista() { return *console<QListWidget>("ListFile"); }
    QStringList elenco()
    {
        QStringList nomi;
        for (int i = 0; i < lista().count(); ++i)
            nomi << lista().item(i)->text();
        return nomi;
    }
    // Lists drive A and clicks the line of `nome`.
    void scegliFile(const QString& nome)
    {
        premi("btnListFile");
        const QList<QListWidgetItem*> trovati = lista().findItems(nome, Qt::MatchExactly);
        ASSERT_EQ(trovati.size(), 1) << nome.toStdString();
        QTest::mouseClick(lista().viewport(), Qt::LeftButton, {}, lista().visualItemRect(trovati.front()).center());
        ASSERT_EQ(campo("fileVRN")->text(), nome);
        kavex.chiamate.clear();
    }
    // A local file in the program folder.
    QString fileLocale(const QString& nome, const QByteArray& testo)
    {
        const QString percorso = QDir(cartella.path()).filePath(nome);
        QFile file(percorso);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(testo);
        return percorso;
    }
};

TEST_F(ConsoleFile, TheListShowsTheFilesOfTheChosenDrive)
{
    premi("btnListFile");
    EXPECT_EQ(kavex.chiamate, QStringList{"ListFiles "}) << "an empty mask";
    EXPECT_EQ(elenco(), QStringList({"CFGS", "NOTE", "PRE51231"}));

    const struct {
        const char* voce;
        QStringList file;
    } unita[] = {{"rgDriveB", {"CARDS", "CFGS"}}, {"rgDriveC", {"CFGS"}}, {"rgDriveA", {"CFGS", "NOTE", "PRE51231"}}};
    for (const auto& u : unita) {
        SCOPED_TRACE(u.voce);
        kavex.chiamate.clear();
        console<QRadioButton>(u.voce)->click();
        EXPECT_TRUE(console<QRadioButton>(u.voce)->isChecked());
        const QString lettera = QString::fromLatin1(u.voce).right(1);
        EXPECT_EQ(kavex.chiamate, QStringList({"ChgDrv " + lettera, "ListFiles "}));
        EXPECT_EQ(QString(QChar::fromLatin1(terminale().currentDrive())), lettera);
        EXPECT_EQ(elenco(), u.file);
    }

    // A listing that fails empties the list without a message.
    terminale().setFaults({.silent = true});
    premi("btnListFile");
    EXPECT_EQ(elenco(), QStringList());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ConsoleFile, RiceviAndCancellaFollowTheChosenFile)
{
    scegliFile("NOTE");
    const QPoint vuoto(5, lista().viewport()->height() - 5);
    ASSERT_EQ(lista().itemAt(vuoto), nullptr);
    QTest::mouseClick(lista().viewport(), Qt::LeftButton, {}, vuoto);
    EXPECT_EQ(campo("fileVRN")->text(), "NOTE") << "a click that selects no line changes nothing";
    EXPECT_TRUE(attivo("btnRecive"));
    EXPECT_TRUE(attivo("btnDelete"));
    campo("fileVRN")->clear();
    EXPECT_FALSE(attivo("btnRecive"));
    EXPECT_FALSE(attivo("btnDelete"));
}

TEST_F(ConsoleFile, RiceviAsksWhereAndReceivesTheFile)
{
    scegliFile("NOTE");
    const QString percorso = QDir(cartella.path()).filePath("ricevuto.txt");
    dialogs.fileAnswers = {percorso};
    dialogs.answers = {Answer::Ok};

    premi("btnRecive");

    ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
    const ScriptedDialogs::FileDialog& chiesto = dialogs.fileDialogs.front();
    EXPECT_TRUE(chiesto.save);
    EXPECT_EQ(chiesto.title, "Salvataggio File da VRN");
    EXPECT_EQ(chiesto.proposedName, "NOTE");
    EXPECT_EQ(chiesto.filter, kFiltro);
    EXPECT_EQ(chiesto.selectedFilter, 0);
    EXPECT_EQ(kavex.chiamate, QStringList{"RecvFile NOTE"});
    EXPECT_EQ(dialogs.texts(), QStringList{"Download Completato"});
    EXPECT_EQ(contenuto(percorso), QByteArray("uno\r\ndue\r\n"));
}

TEST_F(ConsoleFile, RiceviCancelledReceivesNothingAndAMissingFileFailsAfterThreeAttempts)
{
    scegliFile("NOTE");
    dialogs.fileAnswers = {std::nullopt};
    premi("btnRecive");
    EXPECT_EQ(dialogs.fileDialogs.size(), 1u);
    EXPECT_TRUE(kavex.chiamate.isEmpty());
    EXPECT_TRUE(dialogs.shown.empty());

    terminale().command("@DEL NOTE");
    dialogs.fileAnswers = {QDir(cartella.path()).filePath("ricevuto.txt")};
    dialogs.answers = {Answer::Ok};
    premi("btnRecive");
    EXPECT_EQ(kavex.chiamate, QStringList(3, "RecvFile NOTE"));
    EXPECT_EQ(dialogs.texts(), QStringList{"Download Fallito"});
}

TEST_F(ConsoleFile, CancellaAsksThenDeletesAndListsAgain)
{
    scegliFile("NOTE");
    dialogs.answers = {Answer::Cancel};
    premi("btnDelete");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown.front().kind, MessageKind::Warning);
    EXPECT_EQ(dialogs.shown.front().text, "Procedere con la cancellazione del File ?");
    EXPECT_EQ(dialogs.shown.front().buttons, MessageButtons::OkCancel);
    EXPECT_TRUE(kavex.chiamate.isEmpty());
    EXPECT_TRUE(terminale().file('A', "NOTE").has_value());

    dialogs.shown.clear();
    dialogs.answers = {Answer::Ok, Answer::Ok};
    premi("btnDelete");
    EXPECT_EQ(dialogs.texts(), QStringList({"Procedere con la cancellazione del File ?", "File Cancellato"}));
    EXPECT_EQ(kavex.chiamate, QStringList({"DeleFile NOTE", "ListFiles "}));
    EXPECT_FALSE(terminale().file('A', "NOTE").has_value());
    EXPECT_EQ(elenco(), QStringList({"CFGS", "PRE51231"}));
}

TEST_F(ConsoleFile, ADeletionTheTerminalRefusesIsReportedAndTheListStays)
{
    scegliFile("NOTE");
    terminale().command("@DEL NOTE");
    dialogs.answers = {Answer::Ok, Answer::Ok};
    premi("btnDelete");
    EXPECT_EQ(dialogs.texts(), QStringList({"Procedere con la cancellazione del File ?", "Cancellazione Fallita"}));
    EXPECT_EQ(kavex.chiamate, QStringList{"DeleFile NOTE"});
    EXPECT_EQ(elenco(), QStringList({"CFGS", "NOTE", "PRE51231"}));
}

TEST_F(ConsoleFile, ALoadedLocalFileIsSentUnderItsNameBeforeTheFirstDot)
{
    const struct {
        const char* locale;
        const char* rinominato;  // typed into fileLCL after loading, or null
        const char* mostrato;
        const char* sulTerminale;
        const char* esito;
    } casi[] = {
        {"prog.bin", nullptr, "PROG.BIN", "PROG", "File Caricato Correttamente"},
        {"dati.2024.txt", nullptr, "DATI.2024.TXT", "DATI", "File Caricato Correttamente"},
        {"prog.bin", "altro.txt", "ALTRO.TXT", "ALTRO", "File Caricato Correttamente"},
        {"readme", nullptr, "README", "", "Invio del File Fallito"},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(std::string(caso.locale) + (caso.rinominato ? std::string(" as ") + caso.rinominato : ""));
        const QString percorso = fileLocale(caso.locale, "riga uno\r\nriga due\r\n");
        dialogs.fileDialogs.clear();
        dialogs.fileAnswers = {percorso};
        premi("btnLoad");
        ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
        EXPECT_FALSE(dialogs.fileDialogs.front().save);
        EXPECT_EQ(dialogs.fileDialogs.front().filter, kFiltro);
        EXPECT_EQ(dialogs.fileDialogs.front().selectedFilter, 1) << "text files";
        EXPECT_EQ(console<QLabel>("lblDirLoad")->text(), percorso);
        if (caso.rinominato)
            campo("fileLCL")->setText(caso.rinominato);
        EXPECT_EQ(campo("fileLCL")->text(), caso.mostrato);

        dialogs.shown.clear();
        dialogs.answers = {Answer::Ok};
        kavex.chiamate.clear();
        premi("btnSend");

        EXPECT_EQ(kavex.chiamate,
                  QStringList({QStringLiteral("SendFile %1 %2 0 0").arg(percorso, caso.sulTerminale), "ListFiles "}));
        EXPECT_EQ(dialogs.texts(), QStringList{caso.esito});
        if (*caso.sulTerminale) {
            EXPECT_EQ(terminale().file('A', caso.sulTerminale), (sim::Records{"riga uno", "riga due"}));
            EXPECT_TRUE(elenco().contains(caso.sulTerminale)) << "the list is asked again";
        }
    }
    EXPECT_FALSE(console<QLabel>("lblDirLoad")->isVisible());
}

TEST_F(ConsoleFile, CaricaCancelledKeepsTheLoadedFile)
{
    const QString percorso = fileLocale("prog.bin", "x\r\n");
    dialogs.fileAnswers = {percorso, std::nullopt};
    premi("btnLoad");
    premi("btnLoad");
    EXPECT_EQ(dialogs.fileDialogs.size(), 2u);
    EXPECT_EQ(campo("fileLCL")->text(), "PROG.BIN");
    EXPECT_EQ(console<QLabel>("lblDirLoad")->text(), percorso);
}
