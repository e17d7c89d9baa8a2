#include "ui/pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace velmorane::ui {
namespace {

// Colours of the classic sixteen-colour palette, which both pictures keep to.
const QColor kBlack(0, 0, 0);
const QColor kNavy(0, 0, 128);
const QColor kYellow(255, 255, 0);
const QColor kOlive(128, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kLime(0, 255, 0);
const QColor kWhite(255, 255, 255);

}  // namespace

// Two folders side by side with an arrow from the left one to the right one: a mirror.
void paintWindowIcon(QPainter& p)
{
    const auto folder = [&](qreal x, qreal y) {
        p.setPen(QPen(kOlive, 1));
        p.setBrush(kYellow);
        p.drawRect(QRectF(x, y, 13, 10));
        p.drawRect(QRectF(x, y - 2, 6, 2));
    };
    folder(1.5, 5.5);
    folder(17.5, 16.5);
    p.setPen(QPen(kNavy, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath arrow;
    arrow.moveTo(8, 17);
    arrow.cubicTo(8, 26, 12, 28, 16, 28);
    p.drawPath(arrow);
    p.setBrush(kNavy);
    p.drawPolygon(QPolygonF({QPointF(14, 24.5), QPointF(18.5, 28), QPointF(14, 31)}));
}

QPixmap windowIconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.scale(size / 32.0, size / 32.0);
    paintWindowIcon(p);
    return pixmap;
}

QIcon windowIcon()
{
    QIcon icon;
    icon.addPixmap(windowIconPixmap(32));
    icon.addPixmap(windowIconPixmap(16));
    return icon;
}

// A small green dinosaur with a cat's ears and whiskers, looking at the folder list.
QPixmap chatRexPicture()
{
    QPixmap pixmap(67, 51);
    pixmap.fill(kWhite);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kBlack, 1));
    p.setBrush(kGreen);
    // tail and body
    p.drawPolygon(QPolygon({QPoint(2, 38), QPoint(22, 28), QPoint(26, 40)}));
    p.drawEllipse(QRect(18, 22, 26, 20));
    // legs
    p.drawRect(QRect(23, 38, 5, 10));
    p.drawRect(QRect(34, 38, 5, 10));
    // neck and head
    p.drawPolygon(QPolygon({QPoint(34, 26), QPoint(42, 12), QPoint(48, 16), QPoint(42, 30)}));
    p.setBrush(kLime);
    p.drawEllipse(QRect(40, 4, 22, 16));
    // cat's ears
    p.setBrush(kGreen);
    p.drawPolygon(QPolygon({QPoint(43, 7), QPoint(45, 0), QPoint(49, 5)}));
    p.drawPolygon(QPolygon({QPoint(53, 5), QPoint(57, 0), QPoint(58, 8)}));
    // eye, whiskers, small arm
    p.setBrush(kBlack);
    p.drawRect(QRect(53, 9, 2, 2));
    p.setPen(QPen(kBlack, 1));
    p.drawLine(58, 15, 66, 13);
    p.drawLine(58, 16, 66, 17);
    p.setPen(QPen(kRed, 1));
    p.drawLine(60, 12, 62, 12);
    p.setPen(QPen(kBlack, 1));
    p.setBrush(kGreen);
    p.drawRect(QRect(42, 30, 7, 3));
    return pixmap;
}

}  // namespace velmorane::ui
