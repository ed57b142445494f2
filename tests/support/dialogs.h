// Orlith — desktop catalogue of removable media.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace orlith::test {

// Runs `step` on the next modal dialog of type T once it is shown.
template <typename T>
void onNextDialog(std::function<void(T *)> step)
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

} // namespace orlith::test
