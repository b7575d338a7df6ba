#pragma once
// The data processing window (modal dialog), a view of DataDisposalForm.

#include "processing/data_disposal_form.h"

#include <QDialog>
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabBar;
class QPainter;
class QRect;

namespace orv {

class Reading;

// One of the five clickable kind pictures with its red selection frame.
class KindPicture : public QWidget {
    Q_OBJECT
public:
    KindPicture(FitKind kind, QWidget *parent = nullptr);
    void setSelected(bool on);
    bool selected() const { return m_selected; }
    // The picture of a kind, as painted (also used for the icons elsewhere).
    static void paintKind(QPainter &p, FitKind kind, const QRect &r);

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    FitKind m_kind;
    bool m_selected = false;
};

class DataDisposalFormWidget : public QDialog {
    Q_OBJECT
public:
    DataDisposalFormWidget(DataDisposalForm &form, QWidget *parent = nullptr);

    DataDisposalForm &form() const { return m_form; }

private:
    void refresh();
    void okClicked();

    DataDisposalForm &m_form;
    QComboBox *m_series;
    QTabBar *m_tabs;
    QWidget *m_aprxFrame, *m_sortFrame, *m_csvFrame;
    std::array<KindPicture *, kFitKindCount> m_kinds{};
    QComboBox *m_jisu;
    QCheckBox *m_intcptCheck;
    QLineEdit *m_intcptText;
    QRadioButton *m_asc, *m_desc;
    QComboBox *m_sortKey;
    QLabel *m_csvLabel;
    QPushButton *m_ok, *m_cancel;
};

// Opens the data processing window over a series table: the series list holds
// every series whose table window is open, the given series selected. Returns
// the dialog's result.
int openDataDisposal(Reading &reading, int series, QWidget *parent);

} // namespace orv
