#pragma once
// DataDisposal_Form, the data processing window of one series: the
// approximation tab (kind, degree, intercept; the fit), the sort tab and the
// CSV tab. The widget DataDisposalFormWidget is a view of this object.

#include "processing/apprx_form.h"
#include "processing/fit.h"

#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

namespace orv {

class Reading;

class DataDisposalForm : public QObject {
    Q_OBJECT
public:
    enum Tab { TabApprx = 1, TabSort = 2, TabCsv = 3 };
    enum class Outcome { StayOpen, Close, ShowResult };

    // `fitter` null: the native fitter.
    explicit DataDisposalForm(Reading &reading, Fitter *fitter = nullptr, QObject *parent = nullptr);
    ~DataDisposalForm() override;

    Reading &reading() const { return m_r; }

    // Texts of the window.
    static QString captionText() { return QCoreApplication::translate("Processing", "データ処理"); }
    static QStringList tabCaptions(); // "近似式", "並び替え", "CSV保存"
    static QString savedMessage() { return QCoreApplication::translate("Processing", "保存しました。"); }
    static QString noSeriesText() { return QCoreApplication::translate("Processing", "系列が選ばれていません"); }
    static QString tooManyRowsMessage() { return QCoreApplication::translate("Processing", "1000個以上のデータには対応できません。"); }
    static QString csvFailureMessage(const QString &path, const QString &reason);

    // Keiretsu_Combo, filled by the opener.
    void setSeriesItems(const QStringList &items, const QString &selected);
    const QStringList &seriesItems() const { return m_seriesItems; }
    int seriesIndex() const { return m_seriesIndex; }
    void setSeriesIndex(int i);
    QString seriesText() const;

    // TabStrip1
    int tab() const { return m_tab; }
    void TabStrip1_Click(int tab);
    const QString &okCaption() const { return m_okCaption; }
    bool aprxFrameVisible() const { return m_tab == TabApprx; }
    bool sortFrameVisible() const { return m_tab == TabSort; }
    bool csvFrameVisible() const { return m_tab == TabCsv; }

    // Sort_Frame
    bool sortAscending() const { return m_ascending; }
    void setSortAscending(bool asc);
    static QStringList sortKeyItems(); // "X", "Y", "Z"
    int sortKeyIndex() const { return m_sortKey; }
    void setSortKeyIndex(int i);

    // CSV_Save_Frame1
    const QString &csvPath() const { return m_csvPath; }
    const QString &csvToolTip() const { return m_csvToolTip; }
    void BrowsCommand_Click();
    void CSV_Save_Label_Click();

    // Aprx_Frame
    int kindIndex() const { return m_kind; }
    void Aprx_Kind_Picture_Click(int index);
    const QString &Aprx_Kind() const { return m_aprxKind; }
    static QStringList jisuItems(); // "2" .. "6"
    int jisuIndex() const { return m_jisuIndex; }
    void Jisu_Combo_Click(int index);
    int Jisu() const { return m_jisu; }
    bool jisuEnabled() const { return m_jisuEnabled; }
    bool intcptChecked() const { return m_intcptChecked; }
    bool intcptCheckEnabled() const { return m_intcptCheckEnabled; }
    void Intcpt_Check_Click(bool checked);
    const QString &intcptText() const { return m_intcptText; }
    bool intcptTextEnabled() const { return m_intcptTextEnabled; }
    void setIntcptText(const QString &t); // Intcpt_Text change
    const QString &Intcpt_Val() const { return m_intcptVal; }

    // OK_Command: runs the selected tab's operation.
    Outcome OK_Command_Click();
    // The result window made by the last successful fit.
    std::unique_ptr<ApprxForm> takeResult() { return std::move(m_result); }

    // The operations themselves (OK_Command runs them).
    bool SaveCSV();  // false when nothing was written
    void Sort_Grid();
    bool Make_Apprx(); // true when the result window is ready

Q_SIGNALS:
    void changed();

private:
    void applyKindState();

    Reading &m_r;
    Fitter *m_fitter;
    int m_handle = 0;
    QStringList m_seriesItems;
    int m_seriesIndex = -1;
    int m_tab = TabApprx;
    QString m_okCaption;
    bool m_ascending = true;
    int m_sortKey = 0;
    QString m_csvPath, m_csvToolTip;
    int m_kind = 0;
    QString m_aprxKind;
    int m_jisuIndex = 0;
    int m_jisu = 2;
    bool m_jisuEnabled = false;
    bool m_intcptChecked = false;
    bool m_intcptCheckEnabled = true;
    bool m_intcptTextEnabled = false;
    QString m_intcptText = QStringLiteral("0");
    QString m_intcptVal;
    std::unique_ptr<ApprxForm> m_result;
};

} // namespace orv
