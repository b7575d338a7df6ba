#include "autoread/autoread_panel.h"

#include "model/frame_map.h"

#include <QCoreApplication>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>

namespace orv::autoread {

namespace {

void copyFrame(const CalibPanel &from, CalibPanel &to)
{
    to.selectTab(from.selectedTab());
    // The kinds first: a change of kind rewrites the value boxes.
    to.setXKind(from.xKind());
    to.setYKind(from.yKind());
    for (int b = 0; b < CalibPanel::PosBoxCount; ++b)
        to.setPos(CalibPanel::PosBox(b), from.pos(CalibPanel::PosBox(b)));
    for (int b = 0; b < CalibPanel::ValBoxCount; ++b)
        to.setVal(CalibPanel::ValBox(b), from.val(CalibPanel::ValBox(b)));
}

} // namespace

AutoReadPanel::AutoReadPanel(Reading &reading, QObject *parent) : QObject(parent), r(reading)
{
    // The jobs split their work over the reading's compute pool and wait for
    // it; they run on a pool of their own so as not to take its threads.
    m_pool.setMaxThreadCount(2);
    m_progressDelay.setSingleShot(true);
    m_progressDelay.setInterval(200);
    connect(&m_progressDelay, &QTimer::timeout, this, [this] {
        if (busy()) {
            m_progressShown = true;
            Q_EMIT progressShownChanged(true);
        }
    });
    connect(&m_watcher, &QFutureWatcherBase::finished, this, &AutoReadPanel::readDone);
    connect(&m_tintWatcher, &QFutureWatcherBase::finished, this, &AutoReadPanel::tintDone);
    // Candidates found with another frame or picture would be added in the
    // wrong place.
    connect(&r.panel, &CalibPanel::posChanged, this, [this] {
        clearCandidates();
        startTint();
    });
    connect(&r.panel, &CalibPanel::valChanged, this, &AutoReadPanel::clearCandidates);
    connect(&r.panel, &CalibPanel::axisModeChanged, this, &AutoReadPanel::clearCandidates);
    connect(&r.panel, &CalibPanel::tabClicked, this, [this] {
        clearCandidates();
        startTint();
    });
    connect(&r.graph, &GraphModel::pictureChanged, this, [this] {
        cancel();
        clearCandidates();
        refreshSwatches();
        startTint();
    });
    // The whole picture after a reduced first decode: the tint in full detail.
    connect(&r.graph, &GraphModel::pictureRefined, this, &AutoReadPanel::startTint);
    refreshSwatches();
}

AutoReadPanel::~AutoReadPanel()
{
    if (m_cancel)
        m_cancel->store(true);
    m_watcher.waitForFinished();
    m_tintWatcher.waitForFinished();
}

QString AutoReadPanel::noPictureText() { return QCoreApplication::translate("AutoRead", "自動読取：グラフ画像がありません。"); }

QString AutoReadPanel::noFrameText()
{
    return QCoreApplication::translate("AutoRead", "自動読取：枠線の定義が完了していません。\r"
                          "グラフの角を画像上で選択し、角の数値を入力してから使って下さい。");
}

QString AutoReadPanel::noColourText()
{
    return QCoreApplication::translate("AutoRead", "読み取る色を選んで下さい(スポイトで画像をクリック、又は色見本を選択)。");
}

QString AutoReadPanel::limitText(int added, int leftOut)
{
    return QCoreApplication::translate("AutoRead", "エラー！(No.2)(読み出しポイントは250点までです。%1点を追加し、%2点は追加しませんでした。)")
        .arg(added)
        .arg(leftOut);
}

QString AutoReadPanel::cancelledText() { return QCoreApplication::translate("AutoRead", "中止しました。"); }

QString AutoReadPanel::cannotOpenText(const Reading &reading)
{
    if (!reading.graph.loaded() || reading.graph.picture().isNull())
        return noPictureText();
    if (!reading.Dfnt_Done || !readFrame(reading.panel))
        return noFrameText();
    return QString();
}

void AutoReadPanel::setColour(QRgb rgb)
{
    rgb = qRgb(qRed(rgb), qGreen(rgb), qBlue(rgb));
    if (m_colour == rgb)
        return;
    m_colour = rgb;
    clearCandidates();
    Q_EMIT colourChanged();
    startTint();
}

void AutoReadPanel::pickAt(double x, double y)
{
    const QImage &img = r.graph.picture();
    if (img.isNull() || !(x >= 0 && x <= 1 && y >= 0 && y <= 1))
        return;
    const int px = std::clamp(int(std::floor(x * img.width())), 0, img.width() - 1);
    const int py = std::clamp(int(std::floor((1 - y) * img.height())), 0, img.height() - 1);
    setColour(averageColour(img, px, py));
}

void AutoReadPanel::refreshSwatches()
{
    m_swatches.clear();
    const QImage &img = r.graph.picture();
    auto f = readFrame(r.panel);
    if (!img.isNull() && f) {
        const ReadArea area(*f, img.size(), m_margin);
        m_swatches = dominantColours(img, area.bounds(), 8);
    }
    Q_EMIT swatchesChanged();
}

void AutoReadPanel::setTolerance(int t)
{
    t = std::clamp(t, 0, kMaxTolerance);
    if (t == m_tolerance)
        return;
    m_tolerance = t;
    clearCandidates();
    Q_EMIT toleranceChanged(t);
    startTint();
}

void AutoReadPanel::setMargin(double px)
{
    px = std::clamp(px, 0.0, 1000.0);
    if (px == m_margin)
        return;
    m_margin = px;
    clearCandidates();
    startTint();
}

void AutoReadPanel::setLimit(QPointF a, QPointF b)
{
    m_limit = QRectF(a, b).normalized();
    clearCandidates();
    Q_EMIT limitChanged();
    startTint();
}

void AutoReadPanel::clearLimit()
{
    if (!m_limit)
        return;
    m_limit.reset();
    clearCandidates();
    Q_EMIT limitChanged();
    startTint();
}

void AutoReadPanel::setMethod(Method m)
{
    if (m == m_method)
        return;
    m_method = m;
    clearCandidates();
}

std::optional<ReadJob> AutoReadPanel::makeJob(QString *why) const
{
    const QImage &img = r.graph.picture();
    if (img.isNull()) {
        *why = noPictureText();
        return std::nullopt;
    }
    auto f = readFrame(r.panel);
    if (!f) {
        *why = noFrameText();
        return std::nullopt;
    }
    if (!m_colour) {
        *why = noColourText();
        return std::nullopt;
    }
    ReadJob job;
    job.picture = img;
    job.frame = *f;
    job.map = &frameMap(r.panel);
    job.colour = *m_colour;
    job.tolerance = m_tolerance;
    job.margin = m_margin;
    if (m_limit) {
        // Normalised y runs upwards; picture pixels downwards.
        const double W = img.width(), H = img.height();
        job.limit = QRectF(QPointF(m_limit->left() * W, (1 - m_limit->bottom()) * H),
                           QPointF(m_limit->right() * W, (1 - m_limit->top()) * H));
    }
    job.method = m_method;
    job.steps = steps;
    job.markers = markers;
    return job;
}

bool AutoReadPanel::read()
{
    cancel();
    m_watcher.waitForFinished();
    QString why;
    auto job = makeJob(&why);
    if (!job) {
        Q_EMIT failed(why);
        return false;
    }
    if (job->method != Method::Markers) {
        if (auto v = stepValues(job->frame, job->method == Method::YSteps, job->steps); !v) {
            Q_EMIT failed(readErrorText(v.error()));
            return false;
        }
    }
    clearCandidates();
    m_frameCopy = std::make_shared<CalibPanel>();
    copyFrame(r.panel, *m_frameCopy);
    job->panel = m_frameCopy.get();
    job->map = &frameMap(*m_frameCopy);
    auto cancelFlag = std::make_shared<std::atomic<bool>>(false);
    m_cancel = cancelFlag;
    QPointer<AutoReadPanel> self(this);
    auto frame = m_frameCopy;
    m_watcher.setFuture(QtConcurrent::run(&m_pool, [job = *job, cancelFlag, frame, self]() {
        Progress p;
        p.cancel = cancelFlag.get();
        p.report = [self, cancelFlag](int done, int total) {
            if (cancelFlag->load())
                return;
            QMetaObject::invokeMethod(
                self.data(),
                [self, done, total] {
                    if (self)
                        Q_EMIT self->progress(done, total);
                },
                Qt::QueuedConnection);
        };
        return runRead(job, p);
    }));
    m_reading = true;
    m_progressDelay.start();
    Q_EMIT busyChanged(true);
    return true;
}

void AutoReadPanel::cancel()
{
    if (m_cancel)
        m_cancel->store(true);
}

void AutoReadPanel::readDone()
{
    m_progressDelay.stop();
    if (m_progressShown) {
        m_progressShown = false;
        Q_EMIT progressShownChanged(false);
    }
    auto res = m_watcher.result();
    const bool cancelled = (m_cancel && m_cancel->load()) || (res && res->cancelled);
    m_cancel.reset();
    m_reading = false;
    Q_EMIT busyChanged(false);
    if (cancelled) {
        clearCandidates();
        return;
    }
    if (!res) {
        Q_EMIT failed(readErrorText(res.error()));
        return;
    }
    m_result = std::move(*res);
    Q_EMIT candidatesChanged();
}

void AutoReadPanel::clearCandidates()
{
    if (m_result.points.empty() && m_result.skipped == 0 && m_result.mergedRegions == 0)
        return;
    m_result = ReadResult{};
    Q_EMIT candidatesChanged();
}

QString AutoReadPanel::countText() const
{
    QString t = QCoreApplication::translate("AutoRead", "候補 %1 点").arg(m_result.points.size());
    if (m_method == Method::Markers) {
        if (m_result.mergedRegions)
            t += QCoreApplication::translate("AutoRead", "、結合 %1 箇所").arg(m_result.mergedRegions);
        if (m_result.leftOut)
            t += QCoreApplication::translate("AutoRead", "(%1 箇所は除外)").arg(m_result.leftOut);
    } else {
        t += QCoreApplication::translate("AutoRead", "、該当なし %1").arg(m_result.skipped);
    }
    return t;
}

Reading::BatchResult AutoReadPanel::add()
{
    Reading::BatchResult res;
    if (m_result.points.empty() || busy())
        return res;
    std::vector<QPointF> pos;
    pos.reserve(m_result.points.size());
    for (const FoundPoint &p : m_result.points)
        pos.push_back(p.normalised);
    res = r.addPoints(r.settings.seriesNumber(), pos);
    clearCandidates();
    if (res.leftOut > 0)
        r.port().message(limitText(res.added, res.leftOut));
    return res;
}

void AutoReadPanel::startTint()
{
    if (m_tinting) {
        m_tintAgain = true; // the latest settings once this one is done
        return;
    }
    const QImage &img = r.graph.picture();
    auto f = readFrame(r.panel);
    if (!m_colour || img.isNull() || !f) {
        if (!m_tint.isNull()) {
            m_tint = QImage();
            Q_EMIT tintChanged();
        }
        return;
    }
    QString why;
    auto job = makeJob(&why);
    if (!job)
        return;
    m_tintAgain = false;
    m_tinting = true;
    m_tintWatcher.setFuture(QtConcurrent::run(&m_pool, [job = *job] {
        const QImage rgb = job.picture.format() == QImage::Format_RGB32 || job.picture.format() == QImage::Format_ARGB32
                               ? job.picture
                               : job.picture.convertToFormat(QImage::Format_RGB32);
        const ReadArea area(job.frame, rgb.size(), job.margin, job.limit);
        return matchTint(rgb, area, ColourMatcher(job.colour, job.tolerance), tintColour());
    }));
}

void AutoReadPanel::tintDone()
{
    m_tinting = false;
    m_tint = m_tintWatcher.result();
    if (m_tintAgain)
        startTint(); // before announcing, so that no one sees a stale tint as final
    Q_EMIT tintChanged();
}

} // namespace orv::autoread
