#pragma once
// The splash window frmSplash: artwork, version and two notice lines. At
// start-up it waits for its timer; as the version box it closes on a click or
// a key.

#include "mainwin/splash.h"

#include <QDialog>

class QLabel;

namespace orv {

class SplashWidget : public QDialog {
    Q_OBJECT
public:
    explicit SplashWidget(QWidget *parent = nullptr);
    frmSplash &core() { return m_core; }

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void reject() override;

private:
    frmSplash m_core;
};

} // namespace orv
