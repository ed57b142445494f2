// Orlith — desktop catalogue of removable media.
#include "ui/options/about_dialog.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadialGradient>
#include <QVBoxLayout>
#include <QVersionNumber>

namespace orlith {

QString versionLine(const QString &applicationVersion)
{
    int major = kVersionMajor;
    int minor = kVersionMinor;
    const QVersionNumber version = QVersionNumber::fromString(applicationVersion);
    if (!version.isNull()) {
        major = version.majorVersion();
        minor = version.minorVersion();
    }
    return QStringLiteral("version %1.%2").arg(major).arg(minor);
}

QPixmap AboutDialog::programIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(0.5, 0.5, size - 1.0, size - 1.0);
    const QPointF centre = disc.center();

    QRadialGradient shine(centre, size / 2.0, QPointF(size * 0.3, size * 0.3));
    shine.setColorAt(0.0, QColor(250, 250, 255));
    shine.setColorAt(0.5, QColor(190, 205, 230));
    shine.setColorAt(1.0, QColor(140, 160, 200));
    p.setPen(QPen(QColor(90, 100, 130), size / 32.0 + 0.5));
    p.setBrush(shine);
    p.drawEllipse(disc);

    p.setBrush(QColor(225, 230, 240));
    p.drawEllipse(centre, size * 0.17, size * 0.17);
    // The hole shows through: clear it rather than paint a colour.
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.drawEllipse(centre, size * 0.07, size * 0.07);
    return pixmap;
}

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Orlith"));

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    icon->setPixmap(programIcon(64));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *title = new QLabel(QStringLiteral("Orlith"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    title->setFont(titleFont);

    auto *version = new QLabel(versionLine(QCoreApplication::applicationVersion()), this);
    version->setObjectName(QStringLiteral("lblVersion"));

    auto *description = new QLabel(
        QStringLiteral("A catalogue of your CDs, DVDs and other removable media: find any "
                       "file without the disc in the drive.\n\nOrlith is free software. You "
                       "may use, copy and share it."),
        this);
    description->setObjectName(QStringLiteral("lblDescription"));
    description->setWordWrap(true);

    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto *disclaimer =
        new QLabel(QStringLiteral("Orlith comes with no warranty of any kind. Keep copies of what "
                                  "matters to you."),
                   this);
    disclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    disclaimer->setWordWrap(true);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(version);
    text->addSpacing(8);
    text->addWidget(description);
    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(8);
    top->addLayout(text, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(line);
    layout->addWidget(disclaimer);
    layout->addLayout(buttons);
    setMinimumWidth(380);
}

} // namespace orlith
