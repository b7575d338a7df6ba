#pragma once
// The page chooser shown when a PDF of several pages is opened: thumbnails of
// the pages, the page number, the rendering resolution, OK/Cancel.

#include "model/desktop_port.h"
#include "model/pdf_source.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QSpinBox;
class QTimer;

namespace orv {

class PdfPageDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kThumbSide = 150;

    PdfPageDialog(const PdfDocument &doc, const QString &file, PdfPageChoice initial, QWidget *parent = nullptr);

    PdfPageChoice choice() const;
    QSpinBox *pageBox() const { return m_page; }
    QSpinBox *dpiBox() const { return m_dpi; }
    QListWidget *pageList() const { return m_list; }
    // Renders every thumbnail not yet drawn (they are drawn one by one while
    // the dialog is open).
    void renderAllThumbnails();

private:
    void pageChanged(int page);
    void updateSizeText();
    void renderNextThumbnail();

    PdfDocument m_doc;
    QListWidget *m_list = nullptr;
    QSpinBox *m_page = nullptr;
    QSpinBox *m_dpi = nullptr;
    QLabel *m_size = nullptr;
    QTimer *m_thumbs = nullptr;
    int m_nextThumb = 0;
    bool m_dpiTouched = false;
};

} // namespace orv
