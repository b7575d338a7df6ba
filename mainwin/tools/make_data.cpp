// Makes the data files that live beside the program:
//   make_data --img DIR             the hint pictures 2pt.bmp, 4pt.bmp and pj.bmp
//   make_data --help SOURCE OUTPUT  the help document (PDF) from its HTML source
//   make_data --preview SOURCE DIR  the help document's pages as PNG, to look at
//   ... CATALOGUE.qm                the same in the catalogue's language
//                                   (pictures named 2pt_en.bmp ...)
// Pictures named in the help source as "orv:NAME" are drawn here (the main
// window, the hint pictures, worked examples), so the document always shows
// the program as it is built.

#include "mainwin/artwork.h"
#include "mainwin/help_pictures.h"
#include "model/language.h"

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
    QStringList args = app.arguments();
    // A catalogue after the other arguments draws the pictures' words in its
    // language (the English pictures and help).
    // (The catalogue lies in i18n/ below a program folder, as the program's own.)
    QString suffix;
    if (args.size() >= 4 && args.back().endsWith(u"/i18n/orvalinetrix_en.qm")) {
        QDir folder = QFileInfo(args.back()).absoluteDir();
        folder.cdUp();
        if (!orv::installLanguage(orv::Language::English, folder.absolutePath())) {
            QTextStream(stderr) << "make_data: cannot load " << args.back() << "\n";
            return 1;
        }
        suffix = QStringLiteral("_en");
        args.removeLast();
    }
    if (args.size() == 3 && args[1] == u"--img") {
        QDir().mkpath(args[2]);
        auto name = [&](const char *base) { return QDir(args[2]).filePath(QString::fromLatin1(base) + suffix + QStringLiteral(".bmp")); };
        const bool ok = orv::hintPicture(1).save(name("2pt"), "BMP") && orv::hintPicture(2).save(name("4pt"), "BMP") &&
                        orv::hintPicture(3).save(name("pj"), "BMP");
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
        const QString title = doc.metaInformation(QTextDocument::DocumentTitle);
        pdf.setTitle(title.isEmpty() ? QStringLiteral("Orvalinetrix") : title);
        pdf.setCreator(QStringLiteral("Orvalinetrix"));
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(18, 16, 18, 16), QPageLayout::Millimeter);
        pdf.setResolution(144);
        doc.print(&pdf);
        return QFileInfo(args[3]).size() > 0 ? 0 : 1;
    }
    QTextStream(stderr) << "usage: make_data --img DIR [CATALOGUE.qm] | --help SOURCE OUTPUT [CATALOGUE.qm]\n";
    return 2;
}
