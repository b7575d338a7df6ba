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

    // --- Colour --------------------------------------------------------------
    std::optional<QRgb> colour() const { return m_colour; }
    void setColour(QRgb rgb);
    // The eyedropper: the 3 x 3 average around the picture pixel under the
    // normalised position (x, y).
    void pickAt(double x, double y);
    const std::vector<QRgb> &swatches() const { return m_swatches; }
    void refreshSwatches();
    static constexpr int kMaxTolerance = 60;
    int tolerance() const { return m_tolerance; }
    void setTolerance(int t);

    // --- Area and method --------------------------------------------------------
    double margin() const { return m_margin; }
    void setMargin(double px);
    // Normalised picture coordinates, any two opposite corners.
    std::optional<QRectF> limit() const { return m_limit; }
    void setLimit(QPointF a, QPointF b);
    void clearLimit();
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
    // the ID limit when some were left out. Clears the candidates.
    Reading::BatchResult add();

    // --- Tint ------------------------------------------------------------------------
    // Matching pixels inside the reading area, the picture's size; null while
    // no colour is chosen.
    const QImage &tint() const { return m_tint; }
    bool tinting() const { return m_tinting; }
    static QRgb tintColour() { return qRgba(0, 200, 255, 150); }

Q_SIGNALS:
    void colourChanged();
    void swatchesChanged();
    void toleranceChanged(int t);
    void limitChanged();
    void tintChanged();
    void candidatesChanged();
    void busyChanged(bool busy);
    void progressShownChanged(bool shown);
    void progress(int done, int total);
    void failed(const QString &message);

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
    QFutureWatcher<QImage> m_tintWatcher;
    bool m_tintAgain = false;
    bool m_tinting = false;
    bool m_reading = false;
};

} // namespace orv::autoread
