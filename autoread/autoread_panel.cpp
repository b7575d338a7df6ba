#include "autoread/autoread_panel.h"

#include "autoread/view_tint.h"
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
        m_exclusions.clear();
        m_toleranceUsed.reset();
        Q_EMIT exclusionsChanged();
        Q_EMIT toleranceUsedChanged();
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

QString AutoReadPanel::addedText(int count) { return QCoreApplication::translate("AutoRead", "%1 点を追加しました").arg(count); }

QString AutoReadPanel::addAgainText()
{
    return QCoreApplication::translate("AutoRead", "この候補は追加済みです。もう一度追加しますか？");
}

QString AutoReadPanel::rangeProblem(const FrameSpec &f, bool alongY, const StepOptions &o)
{
    const bool log = alongY ? f.yLog : f.xLog;
    for (const auto &v : {o.from, o.to})
        if (v && (!std::isfinite(*v) || (log && !(*v > 0))))
            return log ? QCoreApplication::translate("AutoRead", "開始・終了は0より大きい数にして下さい(対数軸)。")
                       : QCoreApplication::translate("AutoRead", "開始・終了は有限の数にして下さい。");
    auto axis = [log](double v) { return log ? std::log10(v) : v; };
    const double a = axis(alongY ? f.ya : f.xa), b = axis(alongY ? f.yb : f.xb);
    const double span = std::abs(b - a);
    // Far beyond the frame nothing can be found, and the values themselves
    // stop being distinct numbers.
    constexpr double kSpans = 1e6;
    for (const auto &v : {o.from, o.to})
        if (v && std::abs(axis(*v) - (a + b) / 2) > span * (kSpans + 0.5))
            return log ? QCoreApplication::translate("AutoRead", "開始・終了は枠の範囲から、その幅(桁数)の10⁶倍以内にして下さい。")
                       : QCoreApplication::translate("AutoRead", "開始・終了は枠の範囲から、その幅の10⁶倍以内にして下さい。");
    const double from = o.from ? axis(*o.from) : a, to = o.to ? axis(*o.to) : b;
    if (from == to && (o.step || o.points != 1))
        return QCoreApplication::translate("AutoRead", "開始と終了が同じです。1点だけ読むときは点数を1にして下さい。");
    return QString();
}

QString AutoReadPanel::cannotOpenText(const Reading &reading)
{
    if (!reading.graph.loaded() || reading.graph.picture().isNull())
        return noPictureText();
    if (!reading.Dfnt_Done || !readFrame(reading.panel))
        return noFrameText();
    return QString();
}

QRect AutoReadPanel::place(const QRect &screen, QSize size, const QRect &picture, const std::vector<QRect> &windows,
                          const std::vector<QPoint> &corners)
{
    const int w = std::min(size.width(), screen.width()), h = std::min(size.height(), screen.height());
    std::vector<int> xs{screen.left(), screen.right() + 1 - w}, ys{screen.top(), screen.bottom() + 1 - h};
    auto around = [&](const QRect &q) {
        xs.insert(xs.end(), {q.right() + 1, q.left() - w, q.left()});
        ys.insert(ys.end(), {q.top(), q.bottom() + 1, q.top() - h, q.bottom() + 1 - h});
    };
    if (picture.isValid())
        around(picture);
    for (const QRect &q : windows)
        around(q);
    // A corner must stay clickable: a little room around it.
    constexpr int kCornerRoom = 16;
    for (QPoint c : corners) {
        xs.insert(xs.end(), {c.x() + kCornerRoom + 1, c.x() - kCornerRoom - w});
        ys.insert(ys.end(), {c.y() + kCornerRoom + 1, c.y() - kCornerRoom - h});
    }
    auto overlap = [](const QRect &a, const QRect &b) {
        const QRect i = a.intersected(b);
        return i.isEmpty() ? 0LL : qint64(i.width()) * i.height();
    };
    QRect best;
    qint64 bestCost = -1;
    for (int pass = 0; pass < 2 && best.isNull(); ++pass) {
        for (int x : xs)
            for (int y : ys) {
                QRect r(std::clamp(x, screen.left(), screen.right() + 1 - w),
                        std::clamp(y, screen.top(), screen.bottom() + 1 - h), w, h);
                if (std::any_of(corners.begin(), corners.end(), [&](QPoint c) {
                        return r.adjusted(-kCornerRoom, -kCornerRoom, kCornerRoom, kCornerRoom).contains(c);
                    }))
                    continue;
                qint64 onWindows = 0;
                for (const QRect &q : windows)
                    onWindows += overlap(r, q);
                // The first pass keeps off the windows; the second only when
                // there is no such place, covering as little as it can.
                if (pass == 0 && onWindows > 0)
                    continue;
                const QPoint anchor = picture.isValid() ? QPoint(picture.right() + 1, picture.top()) : screen.topRight();
                const qint64 cost = (overlap(r, picture) + 2 * onWindows) * 1000 +
                                    (r.topLeft() - anchor).manhattanLength();
                if (bestCost < 0 || cost < bestCost) {
                    bestCost = cost;
                    best = r;
                }
            }
    }
    if (best.isNull())
        best = QRect(screen.right() + 1 - w, screen.top(), w, h);
    return best;
}

