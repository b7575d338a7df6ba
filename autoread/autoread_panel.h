#pragma once
// Behaviour of the automatic reading panel "自動読取": the colour (eyedropper
// or one of the picture's dominant colours), the tolerance, the reading area,
// the method and its options, the candidates found, and adding them to the
// current series. Reading and tinting run on worker threads; the panel widget
// and the picture overlay are views of this object.

#include "autoread/methods.h"
#include "model/reading.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <memory>
#include <optional>

namespace orv::autoread {

class AutoReadPanel : public QObject {
    Q_OBJECT
public:
    explicit AutoReadPanel(Reading &reading, QObject *parent = nullptr);
    ~AutoReadPanel() override;

    Reading &reading() const { return r; }

    // Why the panel cannot open on this reading ("" when it can).
    static QString cannotOpenText(const Reading &reading);
    static QString noPictureText();
    static QString noFrameText();
    static QString noColourText();
    static QString limitText(int added, int leftOut);
    static QString cancelledText();
    static QString addedText(int count);
    static QString addAgainText();
    // Why the From/To boxes cannot be read ("" when they can): ends finite,
    // within 10^6 frame spans of the frame's range (decades on a log axis),
    // and different unless a single point is asked.
    static QString rangeProblem(const FrameSpec &f, bool alongY, const StepOptions &o);

    // Where the panel opens on `screen`: clear of the other windows (the
    // series tables), of the frame's corners (the clicks that matter most)
    // and, where possible, of the picture; near the picture's upper right.
    static QRect place(const QRect &screen, QSize size, const QRect &picture, const std::vector<QRect> &windows,
                       const std::vector<QPoint> &corners);

    // --- Colour --------------------------------------------------------------
    std::optional<QRgb> colour() const { return m_colour; }
    void setColour(QRgb rgb);
    // The eyedropper: the core of the line under the normalised position
    // (x, y), the 5 x 5 pixel farthest from the paper.
    void pickAt(double x, double y);
    // ΔE from the last picked colour to the nearest swatch (unset after a
    // swatch or a typed colour, or without swatches).
    std::optional<double> pickedSwatchDistance() const { return m_pickedDistance; }
    const std::vector<QRgb> &swatches() const { return m_swatches; }
    void refreshSwatches();
    static constexpr int kMaxTolerance = 60;
    int tolerance() const { return m_tolerance; }
    // Turns "Auto" off: a tolerance given by hand holds.
    void setTolerance(int t);
    // "Auto": the reading estimates the tolerance from the picture; the ΔE it
    // used is reported after each read (unset before the first).
    bool autoTolerance() const { return m_autoTolerance; }
    void setAutoTolerance(bool on);
    std::optional<double> toleranceUsed() const { return m_toleranceUsed; }

    // --- Area and method --------------------------------------------------------
    double margin() const { return m_margin; }
    void setMargin(double px);
    // Normalised picture coordinates, any two opposite corners.
    std::optional<QRectF> limit() const { return m_limit; }
    void setLimit(QPointF a, QPointF b);
    void clearLimit();
    // Rectangles left out of the reading (normalised, any two corners); not
    // part of the reading's file.
    const std::vector<QRectF> &exclusions() const { return m_exclusions; }
    void addExclusion(QPointF a, QPointF b);
    void clearExclusions();
    Method method() const { return m_method; }
    void setMethod(Method m);
    StepOptions steps;
    MarkerOptions markers;

    // --- Reading -----------------------------------------------------------------
    // Starts reading with the settings as they are; a running read is
    // cancelled first. False (and `failed` emitted) when it cannot start.
    bool read();
    void cancel();
    // Until the result has been taken (the worker may be done before that).
    bool busy() const { return m_reading; }
    bool progressShown() const { return m_progressShown; }
    const ReadResult &candidates() const { return m_result; }
    QString countText() const;
    // Adds the candidates to the current series (one batch); the message for
    // the ID limit when some were left out. The candidates stay, marked added:
    // adding them again asks first.
    Reading::BatchResult add();
    bool candidatesAdded() const { return m_added; }
    // The job a read would start with the settings as they are.
    std::optional<ReadJob> job(QString *why) const { return makeJob(why); }

    // --- Tint ------------------------------------------------------------------------
    // The tint covers the part of the picture in view (`source`, picture
    // pixels) at the view's scale (`size` pixels at most the source's), never
    // the whole picture at full size.
    void setTintView(const QRectF &source, QSize size);
    QRectF tintSource() const { return m_tintSourceDone; }
    // Matching pixels inside the reading area over tintSource(); null while no
    // colour is chosen or no view is set.
    const QImage &tint() const { return m_tint; }
    bool tinting() const { return m_tinting; }
    static QRgb tintColour() { return qRgba(0, 200, 255, 150); }

Q_SIGNALS:
    void colourChanged();
    void swatchesChanged();
    void toleranceChanged(int t);
    void limitChanged();
    void exclusionsChanged();
    void autoToleranceChanged(bool on);
    void toleranceUsedChanged();
    void tintChanged();
    void candidatesChanged();
    void busyChanged(bool busy);
    void progressShownChanged(bool shown);
    void progress(int done, int total);
    void failed(const QString &message);
    // "N points added" after 追加.
    void added(const QString &status);

private:
    std::optional<ReadJob> makeJob(QString *why) const;
    void startTint();
    void tintDone();
    void readDone();
    void clearCandidates();

    Reading &r;
    std::optional<QRgb> m_colour;
    std::vector<QRgb> m_swatches;
    int m_tolerance = 15;
    bool m_autoTolerance = true;
    std::optional<double> m_toleranceUsed;
    std::optional<double> m_pickedDistance;
    std::vector<QRectF> m_exclusions;
    bool m_added = false;
    double m_lastJobTolerance = 15;
    QRectF m_tintSource, m_tintSourceDone;
    QSize m_tintSize;
    double m_margin = 3;
    std::optional<QRectF> m_limit;
    Method m_method = Method::XSteps;

    ReadResult m_result;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    // A snapshot of the frame boxes the worker converts with: the panel
    // itself may change while it runs.
    std::shared_ptr<CalibPanel> m_frameCopy;
    QFutureWatcher<std::expected<ReadResult, ReadError>> m_watcher;
    QTimer m_progressDelay;
    bool m_progressShown = false;

    QThreadPool m_pool;
    QImage m_tint;
    QFutureWatcher<std::pair<QImage, QRectF>> m_tintWatcher;
    bool m_tintAgain = false;
    bool m_tinting = false;
    bool m_reading = false;
};

} // namespace orv::autoread
