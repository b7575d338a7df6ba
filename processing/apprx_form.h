#pragma once
// Apprx_Form, the approximation result window: the equation and R², the
// rewrite as a spreadsheet formula, evaluation at a typed x, the clipboard
// buttons and the settings of the curve plot (line width, colour). The widget
// ApprxFormWidget is a view of this object.

#include "processing/apprx_plot.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace orv {

class Reading;

class ApprxForm : public QObject {
    Q_OBJECT
public:
    // `seriesText` is the data processing window's Keiretsu_Combo text (it
    // stays loaded underneath while this window is open).
    ApprxForm(Reading &reading, const QString &seriesText, QObject *parent = nullptr);
    ~ApprxForm() override;

    Reading &reading() const { return m_r; }

    // Filled by Make_Apprx before the window is shown.
    void setResult(const QString &caption, const QString &kindName, const QString &equation, const QString &r2Text);

    const QString &caption() const { return m_caption; }
    const QString &frame1Caption() const { return m_kind; } // the kind's name
    const QString &apprxText() const { return m_apprxText; }
    const QString &backUpLabel() const { return m_backUp; }
    const QString &r2Text() const { return m_r2; }
    const QString &xText() const { return m_xText; }
    void setXText(const QString &t);
    const QString &yTextCalc() const { return m_yText; }
    // On a date axis the fit counts days from the lower-left corner's date:
    // the line that says so ("" when no axis is a date).
    QString dateNote() const;
    double xOrigin() const { return m_xOrigin; }
    double yOrigin() const { return m_yOrigin; }

    static QStringList lineWidthItems(); // "1" .. "6"
    int lineWidthIndex() const { return m_lineWidthIndex; }
    void setLineWidthIndex(int i);
    int lineWidth() const { return m_lineWidthIndex + 1; }
    const QColor &curveColor() const { return m_color; }

    QString Replace_Eqtn(const QString &t) const;

    // Command1 "Excel用に置換": asks for the replacement text.
    void Command1_Click();
    void CopyClipBoard_Command_Click();
    void CopyClipBoard_Command1_Click();
    // "計算": evaluates the equation at xText; messages on failure, the
    // previous result stays.
    void UserCalc_Command_Click();
    // The colour swatch: the colour chooser; a cancel keeps the colour.
    void Picture1_Click();
    // Draw_Apprx: the whole plot, or nullopt after the failure was reported.
    std::optional<ApprxPlot> Draw_Apprx();

    static QString lnMessage();           // "Lｎにおいて0又は0以下の数値は計算できません。"
    static QString evalFailureMessage(const QString &description);

Q_SIGNALS:
    void changed();

private:
    Reading &m_r;
    QString m_series;
    int m_handle = 0;
    QString m_caption, m_kind, m_apprxText, m_backUp, m_r2, m_xText, m_yText;
    int m_lineWidthIndex = 1;
    QColor m_color{255, 0, 255};
    double m_xOrigin = 0, m_yOrigin = 0;
};

// Apprx_Graph_Form, the curve plot window: the plot and the pointer readout.
class ApprxGraphForm : public QObject {
    Q_OBJECT
public:
    ApprxGraphForm(Reading &reading, ApprxPlot plot, QObject *parent = nullptr);
    ~ApprxGraphForm() override;

    const ApprxPlot &plot() const { return m_plot; }
    // The readout for the pointer at `pixel` in a picture of `size`.
    void mouseMove(QPointF pixel, QSizeF size);
    const QString &statusText() const { return m_status; }

Q_SIGNALS:
    void statusTextChanged(const QString &text);

private:
    Reading &m_r;
    ApprxPlot m_plot;
    int m_handle = 0;
    QString m_status;
};

} // namespace orv
