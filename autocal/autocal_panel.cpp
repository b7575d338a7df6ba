#include "autocal/autocal_panel.h"

#include "autocal/calibration_command.h"
#include "autocal/pdf_text.h"
#include "model/pdf_source.h"

#include <QCoreApplication>
#include <QPointer>
#include <QtConcurrent>

namespace orv::autocal {

AutoCalibrator::AutoCalibrator(Reading &reading, QObject *parent) : QObject(parent), r(reading)
{
    m_pool.setMaxThreadCount(1);
    m_progressDelay.setSingleShot(true);
    m_progressDelay.setInterval(kProgressDelayMs);
    connect(&m_progressDelay, &QTimer::timeout, this, [this] {
        if (m_busy && !m_progressShown) {
            m_progressShown = true;
            Q_EMIT progressShownChanged(true);
        }
    });
    connect(&m_watcher, &QFutureWatcher<Outcome>::finished, this, &AutoCalibrator::done);
    // Another picture: what was found belongs to the old one.
    connect(&r, &Reading::pictureShown, this, [this] {
        cancel();
        clearResult();
        setUnsure(false, false);
    });
    // A value typed by the user is checked by the user.
    connect(&r.panel, &CalibPanel::valChanged, this, [this](CalibPanel::ValBox b) {
        if (m_applying)
            return;
        if (b == CalibPanel::LLX_VLText || b == CalibPanel::RUX_VLText)
            setUnsure(false, m_unsureY);
        else
            setUnsure(m_unsureX, false);
    });
}

AutoCalibrator::~AutoCalibrator()
{
    cancel();
    m_watcher.waitForFinished();
}

QString AutoCalibrator::title() { return QCoreApplication::translate("AutoCal", "自動校正"); }
QString AutoCalibrator::noPictureText() { return QCoreApplication::translate("AutoCal", "先にグラフの画像を開いて下さい。"); }
QString AutoCalibrator::rereadQuestion()
{
    return QCoreApplication::translate("AutoCal", "読み取り済みの点を新しい校正で読み直しますか?");
}
QString AutoCalibrator::notFoundText(Missing m)
{
    return QCoreApplication::translate("AutoCal", "自動校正できませんでした: %1").arg(missingText(m));
}
QString AutoCalibrator::oneAxisText(Missing m)
{
    const bool xOnly = m == Missing::YLabels;
    return (xOnly ? QCoreApplication::translate("AutoCal", "X軸だけを設定しました: %1")
                  : QCoreApplication::translate("AutoCal", "Y軸だけを設定しました: %1"))
        .arg(missingText(m));
}
QString AutoCalibrator::unsureText()
{
    return QCoreApplication::translate("AutoCal", "色の付いた数値は目盛り2つだけから求めました。確かめて下さい。");
}
QString AutoCalibrator::cancelledText() { return QCoreApplication::translate("AutoCal", "自動校正を中止しました。"); }

bool AutoCalibrator::start()
{
    cancel();
    m_watcher.waitForFinished();
    const QImage picture = r.graph.picture();
    if (!r.graph.loaded() || picture.isNull()) {
        r.port().message(noPictureText(), title());
        return false;
    }
    clearResult();
    const PictureSource src = splitPictureSource(r.GraphPic_Path);
    const QString pdf = !r.GraphPic_Path.isEmpty() && isPdfFile(src.file) ? src.file : QString();
    EngineFactory factory = m_factory ? m_factory : EngineFactory([](QString *e) { return tesseractEngine(e); });
    auto flag = std::make_shared<std::atomic<bool>>(false);
    m_cancel = flag;
    QPointer<AutoCalibrator> self(this);
    m_watcher.setFuture(QtConcurrent::run(&m_pool, [picture, factory, flag, self, pdf, page = src.page]() {
        Outcome out;
        QString why;
        std::unique_ptr<OcrEngine> engine = factory(&why);
        if (!pdf.isEmpty())
            if (auto text = pdfTextEngine(pdf, page, QSizeF(picture.size()), std::move(engine)))
                engine = std::move(text);
        if (!engine) {
            out.error = why;
            return out;
        }
        auto report = [self, flag](int pc) {
            if (flag->load())
                return;
            QMetaObject::invokeMethod(
                self.data(), [self, pc] {
                    if (self)
                        Q_EMIT self->progress(pc);
                },
                Qt::QueuedConnection);
        };
        auto cal = calibrate(picture, *engine, flag.get(), report);
        if (cal)
            out.cal = std::move(*cal);
        else
            out.cancelled = cal.error() == CalibrateError::Cancelled;
        return out;
    }));
    m_busy = true;
    m_progressDelay.start();
    Q_EMIT busyChanged(true);
    return true;
}

void AutoCalibrator::cancel()
{
    if (m_cancel)
        m_cancel->store(true);
}

void AutoCalibrator::done()
{
    m_progressDelay.stop();
    m_busy = false;
    if (m_progressShown) {
        m_progressShown = false;
        Q_EMIT progressShownChanged(false);
    }
    Q_EMIT busyChanged(false);
    const Outcome out = m_watcher.result();
    if (!out.error.isEmpty()) {
        r.port().message(out.error, title());
        return;
    }
    if (out.cancelled || !out.cal || (m_cancel && m_cancel->load())) {
        r.setStatusText(cancelledText());
        return;
    }
    m_result = out.cal;
    Q_EMIT resultChanged();
    const Calibration &c = *m_result;
    if (!c.frameFound || (!c.x.found && !c.y.found)) {
        r.port().message(notFoundText(c.frameFound ? c.missing : Missing::AxisLines), title());
        return;
    }
    ApplyOptions opt;
    opt.selectTab = m_tabSwitch;
    opt.reread = r.hasPoints() && r.port().askYesNo(rereadQuestion(), title());
    m_applying = true;
    applyCalibration(r, c, opt);
    m_applying = false;
    setUnsure(c.x.found && !c.x.sure, c.y.found && !c.y.sure);
    if (!c.complete())
        r.port().message(oneAxisText(c.missing), title());
    else if (m_unsureX || m_unsureY)
        r.setStatusText(unsureText());
}

void AutoCalibrator::clearResult()
{
    if (!m_result)
        return;
    m_result.reset();
    Q_EMIT resultChanged();
}

void AutoCalibrator::setUnsure(bool x, bool y)
{
    if (x == m_unsureX && y == m_unsureY)
        return;
    m_unsureX = x;
    m_unsureY = y;
    Q_EMIT unsureChanged();
}

} // namespace orv::autocal
