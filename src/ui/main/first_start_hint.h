// Orlith — desktop catalogue of removable media.
#pragma once

#include <QLabel>

class QAbstractItemView;

namespace orlith {

// How to begin, shown inside an empty list while the store holds no disc yet. It lies over
// the view's viewport and follows its size and its model's rows by itself; the window only
// says when the store gains or loses its last disc. Object name: lblFirstStart.
class FirstStartHint : public QLabel
{
    Q_OBJECT

public:
    explicit FirstStartHint(QAbstractItemView *view);

    void setStoreEmpty(bool empty);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();

    QAbstractItemView *m_view;
    bool m_storeEmpty = false;
};

} // namespace orlith
