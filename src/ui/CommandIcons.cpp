#include "ui/CommandIcons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <functional>

#include "render/CommandIds.h"
#include "ui/CommandTable.h"

// Icons are painted on a 24 x 24 grid and rendered at every size the toolbars
// and menus ask for, so they stay sharp without image files.
namespace {
const QColor kInk(40, 44, 52);
const QColor kPaper(250, 250, 246);
const QColor kBlue(52, 110, 200);
const QColor kRed(205, 55, 50);
const QColor kGreen(45, 150, 70);
const QColor kGold(235, 180, 40);
const QColor kGrey(150, 155, 165);

QPen Pen(const QColor& color, qreal width = 1.6) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& color, qreal width = 1.8) {
    p.setPen(Pen(color, width));
    p.drawLine(from, to);
    const QPointF d = to - from;
    const qreal length = std::hypot(d.x(), d.y());
    if (length <= 0) {
        return;
    }
    const QPointF u = d / length;
    const QPointF n(-u.y(), u.x());
    const qreal head = 3.5;
    QPainterPath path;
    path.moveTo(to);
    path.lineTo(to - u * head + n * head * 0.8);
    path.lineTo(to - u * head - n * head * 0.8);
    path.closeSubpath();
    p.setBrush(color);
    p.drawPath(path);
    p.setBrush(Qt::NoBrush);
}

void Page(QPainter& p, QRectF r) {
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - 4, r.top());
    path.lineTo(r.right(), r.top() + 4);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(Pen(kInk, 1.3));
    p.setBrush(kPaper);
    p.drawPath(path);
    p.setBrush(Qt::NoBrush);
}

// A cube seen from above and to the right, the program's picture of "an object".
void Cube(QPainter& p, QPointF c, qreal s, const QColor& top, const QColor& left, const QColor& right,
          bool filled = true) {
    const QPointF a = c + QPointF(0, -s);
    const QPointF b = c + QPointF(s * 0.87, -s * 0.5);
    const QPointF d = c + QPointF(-s * 0.87, -s * 0.5);
    const QPointF e = c + QPointF(0, s);
    const QPointF f = c + QPointF(s * 0.87, s * 0.5);
    const QPointF g = c + QPointF(-s * 0.87, s * 0.5);
    p.setPen(Pen(kInk, 1.2));
    const QPointF topFace[] = {a, b, c, d};
    const QPointF leftFace[] = {d, c, e, g};
    const QPointF rightFace[] = {c, b, f, e};
    if (filled) {
        p.setBrush(top);
        p.drawPolygon(topFace, 4);
        p.setBrush(left);
        p.drawPolygon(leftFace, 4);
        p.setBrush(right);
        p.drawPolygon(rightFace, 4);
        p.setBrush(Qt::NoBrush);
    } else {
        p.drawPolygon(topFace, 4);
        p.drawPolygon(leftFace, 4);
        p.drawPolygon(rightFace, 4);
    }
}

void Letter(QPainter& p, QRectF r, const QString& text, const QColor& color, qreal size = 13) {
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(static_cast<int>(size));
    p.setFont(font);
    p.setPen(color);
    p.drawText(r, Qt::AlignCenter, text);
}

void Checker(QPainter& p, QRectF r) {
    p.setPen(Qt::NoPen);
    const qreal cell = r.width() / 4;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            p.setBrush((x + y) % 2 == 0 ? QColor(200, 120, 60) : QColor(245, 215, 160));
            p.drawRect(QRectF(r.left() + x * cell, r.top() + y * cell, cell, cell));
        }
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(Pen(kInk, 1.0));
    p.drawRect(r);
}

void Viewport(QPainter& p, QRectF r, bool active) {
    p.setPen(Pen(kInk, 1.2));
    p.setBrush(active ? QColor(190, 210, 240) : QColor(225, 228, 232));
    p.drawRect(r);
    p.setBrush(Qt::NoBrush);
}

void Lightning(QPainter& p, QPointF at) {
    const QPointF bolt[] = {at + QPointF(2, -5), at + QPointF(-2, 0.5), at + QPointF(0.8, 0.5),
                            at + QPointF(-1.5, 5.5), at + QPointF(3, -1), at + QPointF(0.2, -1)};
    p.setPen(Pen(QColor(150, 100, 0), 0.8));
    p.setBrush(kGold);
    p.drawPolygon(bolt, 6);
    p.setBrush(Qt::NoBrush);
}