void AutoReadPanel::setColour(QRgb rgb)
{
    rgb = qRgb(qRed(rgb), qGreen(rgb), qBlue(rgb));
    m_pickedDistance.reset();
    if (m_colour == rgb)
        return;
    m_colour = rgb;
    clearCandidates();
    if (m_toleranceUsed) {
        m_toleranceUsed.reset(); // estimated for another colour
        Q_EMIT toleranceUsedChanged();
    }
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
    const QRgb c = pickCoreColour(img, px, py);
    std::optional<double> nearest;
    for (QRgb sw : m_swatches)
        if (const double d = deltaE(c, sw); !nearest || d < *nearest)
            nearest = d;
    setColour(c);
    m_pickedDistance = nearest;
    Q_EMIT colourChanged();
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
    // A tolerance given by hand holds: no estimate overrides it.
    setAutoTolerance(false);
    if (t == m_tolerance)
        return;
    m_tolerance = t;
    clearCandidates();
    Q_EMIT toleranceChanged(t);
    startTint();
}

void AutoReadPanel::setAutoTolerance(bool on)
{
    if (on == m_autoTolerance)
        return;
    m_autoTolerance = on;
    clearCandidates();
    Q_EMIT autoToleranceChanged(on);
    startTint();
}

void AutoReadPanel::addExclusion(QPointF a, QPointF b)
{
    const QRectF e = QRectF(a, b).normalized();
    if (e.isEmpty())
        return;
    m_exclusions.push_back(e);
    clearCandidates();
    Q_EMIT exclusionsChanged();
    startTint();
}

void AutoReadPanel::clearExclusions()
{
    if (m_exclusions.empty())
        return;
    m_exclusions.clear();
    clearCandidates();
    Q_EMIT exclusionsChanged();
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
    job.autoTolerance = m_autoTolerance;
    job.margin = m_margin;
    // Normalised y runs upwards; picture pixels downwards.
    const double W = img.width(), H = img.height();
    auto pixels = [W, H](const QRectF &n) {
        return QRectF(QPointF(n.left() * W, (1 - n.bottom()) * H), QPointF(n.right() * W, (1 - n.top()) * H));
    };
    if (m_limit)
        job.limit = pixels(*m_limit);
    for (const QRectF &e : m_exclusions)
        job.exclusions.push_back(pixels(e));
    job.method = m_method;
    job.steps = steps;
    job.markers = markers;
    return job;
}

