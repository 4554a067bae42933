#include "Immagini.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace zentar {

namespace {

// The window face the indicator sits on.
const QColor kFondoFinestra(0xd4, 0xd0, 0xc8);

// The icon is drawn on a grid of this many units a side and scaled to the size asked for.
constexpr qreal kUnitaIcona = 64.0;

struct ColoriLampada {
    QColor riflesso;  // the glass where the light falls
    QColor centro;
    QColor bordo;
};

constexpr ColoriLampada kAccesa{.riflesso = QColor(0xe8, 0xff, 0xd0), .centro = QColor(0x3c, 0xd0, 0x1e),
                                .bordo = QColor(0x0a, 0x6a, 0x0a)};
constexpr ColoriLampada kSpenta{.riflesso = QColor(0xb8, 0x8c, 0x8c), .centro = QColor(0x6e, 0x30, 0x30),
                                .bordo = QColor(0x34, 0x14, 0x14)};

void disegnaGhiera(QPainter& p, const QPointF& centro, qreal raggio)
{
    QLinearGradient metallo(centro.x(), centro.y() - raggio, centro.x(), centro.y() + raggio);
    metallo.setColorAt(0.0, QColor(0x5a, 0x5a, 0x5a));
    metallo.setColorAt(1.0, QColor(0xb4, 0xb4, 0xb4));
    p.setPen(Qt::NoPen);
    p.setBrush(metallo);
    p.drawEllipse(centro, raggio, raggio);
}

void disegnaVetro(QPainter& p, const QPointF& centro, qreal raggio, const ColoriLampada& colori)
{
    // The light comes from the upper left.
    QRadialGradient luce(centro, raggio, centro - QPointF(raggio * 0.35, raggio * 0.4));
    luce.setColorAt(0.0, colori.riflesso);
    luce.setColorAt(0.45, colori.centro);
    luce.setColorAt(1.0, colori.bordo);
    p.setBrush(luce);
    p.drawEllipse(centro, raggio, raggio);
}

void disegnaQuadrante(QPainter& p)
{
    const QPointF centro(28, 28);
    p.setPen(QPen(QColor(0x1f, 0x4f, 0x96), 5));
    p.setBrush(QColor(0xfb, 0xfb, 0xf6));
    p.drawEllipse(centro, 24, 24);

    // Ticks at 12, 3, 6 and 9.
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 3.5, Qt::SolidLine, Qt::RoundCap));
    for (int quarto = 0; quarto < 4; ++quarto) {
        p.save();
        p.translate(centro);
        p.rotate(90.0 * quarto);
        p.drawLine(QPointF(0, -19), QPointF(0, -14));
        p.restore();
    }

    // Eight o'clock and a quarter: the start of the working day.
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centro, QPointF(centro.x() - 10, centro.y() + 5));
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centro, QPointF(centro.x() + 17, centro.y()));
}

void disegnaCartellino(QPainter& p)
{
    const QRectF carta(34, 38, 28, 22);
    p.setPen(QPen(QColor(0x7a, 0x4a, 0x00), 2.5));
    p.setBrush(QColor(0xf5, 0xb0, 0x2a));
    p.drawRoundedRect(carta, 4, 4);
    // The magnetic stripe.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3a, 0x2a, 0x10));
    p.drawRect(QRectF(carta.left() + 1.5, carta.top() + 5, carta.width() - 3, 5));
}

}  // namespace

QImage DisegnaSpia(bool accesa)
{
    QImage immagine(kLarghezzaSpia, kAltezzaSpia, QImage::Format_RGB32);
    immagine.fill(kFondoFinestra);
    QPainter p(&immagine);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centro(kLarghezzaSpia / 2.0, kAltezzaSpia / 2.0);
    const qreal raggio = (qMin(kLarghezzaSpia, kAltezzaSpia) - 3) / 2.0;
    disegnaGhiera(p, centro, raggio);
    disegnaVetro(p, centro, raggio - 2, accesa ? kAccesa : kSpenta);
    return immagine;
}

QImage DisegnaIcona(int lato)
{
    QImage immagine(lato, lato, QImage::Format_ARGB32_Premultiplied);
    immagine.fill(Qt::transparent);
    QPainter p(&immagine);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(lato / kUnitaIcona, lato / kUnitaIcona);
    disegnaQuadrante(p);
    disegnaCartellino(p);
    return immagine;
}

std::vector<FileImmagine> ImmaginiDelProgramma()
{
    return {
        {.nome = QStringLiteral("on_.jpg"), .immagine = DisegnaSpia(true), .formato = "JPG", .qualita = 95},
        {.nome = QStringLiteral("off_.jpg"), .immagine = DisegnaSpia(false), .formato = "JPG", .qualita = 95},
        {.nome = QStringLiteral("zentar.png"), .immagine = DisegnaIcona(16), .formato = "PNG", .qualita = -1},
        {.nome = QStringLiteral("zentar-64.png"), .immagine = DisegnaIcona(64), .formato = "PNG", .qualita = -1},
    };
}

}  // namespace zentar
