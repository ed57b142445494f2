// Orlith — desktop catalogue of removable media.
#pragma once

#include <QDialog>
#include <QPixmap>

namespace orlith {

// The version shown when the application sets none.
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;

// "version " + major + "." + minor of `applicationVersion` ("2.3.7" gives "version 2.3");
// the built-in 1.0 when it is empty or not a version.
QString versionLine(const QString &applicationVersion);

// The about window (AboutDialog): the program's icon, name, version and terms.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);

    // The program's icon, a disc drawn in code, `size` pixels square.
    static QPixmap programIcon(int size);
};

} // namespace orlith