bool AutoReadPanel::read()
{
    cancel();
    m_watcher.waitForFinished();
    // A frame that cannot be read is named for what is wrong with it.
    if (const QString problem = frameProblemText(r.panel); !problem.isEmpty()) {
        Q_EMIT failed(problem);
        return false;
    }
    QString why;
    auto job = makeJob(&why);
    if (!job) {
        Q_EMIT failed(why);
        return false;
    }
    if (job->method != Method::Markers) {
        if (const QString why = rangeProblem(job->frame, job->method == Method::YSteps, job->steps); !why.isEmpty()) {
            Q_EMIT failed(why);
            return false;
        }
        if (auto v = stepValues(job->frame, job->method == Method::YSteps, job->steps); !v) {
            Q_EMIT failed(readErrorText(v.error()));
            return false;
        }
    }
    clearCandidates();
    m_lastJobTolerance = job->tolerance;
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
    m_added = false;
    // Not there (or only as lines for markers): say why, and offer nothing.
    if (m_result.absence != ReadResult::Absence::None)
        Q_EMIT failed(absenceText(m_result));
    if (m_result.toleranceUsed > 0 || m_autoTolerance) {
        // A core that reports nothing read with the tolerance it was given.
        m_toleranceUsed = m_result.toleranceUsed > 0 ? m_result.toleranceUsed : m_lastJobTolerance;
        Q_EMIT toleranceUsedChanged();
        startTint();
    }
    Q_EMIT candidatesChanged();
}

void AutoReadPanel::clearCandidates()
{
    if (m_result.points.empty() && m_result.skipped == 0 && m_result.mergedRegions == 0)
        return;
    m_result = ReadResult{};
    m_added = false;
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
    if (m_result.lineUnderMarkers)
        t += QCoreApplication::translate("AutoRead", "(同じ色の線を除いて読取)");
    if (m_result.detachedLeftOut)
        t += QCoreApplication::translate("AutoRead", "、曲線から離れた断片 %1 個は除外").arg(m_result.detachedLeftOut);
    if (m_toleranceUsed)
        t += QCoreApplication::translate("AutoRead", "、許容差 ΔE %1").arg(QString::number(*m_toleranceUsed, 'f', 1));
    if (m_added)
        t += QCoreApplication::translate("AutoRead", "(追加済み)");
    return t;
}

Reading::BatchResult AutoReadPanel::add()
{
    Reading::BatchResult res;
    if (m_result.points.empty() || busy())
        return res;
    if (m_added && !r.port().askYesNo(addAgainText(), QCoreApplication::translate("AutoRead", "自動読取")))
        return res;
    std::vector<QPointF> pos;
    pos.reserve(m_result.points.size());
    for (const FoundPoint &p : m_result.points)
        pos.push_back(p.normalised);
    res = r.addPoints(r.settings.seriesNumber(), pos);
    m_added = true;
    Q_EMIT candidatesChanged();
    Q_EMIT added(addedText(res.added));
    if (res.leftOut > 0)
        r.port().message(limitText(res.added, res.leftOut));
    return res;
}

void AutoReadPanel::setTintView(const QRectF &source, QSize size)
{
    if (source == m_tintSource && size == m_tintSize)
        return;
    m_tintSource = source;
    m_tintSize = size;
    startTint();
}

void AutoReadPanel::startTint()
{
    if (m_tinting) {
        m_tintAgain = true; // the latest settings once this one is done
        return;
    }
    const QImage &img = r.graph.picture();
    auto f = readFrame(r.panel);
    if (!m_colour || img.isNull() || !f || m_tintSize.isEmpty() || m_tintSource.isEmpty()) {
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
    // In "Auto" the tint follows the ΔE the last read used.
    if (m_autoTolerance && m_toleranceUsed)
        job->tolerance = *m_toleranceUsed;
    m_tintAgain = false;
    m_tinting = true;
    const QRectF source = m_tintSource;
    const QSize size = m_tintSize;
    m_tintWatcher.setFuture(QtConcurrent::run(&m_pool, [job = *job, source, size] {
        const QImage rgb = job.picture.format() == QImage::Format_RGB32 || job.picture.format() == QImage::Format_ARGB32
                               ? job.picture
                               : job.picture.convertToFormat(QImage::Format_RGB32);
        const ReadArea area(job.frame, rgb.size(), job.margin, job.limit);
        return std::make_pair(viewTint(rgb, area, job.exclusions, ColourMatcher(job.colour, job.tolerance), source,
                                       size, tintColour()),
                              source);
    }));
}

void AutoReadPanel::tintDone()
{
    m_tinting = false;
    std::tie(m_tint, m_tintSourceDone) = m_tintWatcher.result();
    if (m_tintAgain)
        startTint(); // before announcing, so that no one sees a stale tint as final
    Q_EMIT tintChanged();
}

} // namespace orv::autoread
