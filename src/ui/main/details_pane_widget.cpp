// Orlith — desktop catalogue of removable media.
#include "ui/main/details_pane_widget.h"

#include "core/store/date_text.h"
#include "core/store/disc_file.h"
#include "core/store/disc_info.h"
#include "core/store/notes_store.h"
#include "core/store/program_folder.h"
#include "ui/common/style_icon.h"

#include <QEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace orlith {

namespace {

constexpr int kToggleStripTwips = 225;
constexpr int kThumbBoxTwips = 2300;
constexpr int kIconTwips = 480;
// The facts column shares the width with the notes; beyond the widest it needs, the
// notes take the rest.
constexpr int kFactsMinTwips = 3600;
constexpr int kFactsMaxTwips = 4400;

// A value label whose long text is cut at the pane's edge rather than widening it; the
// whole text stays in its tool tip.
QLabel *valueLabel(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

void setValue(QLabel *label, const QString &text)
{
    label->setText(text);
    label->setToolTip(text);
}

struct Fact
{
    const char *labelName;
    const char *caption;
    QLabel *value;
};

QGroupBox *factsGroup(const char *name, const QString &title, std::initializer_list<Fact> facts,
                      QWidget *parent)
{
    auto *group = new QGroupBox(title, parent);
    group->setObjectName(QLatin1String(name));
    auto *grid = new QGridLayout(group);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setVerticalSpacing(2);
    int row = 0;
    for (const Fact &fact : facts) {
        auto *label = new QLabel(QString::fromLatin1(fact.caption), group);
        label->setObjectName(QLatin1String(fact.labelName));
        grid->addWidget(label, row, 0);
        grid->addWidget(fact.value, row, 1);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    return group;
}

} // namespace

DetailsPane::DetailsPane(const QString &programFolder, NotesStore &notes, UiServices services,
                         QWidget *parent)
    : QWidget(parent), m_programFolder(programFolder), m_notes(notes), m_services(services)
{
    m_upDown = new QToolButton(this);
    m_upDown->setObjectName(QStringLiteral("picUpDown"));
    m_upDown->setAutoRaise(true);
    m_upDown->setFocusPolicy(Qt::NoFocus);
    m_upDown->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_upDown->setFixedHeight(twipsToPixels(kToggleStripTwips));
    m_upDown->setIconSize(QSize(12, 12));
    connect(m_upDown, &QToolButton::clicked, this, &DetailsPane::toggleRequested);

    m_body = new QWidget(this);

    m_cdName = valueLabel("lblExtraCDName", m_body);
    m_numOfFiles = valueLabel("lblExtraNumOfFiles", m_body);
    m_importDate = valueLabel("lblExtraInportDate", m_body);
    m_fileName = valueLabel("lblExtraFileName", m_body);
    m_fileSize = valueLabel("lblExtraFileSize", m_body);
    m_fileTime = valueLabel("lblExtraFileCreationTime", m_body);
    QGroupBox *cdGroup = factsGroup("frmExtraCD", QStringLiteral("CD/DVD info"),
                                    {{"Label1", "Name:", m_cdName},
                                     {"Label2", "Number of files:", m_numOfFiles},
                                     {"Label3", "Import date:", m_importDate}},
                                    m_body);
    QGroupBox *fileGroup = factsGroup("frmExtraFile", QStringLiteral("File info"),
                                      {{"Label4", "Name:", m_fileName},
                                       {"Label5", "Size:", m_fileSize},
                                       {"Label6", "Creation time:", m_fileTime}},
                                      m_body);
    m_label = valueLabel("lblMediumLabel", m_body);
    m_uuid = valueLabel("lblMediumUuid", m_body);
    m_fsType = valueLabel("lblMediumFs", m_body);
    m_capacity = valueLabel("lblMediumCapacity", m_body);
    m_free = valueLabel("lblMediumFree", m_body);
    m_media = valueLabel("lblMediumType", m_body);
    m_drive = valueLabel("lblMediumDrive", m_body);
    QGroupBox *mediumGroup = factsGroup("frmMedium", QStringLiteral("Medium"),
                                        {{"lblLabelCaption", "Label:", m_label},
                                         {"lblUuidCaption", "UUID:", m_uuid},
                                         {"lblFsCaption", "File system:", m_fsType},
                                         {"lblCapacityCaption", "Capacity:", m_capacity},
                                         {"lblFreeCaption", "Free:", m_free},
                                         {"lblMediaCaption", "Media:", m_media},
                                         {"lblDriveCaption", "Drive:", m_drive}},
                                        m_body);
    auto *mediumGrid = static_cast<QGridLayout *>(mediumGroup->layout());
    const auto placeField = [&](const char *name, const QString &caption) {
        auto *edit = new QLineEdit(mediumGroup);
        edit->setObjectName(QLatin1String(name));
        edit->setMaxLength(int(kMaxDiscInfoValue));
        const int row = mediumGrid->rowCount();
        mediumGrid->addWidget(new QLabel(caption, mediumGroup), row, 0);
        mediumGrid->addWidget(edit, row, 1);
        connect(edit, &QLineEdit::editingFinished, this, &DetailsPane::savePlace);
        return edit;
    };
    m_location = placeField("txtLocation", QStringLiteral("Location:"));
    m_number = placeField("txtDiscNumber", QStringLiteral("Disc number:"));

    m_icon = new QLabel(fileGroup);
    m_icon->setObjectName(QStringLiteral("imgIcon"));
    m_icon->setFixedSize(QSize(twipsToPixels(kIconTwips), twipsToPixels(kIconTwips)));
    m_icon->setAlignment(Qt::AlignCenter);
    static_cast<QGridLayout *>(fileGroup->layout())->addWidget(m_icon, 0, 2, 3, 1);

    auto *facts = new QVBoxLayout;
    facts->setSpacing(2);
    facts->addWidget(cdGroup);
    facts->addWidget(fileGroup);
    facts->addStretch(1);

    m_picFrame = new QFrame(m_body);
    m_picFrame->setObjectName(QStringLiteral("frmExtraPic"));
    m_picFrame->setFrameShape(QFrame::StyledPanel);
    m_picFrame->setFrameShadow(QFrame::Sunken);
    m_picFrame->setToolTip(QStringLiteral("Double click to add picture"));
    m_thumb = new QLabel(m_picFrame);
    m_thumb->setObjectName(QStringLiteral("imgThumb"));
    m_thumb->setFixedSize(thumbBox());
    m_thumb->setAlignment(Qt::AlignCenter);
    m_noPicture = new QLabel(QStringLiteral("No picture"), m_picFrame);
    m_noPicture->setObjectName(QStringLiteral("lblNoPicture"));
    m_noPicture->setAlignment(Qt::AlignCenter);
    QFont noPictureFont = m_noPicture->font();
    noPictureFont.setBold(true);
    m_noPicture->setFont(noPictureFont);
    m_doubleClick = new QLabel(QStringLiteral("Double click to add picture"), m_picFrame);
    m_doubleClick->setObjectName(QStringLiteral("lblDoubleClick"));
    m_doubleClick->setAlignment(Qt::AlignCenter);
    m_doubleClick->setWordWrap(true);
    m_doubleClick->setForegroundRole(QPalette::PlaceholderText);

    // The captions lie over the empty thumbnail, in the same cell.
    auto *captions = new QVBoxLayout;
    captions->addStretch(1);
    captions->addWidget(m_noPicture);
    captions->addWidget(m_doubleClick);
    captions->addStretch(1);
    auto *picture = new QGridLayout(m_picFrame);
    picture->setContentsMargins(3, 3, 3, 3);
    picture->addWidget(m_thumb, 0, 0, Qt::AlignCenter);
    picture->addLayout(captions, 0, 0);

    m_notesBox = new QPlainTextEdit(m_body);
    m_notesBox->setObjectName(QStringLiteral("txtPersonalDiscription"));
    m_notesBox->setTabChangesFocus(true);
    connect(m_notesBox->document(), &QTextDocument::contentsChange, this,
            [this](int from, int, int added) {
                m_editEnd = from + added;
                m_editAdded = added;
            });
    connect(m_notesBox, &QPlainTextEdit::textChanged, this, &DetailsPane::limitNotes);

    auto *bodyLayout = new QHBoxLayout(m_body);
    bodyLayout->setContentsMargins(4, 0, 4, 4);
    auto *factsColumn = new QWidget(m_body);
    factsColumn->setLayout(facts);
    facts->setContentsMargins(0, 0, 0, 0);
    factsColumn->setMinimumWidth(twipsToPixels(kFactsMinTwips));
    factsColumn->setMaximumWidth(twipsToPixels(kFactsMaxTwips));
    // The disc and file facts have first claim on the width (up to their maximum), so that
    // names and dates show whole; the medium's facts are short.
    bodyLayout->addWidget(factsColumn, 3);
    // Room for the typed location and number beside their captions; past the facts' width,
    // the medium (a UUID, a drive's model) and the notes share what is left.
    mediumGroup->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Disc number:")) +
                                 fontMetrics().averageCharWidth() * 16);
    bodyLayout->addWidget(mediumGroup, 2);
    bodyLayout->addWidget(m_picFrame);
    bodyLayout->addWidget(m_notesBox, 2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_upDown, 0, Qt::AlignTop);
    layout->addWidget(m_body, 1);

    m_thumb->installEventFilter(this);
    m_picFrame->installEventFilter(this);
    m_notesBox->installEventFilter(this);

    setExpandedLook(true);
    clearDiscDetails();
}

int DetailsPane::twipsToPixels(int twips) const
{
    return qRound(double(twips) * logicalDpiY() / 1440.0);
}

QSize DetailsPane::thumbBox() const
{
    const int side = twipsToPixels(kThumbBoxTwips);
    return {side, side};
}

void DetailsPane::showDisc(const QString &disc)
{
    saveNotes();
    followRow({});
    showDiscFacts(disc);
    showFileFacts({}, {}, {});
    showNotes(disc);
}

void DetailsPane::showFile(const FileRow &row, const QModelIndex &listed)
{
    saveNotes();
    showDiscFacts(row.disc());
    showFileFacts(row.name(), row.sizeText() + QStringLiteral(" Kb"), row.date());
    showNotes(row.disc());
    followRow(listed);
}

void DetailsPane::followRow(const QModelIndex &listed)
{
    m_shownRow = listed;
    m_followsRow = listed.isValid();
    const QAbstractItemModel *list = listed.model();
    if (!list || list == m_watchedList)
        return;
    if (m_watchedList)
        disconnect(m_watchedList, nullptr, this, nullptr);
    m_watchedList = list;
    // A persistent index goes invalid when its row is removed or the list is reset.
    connect(list, &QAbstractItemModel::rowsRemoved, this, &DetailsPane::clearIfRowGone);
    connect(list, &QAbstractItemModel::modelReset, this, &DetailsPane::clearIfRowGone);
}

void DetailsPane::clearIfRowGone()
{
    if (m_followsRow && !m_shownRow.isValid())
        clearDiscDetails();
}

void DetailsPane::clearDiscDetails()
{
    saveNotes();
    followRow({});
    for (QLabel *value : {m_cdName, m_numOfFiles, m_importDate})
        setValue(value, {});
    m_shownFile = {};
    showMediumFacts({});
    showFileFacts({}, {}, {});
    setNotesText({});
    m_notesBox->setReadOnly(true);
    showNoPicture();
}

QString DetailsPane::shownDisc() const
{
    return m_cdName->text();
}

bool DetailsPane::isEditingNotes() const
{
    return m_notesBox->hasFocus();
}

void DetailsPane::showDiscFacts(const QString &disc)
{
    reloadPicture(disc);
    setValue(m_cdName, disc);
    m_shownFile =
        disc.isEmpty() ? DiscIdentity() : discIdentity(discFilePath(m_programFolder, disc));
    setValue(m_numOfFiles, fileCountText(m_programFolder, disc));
    const QFileInfo discFile(discFilePath(m_programFolder, disc));
    setValue(m_importDate, discFile.exists() ? formatDateText(discFile.lastModified()) : QString());
    showMediumFacts(disc);
}

void DetailsPane::showMediumFacts(const QString &disc)
{
    const DiscInfo info =
        disc.isEmpty() ? DiscInfo() : readDiscInfoFromFile(discFilePath(m_programFolder, disc));
    const auto size = [](qint64 bytes) {
        return bytes >= 0 ? QLocale().formattedDataSize(bytes) : QString();
    };
    setValue(m_label, info.label);
    setValue(m_uuid, info.uuid);
    setValue(m_fsType, info.fsType);
    setValue(m_capacity, size(info.capacity));
    setValue(m_free, size(info.free));
    setValue(m_media, info.media);
    setValue(m_drive, info.drive);
    m_shownLocation = info.location;
    m_shownNumber = info.number;
    m_location->setText(info.location);
    m_number->setText(info.number);
    m_location->setReadOnly(disc.isEmpty());
    m_number->setReadOnly(disc.isEmpty());
}

void DetailsPane::savePlace()
{
    const QString disc = m_cdName->text();
    const QString location = m_location->text();
    const QString number = m_number->text();
    if (disc.isEmpty() || (location == m_shownLocation && number == m_shownNumber))
        return;
    // Taken as shown either way: a refused change is reported once, not at every leave.
    m_shownLocation = location;
    m_shownNumber = number;
    DiscIdentity written;
    if (const StoreResult saved =
            saveDiscPlace(m_programFolder, disc, location, number, m_shownFile, &written);
        !saved) {
        m_services.messages->error(
            this, QStringLiteral("Error"),
            tr("Cannot save where \"%1\" is kept:\n%2").arg(disc, saved.error));
        return;
    }
    // The rewrite is this pane's own: typed notes still belong to this disc.
    m_shownFile = written;
}

void DetailsPane::showFileFacts(const QString &name, const QString &size, const QString &date)
{
    setValue(m_fileName, name);
    setValue(m_fileSize, size);
    setValue(m_fileTime, date);
    showFileIcon(name);
}

void DetailsPane::showNotes(const QString &disc)
{
    m_notes.resetSearch();
    const bool found = m_notes.findRecord(disc) == NotesStore::kFound;
    setNotesText(found ? m_notes.notes() : QString::fromLatin1(kNoNotesText));
    // With no disc shown, typed notes would have nowhere to go.
    m_notesBox->setReadOnly(disc.isEmpty());
    // As on entering the box: typing replaces "Personal notes...".
    if (!found && m_notesBox->hasFocus())
        m_notesBox->selectAll();
}

void DetailsPane::setNotesText(const QString &text)
{
    // Stored notes may be longer than the box allows; they are shown whole, never cut.
    m_loadingNotes = true;
    m_notesBox->setPlainText(text);
    m_loadingNotes = false;
    m_notesBox->document()->setModified(false);
    m_unsavedNotes.clear();
}

void DetailsPane::limitNotes()
{
    const int length = m_notesBox->document()->characterCount() - 1;
    // Only what was just typed or pasted is cut, from its end, so text already in the box
    // stays (stored notes may be longer than the limit).
    const int cut = std::min(length - kMaxNotesLength, m_editAdded);
    if (m_loadingNotes || cut <= 0)
        return;
    const int end = std::min(m_editEnd, length);
    QTextCursor cursor(m_notesBox->document());
    cursor.setPosition(std::max(0, end - cut));
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_notesBox->setTextCursor(cursor);
    // Told after the cut: the box may lose the focus to the message, which saves the notes.
    m_services.messages->error(this, QStringLiteral("Error"),
                               tr("Notes may hold at most %1 characters. The last %2 characters "
                                  "you typed or pasted were not added.")
                                   .arg(kMaxNotesLength)
                                   .arg(cut));
}

void DetailsPane::saveNotes()
{
    savePlace();
    const QString disc = m_cdName->text();
    const QString text = m_notesBox->toPlainText();
    // Unedited notes are what the store already holds (or the "no notes" text).
    if (disc.isEmpty() || text == QLatin1String(kNoNotesText) ||
        !m_notesBox->document()->isModified())
        return;

    QString failure;
    if (!NotesStore::recordFits(disc, text)) {
        failure = tr("The notes on \"%1\" are too long to be saved. Shorten them, then leave "
                     "the notes box again.")
                      .arg(disc);
    } else if (const StoreValue<QString> saved =
                   saveDiscNotes(m_notes, m_programFolder, disc, text, &m_shownFile);
               !saved) {
        failure = tr("Cannot save the notes on \"%1\":\n%2").arg(disc, saved.error);
    }
    if (failure.isEmpty()) {
        m_notesBox->document()->setModified(false);
        m_unsavedNotes.clear();
    } else if (text != m_unsavedNotes) {
        m_unsavedNotes = text;
        m_services.messages->error(this, QStringLiteral("Error"), failure);
    }
}

void DetailsPane::reloadPicture(const QString &disc)
{
    QImageReader reader(picturePath(m_programFolder, disc));
    // The picture keeps its own type under the ".jpg" name.
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    // Decoding a large photo at thumbnail size is many times faster than at full size.
    const QSize box = thumbBox() * devicePixelRatioF();
    const QSize size = reader.size();
    if (size.width() > box.width() || size.height() > box.height())
        reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio));
    m_picture = disc.isEmpty() ? QImage() : reader.read();
    if (m_picture.isNull()) {
        showNoPicture();
        return;
    }
    fitThumbnail();
    m_noPicture->hide();
    m_doubleClick->hide();
}

