// zentar-sync's command line: what each form asks for, and what is refused as bad usage.
#include <gtest/gtest.h>

#include "RigaDiComando.h"

using namespace zentar;

namespace {

std::optional<Richiesta> leggi(const QString& riga, QString* errore = nullptr)
{
    QString e;
    auto r = LeggiRigaDiComando(riga.split(' ', Qt::SkipEmptyParts), e);
    if (errore)
        *errore = e;
    return r;
}

}  // namespace

TEST(RigaDiComando, AcceptedForms)
{
    auto r = leggi("download 3 5 --since 01/12/2026 --delete");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->comando, Sottocomando::Scarica);
    EXPECT_EQ(r->codici, (std::vector<int>{3, 5}));
    EXPECT_EQ(r->dal, QDate(2026, 12, 1));
    EXPECT_TRUE(r->elimina);
    EXPECT_FALSE(r->tutti);

    r = leggi("download --all");
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->tutti);
    EXPECT_TRUE(r->codici.empty());

    r = leggi("export 3 30/12/2019 02/01/2020 /tmp --csv");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->inizio, QDate(2019, 12, 30));
    EXPECT_EQ(r->fine, QDate(2020, 1, 2));
    EXPECT_EQ(r->cartella, "/tmp");
    EXPECT_TRUE(r->csv);

    r = leggi("clock 7 --set");
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->imposta);
    EXPECT_TRUE(leggi("list"));
    EXPECT_TRUE(leggi("days 2"));
}

TEST(RigaDiComando, BadUsageIsRefused)
{
    for (const char* riga : {"", "bogus", "list 3", "days", "days x", "days 0", "download", "download 3 --all",
                             "download 3 --since 31/02/2026", "download 3 --since", "download 3 --bogus",
                             "export 3 01/01/2020 31/12/2019 /tmp", "export 3 01/01/2020 /tmp",
                             "export 3 1/1/20 2/1/20 /tmp", "clock", "clock 3 --now", "clock -3"}) {
        QString errore;
        EXPECT_FALSE(leggi(riga, &errore)) << riga;
        EXPECT_FALSE(errore.isEmpty()) << riga;
    }
}
