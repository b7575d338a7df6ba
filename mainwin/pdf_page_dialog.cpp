#include "mainwin/pdf_page_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace orv {

PdfPageDialog::PdfPageDialog(const PdfDocument &doc, const QString &file, PdfPageChoice initial, QWidget *parent)
    : QDialog(parent), m_doc(doc)
{
    setObjectName(QStringLiteral("PdfPageDialog"));
    setWindowTitle(QCoreApplication::translate("Main", "PDFのページを選択 - %1").arg(QFileInfo(file).fileName()));
    const int n = m_doc.pageCount();

    m_list = new QListWidget(this);
    m_list->setViewMode(QListView::IconMode);
    m_list->setIconSize(QSize(kThumbSide, kThumbSide));
    m_list->setGridSize(QSize(kThumbSide + 20, kThumbSide + 28));
    m_list->setResizeMode(QListView::Adjust);
    m_list->setMovement(QListView::Static);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setMinimumSize(3 * (kThumbSide + 20) + 24, 2 * (kThumbSide + 28) + 8);
    // Blank pages of the pages' shapes until their thumbnails are drawn (an
    // icon that changes its size later would leave the list's layout stale).
    for (int i = 0; i < n; ++i) {
        QSizeF s = m_doc.pageSize(i);
        s = s.isEmpty() ? QSizeF(kThumbSide, kThumbSide) : s.scaled(kThumbSide, kThumbSide, Qt::KeepAspectRatio);
        QPixmap blank(std::max(1, int(std::lround(s.width()))), std::max(1, int(std::lround(s.height()))));
        blank.fill(Qt::white);
        QPainter p(&blank);
        p.setPen(QColor(160, 160, 160));
        p.drawRect(blank.rect().adjusted(0, 0, -1, -1));
        p.end();
        auto *item = new QListWidgetItem(QIcon(blank), QString::number(i + 1), m_list);
        item->setTextAlignment(Qt::AlignHCenter);
    }

    m_page = new QSpinBox(this);
    m_page->setObjectName(QStringLiteral("pageBox"));
    m_page->setRange(1, std::max(1, n));
    m_dpi = new QSpinBox(this);
    m_dpi->setObjectName(QStringLiteral("dpiBox"));
    m_dpi->setRange(kPdfMinDpi, kPdfMaxDpi);
    m_dpi->setSuffix(QStringLiteral(" dpi"));
    m_size = new QLabel(this);

    auto *form = new QFormLayout;
    form->addRow(QCoreApplication::translate("Main", "ページ:"), m_page);
    form->addRow(QCoreApplication::translate("Main", "解像度:"), m_dpi);
    form->addRow(QCoreApplication::translate("Main", "画像の大きさ:"), m_size);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(form);
    layout->addWidget(buttons);

    m_dpi->setValue(initial.dpi > 0 ? initial.dpi : m_doc.defaultDpi(initial.page));
    m_page->setValue(std::clamp(initial.page + 1, 1, std::max(1, n)));
    m_list->setCurrentRow(m_page->value() - 1);
    connect(m_page, &QSpinBox::valueChanged, this, [this](int v) { pageChanged(v - 1); });
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            m_page->setValue(row + 1);
    });
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_dpi, &QSpinBox::valueChanged, this, [this] {
        m_dpiTouched = true;
        updateSizeText();
    });
    updateSizeText();

    m_thumbs = new QTimer(this);
    m_thumbs->setInterval(0);
    connect(m_thumbs, &QTimer::timeout, this, &PdfPageDialog::renderNextThumbnail);
    m_thumbs->start();
}

void PdfPageDialog::pageChanged(int page)
{
    {
        const QSignalBlocker block(m_list);
        m_list->setCurrentRow(page);
    }
    // Pages of another size get their own default until the resolution is set by hand.
    if (!m_dpiTouched) {
        const QSignalBlocker block(m_dpi);
        m_dpi->setValue(m_doc.defaultDpi(page));
    }
    updateSizeText();
}

void PdfPageDialog::updateSizeText()
{
    const int page = m_page->value() - 1;
    const QSizeF s = m_doc.pageSize(page);
    if (s.isEmpty()) {
        m_size->setText(QStringLiteral("-"));
        return;
    }
    const double dpi = m_doc.fittingDpi(page, m_dpi->value());
    m_size->setText(QCoreApplication::translate("Main", "%1 × %2 ピクセル")
                        .arg(std::ceil(s.width() * dpi / 72))
                        .arg(std::ceil(s.height() * dpi / 72)));
}

void PdfPageDialog::renderNextThumbnail()
{
    if (m_nextThumb >= m_doc.pageCount()) {
        m_thumbs->stop();
        return;
    }
    const int i = m_nextThumb++;
    const QImage img = m_doc.thumbnail(i, kThumbSide);
    if (img.isNull())
        return;
    // A thin border shows where a white page ends.
    QImage framed = img.copy();
    QPainter p(&framed);
    p.setPen(QColor(160, 160, 160));
    p.drawRect(framed.rect().adjusted(0, 0, -1, -1));
    p.end();
    m_list->item(i)->setIcon(QIcon(QPixmap::fromImage(framed)));
}

void PdfPageDialog::renderAllThumbnails()
{
    while (m_nextThumb < m_doc.pageCount())
        renderNextThumbnail();
}

PdfPageChoice PdfPageDialog::choice() const { return {m_page->value() - 1, m_dpi->value()}; }

} // namespace orv
