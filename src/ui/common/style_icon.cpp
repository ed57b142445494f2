// Orlith — desktop catalogue of removable media.
#include "ui/common/style_icon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>

namespace orlith {

namespace {

class StyleIconEngine : public QIconEngine
{
public:
    explicit StyleIconEngine(QStyle::StandardPixmap which) : m_which(which)
    {
        const QPixmap small = QApplication::style()->standardPixmap(which);
        m_smallSize = small.size();
        m_small = QIcon(small);
    }

    QIconEngine *clone() const override { return new StyleIconEngine(*this); }

    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return iconFor(size).actualSize(size, mode, state);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return iconFor(size).pixmap(size, mode, state);
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        iconFor(rect.size() * scale).paint(painter, rect, Qt::AlignCenter, mode, state);
    }

private:
    StyleIconEngine(const StyleIconEngine &other) = default;

    // `size` in device pixels.
    QIcon &iconFor(const QSize &size)
    {
        if (!m_small.isNull() && size.width() <= m_smallSize.width() &&
            size.height() <= m_smallSize.height())
            return m_small;
        if (m_full.isNull())
            m_full = QApplication::style()->standardIcon(m_which);
        return m_full.isNull() ? m_small : m_full;
    }

    QStyle::StandardPixmap m_which;
    QIcon m_small;
    QSize m_smallSize;
    QIcon m_full; // built on first need
};

} // namespace

QIcon styleIcon(QStyle::StandardPixmap which)
{
    return QIcon(new StyleIconEngine(which));
}

} // namespace orlith
