#pragma once
// Behaviour of the "自動校正" command: calibrates the reading's picture on a
// worker thread (progress after a moment, cancellable), keeps what was found
// for the overlay, asks whether points already read are to be read again,
// writes the calibration as one undoable step and says what it could not
// find. The widget and the overlay are views of this object.

#include "autocal/calibrate.h"
#include "model/reading.h"

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <memory>
#include <optional>

namespace orv::autocal {

class AutoCalibrator : public QObject {
    Q_OBJECT
public:
    using EngineFactory = std::function<std::unique_ptr<OcrEngine>(QString *error)>;

    explicit AutoCalibrator(Reading &reading, QObject *parent = nullptr);
    ~AutoCalibrator() override;

    // Tesseract (and a PDF page's own text) unless a test gives another.
    void setEngineFactory(EngineFactory f) { m_factory = std::move(f); }
    // The window's mode switch, so that its hint picture and corner groups follow.
    void setTabSwitch(std::function<void(int)> f) { m_tabSwitch = std::move(f); }

    // Starts on the reading's picture; false (and the message shown) when
    // there is none. A run already going is cancelled first.
    bool start();
    void cancel();
    bool busy() const { return m_busy; }
    // Shown 200 ms after the start, with its cancel button.
    bool progressShown() const { return m_progressShown; }
    static constexpr int kProgressDelayMs = 200;

    // The last calibration found, shown over the picture until another
    // picture is opened.
    const std::optional<Calibration> &result() const { return m_result; }
    // An axis found from two labels only: its values are for the user to check.
    bool unsure(AxisId axis) const { return axis == AxisId::X ? m_unsureX : m_unsureY; }

    static QString noPictureText();
    static QString rereadQuestion();
    static QString notFoundText(Missing m);
    static QString oneAxisText(Missing m);
    static QString unsureText();
    static QString cancelledText();
    static QString title();

Q_SIGNALS:
    void busyChanged(bool busy);
    void progressShownChanged(bool shown);
    void progress(int percent);
    void resultChanged();
    void unsureChanged();

private:
    void done();
    void clearResult();
    void setUnsure(bool x, bool y);

    Reading &r;
    EngineFactory m_factory;
    std::function<void(int)> m_tabSwitch;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    QThreadPool m_pool;
    struct Outcome {
        std::optional<Calibration> cal;
        QString error; // the engine could not start
        bool cancelled = false;
    };
    QFutureWatcher<Outcome> m_watcher;
    QTimer m_progressDelay;
    bool m_busy = false;
    bool m_progressShown = false;
    bool m_applying = false;
    bool m_unsureX = false, m_unsureY = false;
    std::optional<Calibration> m_result;
};

} // namespace orv::autocal
