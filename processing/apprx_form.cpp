#include "processing/apprx_form.h"
#include <QCoreApplication>

#include "model/datetext.h"
#include "model/reading.h"
#include "model/readout_settings.h"
#include "processing/equation.h"
#include "processing/evaluator.h"
#include "processing/table_ops.h"

namespace orv {

ApprxForm::ApprxForm(Reading &reading, const QString &seriesText, QObject *parent)
    : QObject(parent), m_r(reading), m_series(seriesText)
{
    m_handle = m_r.registerWindow(QStringLiteral("Apprx_Form"), QString());
    // Form_Load
    m_lineWidthIndex = 1;
    m_xOrigin = m_r.dateOrigin(true);
    m_yOrigin = m_r.dateOrigin(false);
    // On a date axis x is typed as a date.
    m_xText = m_r.isDateAxis(true) ? exactDateText(m_xOrigin, m_r.panel.timesOnly(true))
                                   : doubleText(readPrefix(m_r.panel.val(CalibPanel::LLX_VLText)));
}

QString ApprxForm::dateNote() const
{
    QStringList parts;
    if (m_r.isDateAxis(true))
        parts << QCoreApplication::translate("Processing", "x は %1 からの日数").arg(exactDateText(m_xOrigin, m_r.panel.timesOnly(true)));
    if (m_r.isDateAxis(false))
        parts << QCoreApplication::translate("Processing", "y は %1 からの日数").arg(exactDateText(m_yOrigin, m_r.panel.timesOnly(false)));
    return parts.join(QStringLiteral("、"));
}

ApprxForm::~ApprxForm() { m_r.unregisterWindow(m_handle); }

void ApprxForm::setResult(const QString &caption, const QString &kindName, const QString &equation,
                          const QString &r2Text)
{
    m_caption = caption;
    m_r.setWindowCaption(m_handle, caption);
    m_kind = kindName;
    QString eq = equation;
    eq.remove(u' ');
    m_apprxText = eq;
    m_backUp = eq;
    m_r2 = r2Text;
    Q_EMIT changed();
}

void ApprxForm::setXText(const QString &t)
{
    if (m_xText == t)
        return;
    m_xText = t;
    Q_EMIT changed();
}

QStringList ApprxForm::lineWidthItems()
{
    return {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
            QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6")};
}

void ApprxForm::setLineWidthIndex(int i)
{
    if (i < 0 || i > 5 || i == m_lineWidthIndex)
        return;
    m_lineWidthIndex = i;
    Q_EMIT changed();
}

QString ApprxForm::Replace_Eqtn(const QString &t) const { return replaceEqtn(m_backUp, m_kind, t); }

void ApprxForm::Command1_Click()
{
    auto answer = m_r.port().inputBox(QCoreApplication::translate("Processing", "文字「x」に対し、置き換える文字を入力して下さい。(A1、B2等)"),
                                      QCoreApplication::translate("Processing", "置換文字入力"), QStringLiteral("A1"));
    if (!answer || answer->isEmpty())
        return;
    // The spreadsheet formula takes the reference exactly as typed. A
    // spreadsheet's dates are the same serial days: on a date axis the
    // formula counts from the lower-left date itself.
    const QString ref = m_r.isDateAxis(true) ? QStringLiteral("(%1-%2)").arg(*answer, shortestNumText(m_xOrigin)) : *answer;
    m_apprxText = u'=' + Replace_Eqtn(ref);
    if (m_r.isDateAxis(false))
        m_apprxText += u'+' + shortestNumText(m_yOrigin);
    Q_EMIT changed();
}

void ApprxForm::CopyClipBoard_Command_Click()
{
    m_r.port().clearClipboard();
    m_r.port().setClipboardText(m_apprxText);
}

void ApprxForm::CopyClipBoard_Command1_Click()
{
    m_r.port().clearClipboard();
    m_r.port().setClipboardText(m_yText);
}

QString ApprxForm::lnMessage() { return QCoreApplication::translate("Processing", "Lｎにおいて0又は0以下の数値は計算できません。"); }

QString ApprxForm::evalFailureMessage(const QString &description)
{
    return QCoreApplication::translate("Processing", "エラー！(No.5)(近似値を計算できません。%1)").arg(description);
}

void ApprxForm::UserCalc_Command_Click()
{
    double x = readPrefix(m_xText);
    if (m_r.isDateAxis(true)) {
        const auto d = readDateValue(m_xText);
        if (!d) {
            const auto why = parseDateText(m_xText);
            m_r.port().message(dateErrorText(why ? DateError::NotADate : why.error(), m_xText));
            return;
        }
        x = *d - m_xOrigin;
    }
    // A negative x goes in parentheses: "0.5*(-2)^2" is 2, "0.5*-2^2" would be -2.
    const QString e = evalExpression(m_backUp, m_kind, x);
    if (e.contains(u"Log") && !(x > 0)) {
        m_r.port().message(lnMessage());
        return;
    }
    auto y = evaluateExpression(e);
    if (!y) {
        m_r.port().message(evalFailureMessage(evalErrorText(y.error())));
        return;
    }
    m_yText = m_r.Format_Val(u"Y", *y + m_yOrigin);
    Q_EMIT changed();
}

void ApprxForm::Picture1_Click()
{
    // The chooser opens on black, as the program's colour chooser always does.
    auto c = m_r.port().chooseColor(QColor(0, 0, 0));
    if (!c || !c->isValid())
        return; // a cancel keeps the colour rather than turning the curve black
    m_color = QColor(c->red(), c->green(), c->blue());
    Q_EMIT changed();
}

std::optional<ApprxPlot> ApprxForm::Draw_Apprx()
{
    // A date axis is drawn in days since its lower-left date, as it was fitted.
    auto corner = [this](CalibPanel::ValBox b) {
        const bool xAxis = CalibPanel::isXBox(b);
        if (!m_r.isDateAxis(xAxis))
            return readPrefix(m_r.panel.val(b));
        const auto v = m_r.panel.value(b);
        return (v ? *v : 0) - (xAxis ? m_xOrigin : m_yOrigin);
    };
    const double llx = corner(CalibPanel::LLX_VLText);
    const double rux = corner(CalibPanel::RUX_VLText);
    const double lly = corner(CalibPanel::LLY_VLText);
    const double ruy = corner(CalibPanel::RUY_VLText);
    auto plot = plotFrame(llx, rux, lly, ruy);
    if (!plot) {
        m_r.port().message(plot.error());
        return std::nullopt;
    }
    plot->caption = m_caption;
    plot->color = m_color;
    plot->lineWidth = lineWidth();
    plot->xOrigin = m_xOrigin;
    plot->yOrigin = m_yOrigin;
    if (m_r.graph.picAreaWidthTwips > 0 && m_r.graph.picAreaHeightTwips > 0) {
        plot->widthTwips = m_r.graph.picAreaWidthTwips;
        plot->heightTwips = m_r.graph.picAreaHeightTwips;
    }
    auto curve = sampleCurve(m_backUp, m_kind, llx, rux);
    if (!curve) {
        m_r.port().message(curve.error());
        return std::nullopt;
    }
    plot->curve = std::move(*curve);

    if (auto s = resolveSeries(m_series)) {
        const SeriesTable &t = m_r.grid(*s);
        for (int row = 1; row < t.rowCount(); ++row) {
            const double id = readPrefix(t.cell(row, SeriesTable::ColId));
            // A date axis's point at its own serial day, never its rounded text.
            auto value = [&](int col, bool xAxis) {
                if (!m_r.isDateAxis(xAxis))
                    return std::optional<double>(readPrefix(t.cell(row, col)));
                return m_r.cellValue(t, row, col);
            };
            const auto x = value(SeriesTable::ColX, true), y = value(SeriesTable::ColY, false);
            if (!x || !y)
                continue;
            plot->markers.push_back({*x - m_xOrigin, *y - m_yOrigin,
                                     seriesDisplayName(m_series) + QCoreApplication::translate("Processing", "：ID=") + doubleText(id) + QStringLiteral(",X=") + m_r.Format_Val(u"X", *x) +
                                         QStringLiteral(",Y=") + m_r.Format_Val(u"Y", *y) + QStringLiteral(",Z=0")});
        }
    }
    return std::move(*plot);
}

ApprxGraphForm::ApprxGraphForm(Reading &reading, ApprxPlot plot, QObject *parent)
    : QObject(parent), m_r(reading), m_plot(std::move(plot))
{
    m_handle = m_r.registerWindow(QStringLiteral("Apprx_Graph_Form"), m_plot.caption);
}

ApprxGraphForm::~ApprxGraphForm() { m_r.unregisterWindow(m_handle); }

void ApprxGraphForm::mouseMove(QPointF pixel, QSizeF size)
{
    const QPointF v = m_plot.toValue(pixel, size);
    m_status = QStringLiteral("X=") + m_r.Format_Val(u"X", v.x() + m_plot.xOrigin) + QStringLiteral(" , Y=") +
               m_r.Format_Val(u"Y", v.y() + m_plot.yOrigin);
    Q_EMIT statusTextChanged(m_status);
}

} // namespace orv