void Bulb(QPainter& p, QPointF c, const QColor& glass) {
    p.setPen(Pen(kInk, 1.2));
    p.setBrush(glass);
    p.drawEllipse(c, 6, 6);
    p.setBrush(kGrey);
    p.drawRect(QRectF(c.x() - 3, c.y() + 6, 6, 4));
    p.setBrush(Qt::NoBrush);
}

void Plus(QPainter& p, QPointF c) {
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawEllipse(c, 5, 5);
    p.setPen(Pen(Qt::white, 1.8));
    p.drawLine(c + QPointF(-2.6, 0), c + QPointF(2.6, 0));
    p.drawLine(c + QPointF(0, -2.6), c + QPointF(0, 2.6));
    p.setBrush(Qt::NoBrush);
}

void CameraLetter(QPainter& p, const QString& letter, const QColor& color) {
    Viewport(p, QRectF(2.5, 3.5, 19, 17), false);
    Letter(p, QRectF(2.5, 3.5, 19, 17), letter, color, 13);
}

// A white letter on a round badge filling the icon.
void Badge(QPainter& p, const QColor& fill, const QString& letter) {
    p.setPen(Pen(kInk, 1.2));
    p.setBrush(fill);
    p.drawEllipse(QPointF(12, 12), 10, 10);
    p.setBrush(Qt::NoBrush);
    Letter(p, QRectF(0, 0, 24, 24), letter, Qt::white, 15);
}

void Points(QPainter& p, bool lit) {
    const QPointF dots[] = {{6, 7}, {12, 4}, {18, 7}, {6, 15}, {12, 12}, {18, 15}, {12, 20}};
    p.setPen(Qt::NoPen);
    for (const QPointF& dot : dots) {
        p.setBrush(lit ? kBlue : kInk);
        p.drawEllipse(dot, 1.8, 1.8);
    }
    p.setBrush(Qt::NoBrush);
}

