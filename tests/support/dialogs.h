// Orlith — desktop catalogue of removable media.
#pragma once

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace orlith::test {

// Runs `step` on the next modal dialog of type T once it is shown.
template <typename T> void onNextDialog(std::function<void(T *)> step)
{
    QTimer::singleShot(0, [step] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *d = qobject_cast<T *>(w); d && d->isVisible()) {
                step(d);
                return;
            }
        }
    });
}

// Clicks the named push button, which must be showing.
inline void click(QWidget &window, const char *name)
{
    auto *button = window.findChild<QPushButton *>(QString::fromLatin1(name));
    QVERIFY2(button && button->isVisible(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace orlith::test
