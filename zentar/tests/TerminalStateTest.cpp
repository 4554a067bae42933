#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "QtPrinters.h"
#include "TerminalState.h"

using namespace zentar;

TEST(TerminalState, StartsWithNoTerminalSelected)
{
    const StatoTerminale stato("/opt/zentar");
    EXPECT_EQ(stato.CodiceTerminale, 0);
    EXPECT_EQ(stato.TerminaleAttivo, 0);
    EXPECT_EQ(stato.DescrizioneTerminale, "");
    EXPECT_EQ(stato.CartellaPRE, "");
}

TEST(TerminalState, DestinationIsPercorsoPREOrTheTerminalsFolderUnderTimbrature)
{
    const StatoTerminale stato("/opt/zentar");
    EXPECT_EQ(stato.CartellaDestinazione("", 3), QDir::toNativeSeparators("/opt/zentar/Timbrature/3"));
    EXPECT_EQ(stato.CartellaDestinazione("/srv/punches/north", 3), "/srv/punches/north");
    EXPECT_EQ(StatoTerminale("/opt/zentar/").CartellaDestinazione("", 12),
              QDir::toNativeSeparators("/opt/zentar/Timbrature/12"));
}

TEST(TerminalState, CreaCartellaMakesOneLevelOnly)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString child = root.filePath("Timbrature");
    EXPECT_TRUE(CreaCartella(child));
    EXPECT_TRUE(QDir(child).exists());
    EXPECT_TRUE(CreaCartella(child)) << "an existing folder is fine";

    const QString grandchild = root.filePath("missing/12");
    EXPECT_FALSE(CreaCartella(grandchild));
    EXPECT_FALSE(QDir(root.filePath("missing")).exists());

    QFile file(root.filePath("plain-file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(CreaCartella(file.fileName())) << "a file is not a folder";
    EXPECT_FALSE(CreaCartella(""));
}

TEST(TerminalState, IsNumeroWantsDigitsOnly)
{
    const struct {
        QString text;
        bool expected;
    } cases[] = {
        {"0123", true}, {"", true}, {"7", true}, {"12a", false}, {"-5", false}, {" 5", false}, {"1.5", false},
        {QString::fromUtf8("\u0663"), false},  // an Arabic-Indic digit is no decimal digit here
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsNumero(c.text), c.expected) << c.text.toStdString();
}
