// Draws the program's icon into the files a desktop looks for: PNGs of the usual sizes and an SVG,
// laid out as in the hicolor icon theme (FOLDER/16x16/apps/velmorane.png, ...,
// FOLDER/scalable/apps/velmorane.svg). Run at build time without a display.
// Usage: render_icons FOLDER

#include "ui/pictures.h"

#include <QGuiApplication>
#include <QDir>
#include <QSvgGenerator>

#include <iostream>

namespace {

const int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QString appsFolder(const QString& theme, const QString& size)
{
    const QString folder = theme + "/" + size + "/apps";
    QDir().mkpath(folder);
    return folder;
}

bool writePng(const QString& theme, int size)
{
    const QString path = appsFolder(theme, QString("%1x%1").arg(size)) + "/velmorane.png";
    if (velmorane::ui::windowIconPixmap(size).save(path, "PNG")) return true;
    std::cerr << "cannot write " << path.toStdString() << '\n';
    return false;
}

bool writeSvg(const QString& theme)
{
    const QString path = appsFolder(theme, "scalable") + "/velmorane.svg";
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(32, 32));
    svg.setViewBox(QRect(0, 0, 32, 32));
    svg.setTitle("Velmorane");
    QPainter painter;
    if (!painter.begin(&svg)) {
        std::cerr << "cannot write " << path.toStdString() << '\n';
        return false;
    }
    velmorane::ui::paintWindowIcon(painter);
    return painter.end();
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: render_icons FOLDER\n";
        return 2;
    }
    const QString theme = QString::fromLocal8Bit(argv[1]);
    bool written = writeSvg(theme);
    for (const int size : kSizes) written = writePng(theme, size) && written;
    return written ? 0 : 1;
}
