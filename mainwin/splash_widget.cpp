#include "mainwin/splash_widget.h"

#include "mainwin/artwork.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace orv {

SplashWidget::SplashWidget(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Orvalinetrix"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);
    outer->addWidget(frame);
    auto *col = new QVBoxLayout(frame);
    col->setContentsMargins(10, 10, 10, 10);
    col->setSpacing(4);

    auto *art = new QLabel(frame);
    art->setObjectName(QStringLiteral("Picture1"));
    art->setPixmap(QPixmap::fromImage(splashArtwork()));
    art->setFixedSize(276, 160);
    col->addWidget(art, 0, Qt::AlignHCenter);

    auto *version = new QLabel(m_core.lblVersion(), frame);
    version->setObjectName(QStringLiteral("lblVersion"));
    QFont vf = version->font();
    vf.setBold(true);
    vf.setPointSizeF(vf.pointSizeF() * 1.2);
    version->setFont(vf);
    version->setAlignment(Qt::AlignRight);
    col->addWidget(version);
    for (const auto &[name, text] : {std::pair{"Label1", frmSplash::label1Text()}, {"Label2", frmSplash::label2Text()}}) {
        auto *l = new QLabel(text, frame);
        l->setObjectName(QString::fromLatin1(name));
        col->addWidget(l);
    }
    setFixedSize(sizeHint());
    connect(&m_core, &frmSplash::closeWindow, this, [this] { done(QDialog::Accepted); });
}

void SplashWidget::mousePressEvent(QMouseEvent *e)
{
    e->accept();
    m_core.requestClose();
}

void SplashWidget::keyPressEvent(QKeyEvent *e)
{
    e->accept();
    m_core.requestClose();
}

void SplashWidget::closeEvent(QCloseEvent *e)
{
    if (m_core.timerRunning())
        e->ignore();
    else
        QDialog::closeEvent(e);
}

void SplashWidget::reject()
{
    // Escape and the window system's close go through here: the same rule.
    if (!m_core.timerRunning())
        QDialog::reject();
}

} // namespace orv