void Draw(QPainter& p, int id) {
    switch (id) {
        case cmd::kNew: Page(p, QRectF(5, 2.5, 14, 19)); break;
        case cmd::kOpenScene:
        case cmd::kOpenPak: {
            p.setPen(Pen(QColor(150, 110, 20), 1.2));
            p.setBrush(QColor(240, 200, 90));
            p.drawRect(QRectF(2.5, 6.5, 19, 14));
            p.drawRect(QRectF(2.5, 4.5, 8, 3));
            p.setBrush(QColor(250, 220, 120));
            const QPointF lid[] = {{5, 10.5}, {22.5, 10.5}, {20.5, 20.5}, {2.5, 20.5}};
            p.drawPolygon(lid, 4);
            p.setBrush(Qt::NoBrush);
            if (id == cmd::kOpenPak) {
                p.setPen(Pen(QColor(120, 70, 20), 1.2));
                p.setBrush(QColor(185, 130, 70));
                p.drawRect(QRectF(9, 12, 7, 6));
                p.drawLine(QPointF(12.5, 12), QPointF(12.5, 18));
            }
            break;
        }
        case cmd::kOpenModel:
            Cube(p, QPointF(12, 12), 9, QColor(170, 200, 240), QColor(90, 130, 200), QColor(60, 95, 160));
            break;
        case cmd::kSave:
        case cmd::kSaveAs: {
            p.setPen(Pen(kInk, 1.2));
            p.setBrush(kBlue);
            p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 1.5, 1.5);
            p.setBrush(kPaper);
            p.drawRect(QRectF(7, 3.5, 10, 6));
            p.setBrush(QColor(220, 225, 235));
            p.drawRect(QRectF(7, 13, 10, 7.5));
            p.setBrush(Qt::NoBrush);
            if (id == cmd::kSaveAs) {
                p.setPen(Pen(kRed, 2.0));
                p.drawLine(QPointF(14, 20), QPointF(21, 13));
            }
            break;
        }
        case cmd::kSaveImage: {
            p.setPen(Pen(kInk, 1.2));
            p.setBrush(QColor(200, 225, 250));
            p.drawRect(QRectF(2.5, 4.5, 19, 15));
            p.setBrush(kGreen);
            const QPointF hill[] = {{2.5, 19.5}, {9, 10}, {14, 16}, {17, 13}, {21.5, 19.5}};
            p.drawPolygon(hill, 5);
            p.setPen(Qt::NoPen);
            p.setBrush(kGold);
            p.drawEllipse(QPointF(17, 8.5), 2.2, 2.2);
            p.setBrush(Qt::NoBrush);
            break;
        }
        case cmd::kPrint:
        case cmd::kPrintPreview: {
            p.setPen(Pen(kInk, 1.2));
            p.setBrush(kPaper);
            p.drawRect(QRectF(7, 3, 10, 7));
            p.setBrush(kGrey);
            p.drawRoundedRect(QRectF(2.5, 9.5, 19, 8), 1.5, 1.5);
            p.setBrush(kPaper);
            p.drawRect(QRectF(6.5, 15, 11, 6.5));
            p.setBrush(Qt::NoBrush);
            if (id == cmd::kPrintPreview) {
                p.setPen(Pen(kBlue, 1.6));
                p.setBrush(QColor(255, 255, 255, 180));
                p.drawEllipse(QPointF(15, 15), 4.5, 4.5);
                p.drawLine(QPointF(18.2, 18.2), QPointF(22, 22));
                p.setBrush(Qt::NoBrush);
            }
            break;
        }
        case cmd::kCopy:
            Cube(p, QPointF(9, 10), 6.5, QColor(220, 225, 235), QColor(170, 175, 190), QColor(140, 145, 160));
            Cube(p, QPointF(15, 14), 6.5, QColor(170, 200, 240), QColor(90, 130, 200), QColor(60, 95, 160));
            break;
        case cmd::kFrameSelection:
        case cmd::kFrameSelectionEveryPane:
        case cmd::kFrameAll:
        case cmd::kFrameAllEveryPane: {
            // Corner brackets around what is fitted: one cube, or a small group.
            const bool all = id == cmd::kFrameAll || id == cmd::kFrameAllEveryPane;
            if (all) {
                Cube(p, QPointF(9, 10), 4.5, QColor(220, 225, 235), QColor(170, 175, 190), QColor(140, 145, 160));
                Cube(p, QPointF(15, 14), 4.5, QColor(170, 200, 240), QColor(90, 130, 200), QColor(60, 95, 160));
            } else {
                Cube(p, QPointF(12, 12), 6.0, QColor(170, 200, 240), QColor(90, 130, 200), QColor(60, 95, 160));
            }
            p.setPen(Pen(kInk, 1.8));
            for (const QPointF& corner : {QPointF(3, 3), QPointF(21, 3), QPointF(3, 21), QPointF(21, 21)}) {
                const qreal sx = corner.x() < 12 ? 1.0 : -1.0;
                const qreal sy = corner.y() < 12 ? 1.0 : -1.0;
                p.drawLine(corner, corner + QPointF(5 * sx, 0));
                p.drawLine(corner, corner + QPointF(0, 5 * sy));
            }
            break;
        }
        case cmd::kClear:
            Page(p, QRectF(5, 2.5, 14, 19));
            p.setPen(Pen(kRed, 2.4));
            p.drawLine(QPointF(8, 8), QPointF(16, 16));
            p.drawLine(QPointF(16, 8), QPointF(8, 16));
            break;
        case cmd::kAddLight:
            Bulb(p, QPointF(10, 9), QColor(255, 230, 110));
            Plus(p, QPointF(18, 18));
            break;
        case cmd::kAddObject:
            Cube(p, QPointF(10, 10.5), 8, QColor(170, 200, 240), QColor(90, 130, 200), QColor(60, 95, 160));
            Plus(p, QPointF(18, 18));
            break;
        case cmd::kAddPlayer: {
            p.setPen(Pen(kInk, 1.2));
            p.setBrush(QColor(200, 150, 110));
            p.drawEllipse(QPointF(10, 5.5), 3, 3);
            p.setBrush(QColor(120, 140, 90));
            const QPointF body[] = {{5, 10}, {15, 10}, {13.5, 16}, {12.5, 22}, {7.5, 22}, {6.5, 16}};
            p.drawPolygon(body, 6);
            Plus(p, QPointF(18, 18));
            break;
        }
        case cmd::kOneViewport: Viewport(p, QRectF(2.5, 3.5, 19, 17), true); break;
        case cmd::kFourViewports:
            Viewport(p, QRectF(2.5, 3.5, 9, 8), false);
            Viewport(p, QRectF(12.5, 3.5, 9, 8), true);
            Viewport(p, QRectF(2.5, 12.5, 9, 8), false);
            Viewport(p, QRectF(12.5, 12.5, 9, 8), false);
            break;
        case cmd::kVisible: {
            QPainterPath eye;
            eye.moveTo(2, 12);
            eye.quadTo(12, 2, 22, 12);
            eye.quadTo(12, 22, 2, 12);
            p.setPen(Pen(kInk, 1.3));
            p.setBrush(kPaper);
            p.drawPath(eye);
            p.setBrush(kBlue);
            p.drawEllipse(QPointF(12, 12), 4, 4);
            p.setBrush(kInk);
            p.drawEllipse(QPointF(12, 12), 1.6, 1.6);
            p.setBrush(Qt::NoBrush);
            break;
        }
        case cmd::kGrid:
            p.setPen(Pen(kGrey, 1.0));
            for (int i = 0; i <= 4; ++i) {
                p.drawLine(QPointF(3 + i * 4.5, 3), QPointF(3 + i * 4.5, 21));
                p.drawLine(QPointF(3, 3 + i * 4.5), QPointF(21, 3 + i * 4.5));
            }
            p.setPen(Pen(kInk, 1.4));
            p.drawLine(QPointF(12, 3), QPointF(12, 21));
            p.drawLine(QPointF(3, 12), QPointF(21, 12));
            break;
        case cmd::kAxisMarkers:
            Arrow(p, QPointF(5, 19), QPointF(20, 19), kRed);
            Arrow(p, QPointF(5, 19), QPointF(5, 4), kGreen);
            Arrow(p, QPointF(5, 19), QPointF(15, 9), kBlue);
            break;
        case cmd::kPointsFast:
            Points(p, false);
            Lightning(p, QPointF(19, 18));
            break;
        case cmd::kPoints: Points(p, true); break;
        case cmd::kWireframeFast:
            Cube(p, QPointF(11, 12), 9, {}, {}, {}, false);
            Lightning(p, QPointF(19, 18));
            break;
        case cmd::kWireframe:
            p.setOpacity(1.0);
            Cube(p, QPointF(12, 12), 9.5, {}, {}, {}, false);
            p.setPen(Pen(kBlue, 1.2));
            p.drawLine(QPointF(12, 12), QPointF(12, 21.5));
            break;
        case cmd::kFlat:
            Cube(p, QPointF(12, 12), 9.5, QColor(230, 230, 230), QColor(160, 160, 160), QColor(110, 110, 110));
            break;
        case cmd::kShaded: {
            QRadialGradient gradient(QPointF(9, 8), 12);
            gradient.setColorAt(0, QColor(230, 240, 255));
            gradient.setColorAt(0.5, QColor(90, 140, 210));
            gradient.setColorAt(1, QColor(25, 50, 110));
            p.setPen(Pen(kInk, 1.0));
            p.setBrush(gradient);
            p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
            p.setBrush(Qt::NoBrush);
            break;
        }
        case cmd::kPerspective: {
            p.setPen(Pen(kInk, 1.2));
            p.setBrush(QColor(190, 210, 240));
            const QPointF frustum[] = {{3, 9}, {21, 3}, {21, 21}, {3, 15}};
            p.drawPolygon(frustum, 4);
            p.setBrush(Qt::NoBrush);
            Letter(p, QRectF(8, 3, 14, 18), QStringLiteral("P"), kInk, 11);
            break;
        }
        case cmd::kFront: CameraLetter(p, QStringLiteral("F"), kBlue); break;
        case cmd::kTop: CameraLetter(p, QStringLiteral("T"), kGreen); break;
        case cmd::kRight: CameraLetter(p, QStringLiteral("R"), kRed); break;
        case cmd::kLeft: CameraLetter(p, QStringLiteral("L"), kRed); break;
        case cmd::kPreview: {
            p.setPen(Pen(kInk, 1.2));
            p.setBrush(kGrey);
            p.drawRoundedRect(QRectF(2.5, 7.5, 15, 11), 2, 2);
            const QPointF lens[] = {{17.5, 10.5}, {22, 8}, {22, 18}, {17.5, 15.5}};
            p.drawPolygon(lens, 4);
            p.setBrush(Qt::NoBrush);
            p.setPen(Pen(Qt::white, 1.2));
            p.drawEllipse(QPointF(10, 13), 3, 3);
            break;
        }
        case cmd::kFastEdit:
            Viewport(p, QRectF(2.5, 3.5, 19, 17), false);
            p.setPen(Pen(kInk, 1.0));
            p.drawRect(QRectF(7, 8, 10, 8));
            Lightning(p, QPointF(19, 17));
            break;
        case cmd::kMoveFast:
            Arrow(p, QPointF(7, 12), QPointF(21, 12), kBlue, 2.2);
            p.setPen(Pen(kGrey, 1.4));
            p.drawLine(QPointF(2, 8), QPointF(9, 8));
            p.drawLine(QPointF(3, 16), QPointF(10, 16));
            break;
        case cmd::kHighlightSelected:
            Cube(p, QPointF(12, 12), 7, QColor(170, 200, 240), QColor(90, 130, 200), QColor(60, 95, 160));
            p.setPen(QPen(kRed, 1.2, Qt::DashLine));
            p.drawRect(QRectF(2.5, 2.5, 19, 19));
            break;
        case cmd::kToolSelect: {
            const QPointF cursor[] = {{6, 3}, {6, 19}, {10, 15}, {13, 21}, {15.5, 20}, {12.5, 14}, {18, 14}};
            p.setPen(Pen(kInk, 1.2));
            p.setBrush(Qt::white);
            p.drawPolygon(cursor, 7);
            p.setBrush(Qt::NoBrush);
            break;
        }
        case cmd::kToolMove:
            Arrow(p, QPointF(12, 12), QPointF(12, 2.5), kInk);
            Arrow(p, QPointF(12, 12), QPointF(12, 21.5), kInk);
            Arrow(p, QPointF(12, 12), QPointF(2.5, 12), kInk);
            Arrow(p, QPointF(12, 12), QPointF(21.5, 12), kInk);
            break;
        case cmd::kToolRotate:
        case cmd::kToolTextureRotate: {
            if (id == cmd::kToolTextureRotate) {
                Checker(p, QRectF(7, 7, 10, 10));
            }
            p.setPen(Pen(id == cmd::kToolRotate ? kInk : kBlue, 1.9));
            p.drawArc(QRectF(3, 3, 18, 18), 100 * 16, 280 * 16);
            Arrow(p, QPointF(9.5, 3.3), QPointF(12.5, 3.0), id == cmd::kToolRotate ? kInk : kBlue);
            break;
        }
        case cmd::kToolScale:
            p.setPen(Pen(kGrey, 1.2));
            p.drawRect(QRectF(3, 9, 12, 12));
            p.setPen(Pen(kInk, 1.2));
            p.drawRect(QRectF(3, 3, 18, 18));
            Arrow(p, QPointF(8, 16), QPointF(19, 5), kBlue);
            break;
        case cmd::kToolPan: {
            p.setPen(Pen(kInk, 1.2));
            p.setBrush(QColor(240, 210, 180));
            QPainterPath hand;
            hand.addRoundedRect(QRectF(6, 10, 12, 11), 4, 4);
            for (int i = 0; i < 4; ++i) {
                hand.addRoundedRect(QRectF(6 + i * 3, 3 + (i == 0 || i == 3 ? 2 : 0), 3, 10), 1.5, 1.5);
            }
            p.drawPath(hand.simplified());
            p.setBrush(Qt::NoBrush);
            break;
        }
        case cmd::kToolOrbit:
            p.setPen(Pen(kBlue, 1.6));
            p.drawEllipse(QPointF(12, 12), 10, 4.5);
            p.setPen(Pen(kInk, 1.2));
            p.setBrush(QColor(230, 235, 245));
            p.drawEllipse(QPointF(12, 12), 5, 5);
            p.setPen(Qt::NoPen);
            p.setBrush(kRed);
            p.drawEllipse(QPointF(20.5, 14), 2.2, 2.2);
            p.setBrush(Qt::NoBrush);
            break;
        case cmd::kToolZoom:
            p.setPen(Pen(kInk, 2.0));
            p.setBrush(QColor(220, 235, 250));
            p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
            p.setBrush(Qt::NoBrush);
            p.setPen(Pen(kInk, 3.0));
            p.drawLine(QPointF(15, 15), QPointF(21, 21));
            p.setPen(Pen(kInk, 1.5));
            p.drawLine(QPointF(7, 10), QPointF(13, 10));
            p.drawLine(QPointF(10, 7), QPointF(10, 13));
            break;
        case cmd::kToolFieldOfView:
            p.setPen(Pen(kInk, 1.5));
            p.drawLine(QPointF(3, 12), QPointF(21, 3));
            p.drawLine(QPointF(3, 12), QPointF(21, 21));
            p.setPen(Pen(kBlue, 1.5));
            p.drawArc(QRectF(-5, 4, 16, 16), -27 * 16, 54 * 16);
            break;
        case cmd::kToolTextureMove:
            Checker(p, QRectF(4, 4, 12, 12));
            Arrow(p, QPointF(12, 20), QPointF(22, 20), kBlue);
            Arrow(p, QPointF(20, 12), QPointF(20, 2), kBlue);
            break;
        case cmd::kToolTextureScale:
            Checker(p, QRectF(3, 9, 12, 12));
            Arrow(p, QPointF(10, 14), QPointF(21, 3), kBlue);
            break;
        case cmd::kAxisX:
        case cmd::kAxisX2: Letter(p, QRectF(0, 0, 24, 24), QStringLiteral("X"), kRed, 17); break;
        case cmd::kAxisY:
        case cmd::kAxisY2: Letter(p, QRectF(0, 0, 24, 24), QStringLiteral("Y"), kGreen, 17); break;
        case cmd::kAxisZ:
        case cmd::kAxisZ2: Letter(p, QRectF(0, 0, 24, 24), QStringLiteral("Z"), kBlue, 17); break;
        case cmd::kOptions:
            p.setPen(Pen(kInk, 1.2));
            for (int i = 0; i < 3; ++i) {
                const qreal y = 6 + i * 6;
                p.drawLine(QPointF(3, y), QPointF(21, y));
                p.setBrush(i == 1 ? kBlue : kPaper);
                p.drawRoundedRect(QRectF(5 + i * 5, y - 2.5, 4, 5), 1, 1);
            }
            p.setBrush(Qt::NoBrush);
            break;
        case cmd::kHelpContents: Badge(p, kBlue, QStringLiteral("?")); break;
        case cmd::kOnTheWeb:
            p.setPen(Pen(kBlue, 1.3));
            p.setBrush(QColor(220, 235, 250));
            p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(12, 12), 4, 9.5);
            p.drawLine(QPointF(2.5, 12), QPointF(21.5, 12));
            p.drawLine(QPointF(12, 2.5), QPointF(12, 21.5));
            break;
        case cmd::kAbout: Badge(p, kGreen, QStringLiteral("i")); break;
        default: break;
    }
}

