#pragma once
// The main window's readout settings: the series combo, the two display-format
// combos and the zoom factor combo. Each combo keeps its list and the text it
// shows; the text is what the program reads.

#include <QObject>
#include <QString>
#include <QStringList>

namespace orv {

class Combo : public QObject {
    Q_OBJECT
public:
    Combo(QStringList items, int defaultIndex, QObject *parent = nullptr);
    const QStringList &items() const { return m_items; }
    int index() const { return m_index; }
    const QString &text() const { return m_text; }
    // Selecting an item raises the click notification, as the list's click does.
    void setIndex(int index);
    // Text typed or set directly (index becomes that of a matching item or -1).
    void setText(const QString &text);
    // Another list (a date axis offers date patterns): the text stays when
    // the new list holds it, else the first item is taken.
    void setItems(const QStringList &items);

Q_SIGNALS:
    void clicked();
    void textChanged(const QString &text);
    void itemsChanged();

private:
    QStringList m_items;
    int m_index;
    QString m_text;
};

class ReadoutSettings : public QObject {
    Q_OBJECT
public:
    explicit ReadoutSettings(QObject *parent = nullptr);

    static QStringList seriesItems();
    static QStringList formatItems();
    static QStringList zoomItems();

    Combo keiretsu; // "系列1" .. "系列16"
    Combo xFormat;  // "AUTO", "0", "0.0", ..., "0.00000e+0"
    Combo yFormat;
    Combo zoom;     // "1" .. "9", "10", "15", "20"

    // The series number the combo's text names ("系列" removed, read as a number).
    int seriesNumber() const;
};

// "系列3" names a series in the reading, its files and its windows' keys; the
// windows show it in the user's language. Other texts are shown as they are.
QString seriesDisplayName(const QString &key);

} // namespace orv
