#pragma once
// The whole program as it starts (data module, then windows) on an embedded database in a
// temporary program folder, with scripted message boxes and the real libkavex.so noted by
// KavexRegistrata, driven through the real widgets found by object name. The working folder
// holds images/on_.jpg and images/off_.jpg of two plain colours, so that the indicator can be
// read back.

#include <memory>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "Clock.h"
#include "DispositiviSimulati.h"
#include "Finestre.h"
#include "Registratori.h"
#include "ScriptedDialogs.h"
#include "TfrmChooseVRN.h"
#include "TfrmMain.h"
#include "TurnoPostgreSQL.h"

class FinestreSimulate : public ::testing::Test, public DispositiviSimulati {
protected:
    void SetUp() override;
    void TearDown() override;

    // Registers terminal `codice` (layout of the simulated punch lines, then `colonne`).
    void registra(int codice, const Colonne& colonne);
    // Selects terminal `codice` as the operator does: the state line, a click on its row of the
    // chooser, "Seleziona".
    void scegli(int codice);
    // A terminal on a direct RS232 line holding `files`, registered as `codice`, selected and
    // connected through "CONNETTI"; the calls and messages so far forgotten.
    void collegatoSuLinea(const sim::DriveFiles& files, int codice = 3);

    // A control of a window by object name; fails the test when there is none.
    template <typename T>
    T* in(QWidget& finestra, const char* nome)
    {
        T* w = finestra.findChild<T*>(QString::fromLatin1(nome));
        EXPECT_NE(w, nullptr) << nome;
        return w;
    }
    template <typename T>
    T* principale(const char* nome)
    {
        return in<T>(frmMain(), nome);
    }
    // A left click, as the operator gives it: nothing happens on a disabled control.
    static void clic(QWidget* controllo);
    void clic(const char* nomePrincipale) { clic(principale<QWidget>(nomePrincipale)); }
    // Whether the main window's control is enabled.
    bool abilitato(const char* nome) { return principale<QWidget>(nome)->isEnabled(); }
    QString testo(const char* nome) { return principale<QLineEdit>(nome)->text(); }

    zentar::TfrmMain& frmMain() { return finestre->frmMain(); }
    zentar::TfrmChooseVRN& frmChooseVRN() { return finestre->frmChooseVRN(); }
    zentar::TDMDatabase& db() { return finestre->Database(); }
    zentar::StatoTerminale& stato() { return finestre->Stato(); }

    // The colour at the centre of the connection indicator.
    QColor coloreIndicatore();
    static const QColor kAcceso;
    static const QColor kSpento;

    QTemporaryDir cartella;  // the program folder and the working folder
    ScriptedDialogs dialogs;
    KavexRegistrata kavex;
    zentar::FixedClock orologio{QDate(2015, 12, 31)};
    int terminazioni = 0;  // how often the program was ended
    std::unique_ptr<zentar::Finestre> finestre;

private:
    QString cartellaPrecedente_;
    std::unique_ptr<TurnoPostgreSQL> turno_;  // on PostgreSQL: this test's turn on the data source
};
