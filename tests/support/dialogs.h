// Orlith — desktop catalogue of removable media.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace orlith::test {

// The shown top-level window of type T, if any.
template <typename T> T *shownWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *d = qobject_cast<T *>(w); d && d->isVisible())
            return d;
    }
    return nullptr;
}

// Runs `step` on the next modal dialog of type T once it is shown.
template <typename T> void onNextDialog(std::function<void(T *)> step)
{
    QTimer::singleShot(0, [step] {
        if (T *d = shownWindow<T>())
            step(d);
    });
}

// Runs `step` on the dialog of type T once it shows, however long a worker takes first.
template <typename T> void whenShown(std::function<void(T *)> step)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, step] {
        if (T *d = shownWindow<T>()) {
            poll->deleteLater();
            poll->stop();
            step(d);
        }
    });
    poll->start();
}

// The named child control of type W, a button unless told.
template <typename W = QAbstractButton> W *child(QWidget &w, const char *name)
{
    return w.findChild<W *>(QString::fromLatin1(name));
}

// Clicks the named push button, which must be showing.
inline void click(QWidget &window, const char *name)
{
    auto *button = window.findChild<QPushButton *>(QString::fromLatin1(name));
    QVERIFY2(button && button->isVisible(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Types the disc name and chooses the catalog in a new-disc dialog.
inline void nameDisc(QWidget &dialog, const QString &name, const QString &catalog)
{
    dialog.findChild<QLineEdit *>(QStringLiteral("txtNewCDName"))->setText(name);
    dialog.findChild<QComboBox *>(QStringLiteral("comCDCat"))->setCurrentText(catalog);
}

} // namespace orlith::test