void DetailsPane::fitThumbnail()
{
    // The picture fits inside the thumbnail box with its proportions kept. Small pictures
    // keep their own size: stretched up they would only turn blurred.
    const QSize box = thumbBox();
    QPixmap shown;
    if (m_picture.width() > box.width() || m_picture.height() > box.height()) {
        const qreal ratio = devicePixelRatioF();
        shown = QPixmap::fromImage(
            m_picture.scaled(box * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        shown.setDevicePixelRatio(ratio);
    } else {
        shown = QPixmap::fromImage(m_picture);
    }
    m_thumb->setPixmap(shown);
}

void DetailsPane::showNoPicture()
{
    m_picture = QImage();
    m_thumb->clear();
    m_noPicture->show();
    m_doubleClick->show();
}

void DetailsPane::showFileIcon(const QString &fileName)
{
    // The type comes from the name alone, so no file is needed on disk.
    QIcon icon;
    if (!fileName.trimmed().isEmpty()) {
        const QMimeType type =
            QMimeDatabase().mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
        icon = QIcon::fromTheme(type.iconName());
        if (icon.isNull())
            icon = QIcon::fromTheme(type.genericIconName());
        // Bare machines have no icon theme.
        if (icon.isNull())
            icon = QFileIconProvider().icon(QAbstractFileIconProvider::File);
    }
    if (icon.isNull())
        m_icon->clear();
    else
        m_icon->setPixmap(icon.pixmap(m_icon->size()));
}

void DetailsPane::setExpandedLook(bool expanded)
{
    m_upDown->setIcon(styleIcon(expanded ? QStyle::SP_ArrowDown : QStyle::SP_ArrowUp));
    m_upDown->setToolTip(expanded ? tr("Hide details") : tr("Show details"));
    m_body->setVisible(expanded);
}

bool DetailsPane::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_thumb || watched == m_picFrame) &&
        event->type() == QEvent::MouseButtonDblClick) {
        emit pictureRequested();
        return true;
    }
    if (watched == m_notesBox) {
        if (event->type() == QEvent::FocusOut) {
            saveNotes();
        } else if (event->type() == QEvent::FocusIn &&
                   m_notesBox->toPlainText() == QLatin1String(kNoNotesText)) {
            // Typing replaces "Personal notes..." rather than adding to it. Later, so the
            // click that brought the focus does not undo the selection.
            QTimer::singleShot(0, m_notesBox, [box = m_notesBox] {
                if (box->toPlainText() == QLatin1String(kNoNotesText))
                    box->selectAll();
            });
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orlith