bool HasIcon(int id) {
    switch (id) {
        case cmd::kVWep:
        case cmd::kUndo:
        case cmd::kRedo:
        case cmd::kDelete:
        case cmd::kTest:
        case cmd::kShowBones:
        case cmd::kShowAttachments:
        case cmd::kShowHitBoxes:
        case cmd::kShowBoundingBox:
        case cmd::kShowClipBox:
        case cmd::kShowEyePosition:
        case cmd::kOverlaysInPictures:
        case cmd::kFollowModel:
        case cmd::kPartFollower: return false;
        default: return true;
    }
}

QIcon PaintedIcon(const std::function<void(QPainter&)>& paint) {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(size / 24.0, size / 24.0);
        paint(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
}  // namespace

QIcon CommandIcon(int id) {
    static QHash<int, QIcon> cache;
    if (!HasIcon(id)) {
        return {};
    }
    auto found = cache.find(id);
    if (found == cache.end()) {
        found = cache.insert(id, PaintedIcon([id](QPainter& painter) { Draw(painter, id); }));
    }
    return *found;
}

QIcon ProgramIcon() {
    return PaintedIcon([](QPainter& painter) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(40, 44, 52));
        painter.drawRoundedRect(QRectF(0.5, 0.5, 23, 23), 4, 4);
        Cube(painter, QPointF(12, 12.5), 8.5, QColor(240, 190, 80), QColor(200, 120, 50), QColor(150, 80, 35));
    });
}
