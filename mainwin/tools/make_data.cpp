// Makes the data files that live beside the program:
//   make_data --img DIR             the hint pictures 2pt.bmp, 4pt.bmp and pj.bmp
//   make_data --help SOURCE OUTPUT  the help document (PDF) from its HTML source
//   make_data --preview SOURCE DIR  the help document's pages as PNG, to look at
// Pictures named in the help source as "orv:NAME" are drawn here (the main
// window, the hint pictures, worked examples), so the document always shows
// the program as it is built.

#include "mainwin/artwork.h"
#include "mainwin/help_pictures.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextStream>
#include <QUrl>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == u"--img") {
        QDir().mkpath(args[2]);
        const bool ok = orv::hintPicture(1).save(QDir(args[2]).filePath(QStringLiteral("2pt.bmp")), "BMP") &&
                        orv::hintPicture(2).save(QDir(args[2]).filePath(QStringLiteral("4pt.bmp")), "BMP") &&
                        orv::hintPicture(3).save(QDir(args[2]).filePath(QStringLiteral("pj.bmp")), "BMP");
        return ok ? 0 : 1;
    }
    if (args.size() == 4 && (args[1] == u"--help" || args[1] == u"--preview")) {
        QFile src(args[2]);
        if (!src.open(QIODevice::ReadOnly)) {
            QTextStream(stderr) << "make_data: cannot read " << args[2] << "\n";
            return 1;
        }
        const QString html = QString::fromUtf8(src.readAll());
        QTextDocument doc;
        QFont f(QStringLiteral("Noto Sans CJK JP"));
        f.setPointSizeF(10.5);
        doc.setDefaultFont(f);
        for (const auto &[name, img] : orv::helpPictures(QStringLiteral(ORV_SOURCE_DIR)))
            doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("orv:") + name), img);
        doc.setHtml(html);
        if (args[1] == u"--preview") {
            // A4 at 96 dpi with the PDF's margins.
            const QSizeF page(794 - 2 * 68, 1123 - 2 * 60);
            doc.setPageSize(page);
            QDir().mkpath(args[3]);
            for (int i = 0; i < doc.pageCount(); ++i) {
                QImage img(page.toSize(), QImage::Format_RGB32);
                img.fill(Qt::white);
                QPainter p(&img);
                p.translate(0, -i * page.height());
                doc.drawContents(&p, QRectF(QPointF(0, i * page.height()), page));
                p.end();
                img.save(QDir(args[3]).filePath(QStringLiteral("page%1.png").arg(i + 1)));
            }
            return 0;
        }
        QDir().mkpath(QFileInfo(args[3]).absolutePath());
        QPdfWriter pdf(args[3]);
        pdf.setTitle(QStringLiteral("Orvalinetrix ヘルプ"));
        pdf.setCreator(QStringLiteral("Orvalinetrix"));
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(18, 16, 18, 16), QPageLayout::Millimeter);
        pdf.setResolution(144);
        doc.print(&pdf);
        return QFileInfo(args[3]).size() > 0 ? 0 : 1;
    }
    QTextStream(stderr) << "usage: make_data --img DIR | --help SOURCE OUTPUT\n";
    return 2;
}
