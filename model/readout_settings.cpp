#include "model/readout_settings.h"

#include "model/numtext.h"

#include <QCoreApplication>

namespace orv {

Combo::Combo(QStringList items, int defaultIndex, QObject *parent)
    : QObject(parent), m_items(std::move(items)), m_index(defaultIndex), m_text(m_items.value(defaultIndex))
{
}

void Combo::setIndex(int index)
{
    if (index < 0 || index >= m_items.size())
        return;
    m_index = index;
    if (m_text != m_items[index]) {
        m_text = m_items[index];
        Q_EMIT textChanged(m_text);
    }
    Q_EMIT clicked();
}

void Combo::setText(const QString &text)
{
    m_index = int(m_items.indexOf(text));
    if (m_text == text)
        return;
    m_text = text;
    Q_EMIT textChanged(m_text);
}

void Combo::setItems(const QStringList &items)
{
    if (items == m_items)
        return;
    m_items = items;
    m_index = int(m_items.indexOf(m_text));
    Q_EMIT itemsChanged();
    if (m_index < 0)
        setIndex(0);
}

QStringList ReadoutSettings::seriesItems()
{
    QStringList l;
    for (int i = 1; i <= 16; ++i)
        l << QStringLiteral("系列%1").arg(i);
    return l;
}

QStringList ReadoutSettings::formatItems()
{
    return {QStringLiteral("AUTO"),     QStringLiteral("0"),         QStringLiteral("0.0"),
            QStringLiteral("0.00"),     QStringLiteral("0.000"),     QStringLiteral("0.0000"),
            QStringLiteral("0.00000"),  QStringLiteral("0.000000"),  QStringLiteral("0.0e+0"),
            QStringLiteral("0.00e+0"),  QStringLiteral("0.000e+0"),  QStringLiteral("0.0000e+0"),
            QStringLiteral("0.00000e+0")};
}

QStringList ReadoutSettings::zoomItems()
{
    return {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),  QStringLiteral("4"),
            QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),  QStringLiteral("8"),
            QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("15"), QStringLiteral("20")};
}

ReadoutSettings::ReadoutSettings(QObject *parent)
    : QObject(parent), keiretsu(seriesItems(), 0, this), xFormat(formatItems(), 0, this),
      yFormat(formatItems(), 0, this), zoom(zoomItems(), 4, this)
{
}

QString seriesDisplayName(const QString &key)
{
    if (!key.startsWith(u"系列"))
        return key;
    bool ok = false;
    const int n = key.mid(2).toInt(&ok);
    return ok ? QCoreApplication::translate("Main", "系列%1").arg(n) : key;
}

int ReadoutSettings::seriesNumber() const
{
    QString t = keiretsu.text();
    t.remove(QStringLiteral("系列"));
    return int(readPrefix(t));
}

} // namespace orv
#include <QCoreApplication>
