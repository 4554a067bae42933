// The indicator lamps and the icon as drawn, the files the build leaves in bin/, and what
// cmake --install puts beside the installed programs.
#include <cstdlib>

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "Immagini.h"

using namespace zentar;

namespace {

QGuiApplication& applicazione()
{
    static int argc = 1;
    static char nome[] = "zentar-images-tests";
    static char* argv[] = {nome, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

class Immagini : public ::testing::Test {
protected:
    void SetUp() override { applicazione(); }
};

QColor centro(const QImage& immagine) { return immagine.pixelColor(immagine.width() / 2, immagine.height() / 2); }

bool verde(const QColor& c) { return c.green() > c.red() + 60 && c.green() > c.blue() + 60; }

// The lamps as the main window tells them apart: lit green, unlit dark and not green, both on
// the window's grey, at the indicator's size. JPEG changes colours a little, so the checks
// leave room for it.
void controllaSpia(const QImage& immagine, bool accesa)
{
    ASSERT_FALSE(immagine.isNull());
    EXPECT_EQ(immagine.size(), QSize(kLarghezzaSpia, kAltezzaSpia));
    const QColor vetro = centro(immagine);
    EXPECT_EQ(verde(vetro), accesa) << vetro.name().toStdString();
    if (!accesa) {
        EXPECT_LT(vetro.value(), 160) << vetro.name().toStdString();
        EXPECT_GT(vetro.red(), vetro.green()) << vetro.name().toStdString();
    }
    const QColor angolo = immagine.pixelColor(0, 0);
    EXPECT_NEAR(angolo.red(), 0xd4, 12);
    EXPECT_NEAR(angolo.green(), 0xd0, 12);
    EXPECT_NEAR(angolo.blue(), 0xc8, 12);
}

// A clock face on a transparent ground.
void controllaIcona(const QImage& immagine, int lato)
{
    ASSERT_FALSE(immagine.isNull());
    EXPECT_EQ(immagine.size(), QSize(lato, lato));
    EXPECT_TRUE(immagine.hasAlphaChannel());
    EXPECT_EQ(immagine.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(immagine.pixelColor(0, lato - 1).alpha(), 0);
    const QColor quadrante = immagine.pixelColor(lato * 18 / 64, lato * 18 / 64);
    EXPECT_EQ(quadrante.alpha(), 255);
    EXPECT_GT(quadrante.lightness(), 200) << "the face is light";
}

struct AttesoFile {
    const char* nome;
    QSize dimensione;
};

constexpr AttesoFile kFileAttesi[] = {
    {.nome = "on_.jpg", .dimensione = QSize(kLarghezzaSpia, kAltezzaSpia)},
    {.nome = "off_.jpg", .dimensione = QSize(kLarghezzaSpia, kAltezzaSpia)},
    {.nome = "zentar.png", .dimensione = QSize(16, 16)},
    {.nome = "zentar-64.png", .dimensione = QSize(64, 64)},
};

// images/ with every picture, Timbrature/ and ports/, in `cartella`.
void controllaCartellaProgramma(const QString& cartella)
{
    const QDir programma(cartella);
    for (const AttesoFile& atteso : kFileAttesi) {
        SCOPED_TRACE(atteso.nome);
        const QImage immagine(programma.filePath(QStringLiteral("images/") + atteso.nome));
        ASSERT_FALSE(immagine.isNull());
        EXPECT_EQ(immagine.size(), atteso.dimensione);
    }
    controllaSpia(QImage(programma.filePath("images/on_.jpg")), true);
    controllaSpia(QImage(programma.filePath("images/off_.jpg")), false);
    for (const char* sottocartella : {"Timbrature", "ports"}) {
        SCOPED_TRACE(sottocartella);
        EXPECT_TRUE(QFileInfo(programma.filePath(sottocartella)).isDir());
    }
}

}  // namespace

TEST_F(Immagini, TheLampsAreGreenWhenLitAndDarkWhenNot)
{
    controllaSpia(DisegnaSpia(true), true);
    controllaSpia(DisegnaSpia(false), false);
}

TEST_F(Immagini, TheIconIsAClockFaceAtEverySize)
{
    for (const int lato : {16, 32, 64}) {
        SCOPED_TRACE(lato);
        controllaIcona(DisegnaIcona(lato), lato);
    }
}

TEST_F(Immagini, TheBuildLeavesThePicturesAndTheFolderBesideTheProgram)
{
    controllaCartellaProgramma(QStringLiteral(ZENTAR_BIN_DIR));
    // PNG keeps every pixel: the files are what the program draws now.
    const QImage icona(QStringLiteral(ZENTAR_BIN_DIR "/images/zentar.png"));
    EXPECT_EQ(icona.convertToFormat(QImage::Format_ARGB32), DisegnaIcona(16).convertToFormat(QImage::Format_ARGB32));
}

TEST_F(Immagini, InstallingPutsThePicturesAndAnEmptyFolderBesideThePrograms)
{
    QTemporaryDir prefisso;
    ASSERT_TRUE(prefisso.isValid());
    QProcess cmake;
    cmake.setProcessChannelMode(QProcess::MergedChannels);
    cmake.start(QStringLiteral(CMAKE_COMMAND_PATH),
                {"--install", ZENTAR_BUILD_DIR, "--prefix", prefisso.path(), "--component", "programs"});
    ASSERT_TRUE(cmake.waitForFinished(60'000));
    ASSERT_EQ(cmake.exitCode(), 0) << cmake.readAll().toStdString();
    controllaCartellaProgramma(prefisso.filePath("bin"));
    EXPECT_TRUE(QDir(prefisso.filePath("bin/Timbrature")).isEmpty());
    EXPECT_TRUE(QDir(prefisso.filePath("bin/ports")).isEmpty());
}
