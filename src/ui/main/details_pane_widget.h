// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/disc_identity.h"
#include "core/store/disc_listing.h"
#include "ui/common/ui_services.h"

#include <QImage>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace orlith {

class NotesStore;

// The details pane under the file list: a disc's name, number of files and
// import date; a listed file's name, size, date and type icon; the disc's picture
// thumbnail; the user's notes on the disc, saved when the notes box loses the focus; what
// the medium said of itself when captured, and where the user keeps it ("Location", "Disc
// number"), saved into the disc file when either field is left.
// A toggle button at its top edge asks the main window to expand or collapse
// the pane; the main window owns the heights.
class DetailsPane : public QWidget
{
    Q_OBJECT

public:
    static constexpr auto kNoNotesText = "Personal notes...";
    static constexpr int kMaxNotesLength = 2000;

    DetailsPane(const QString &programFolder, NotesStore &notes, UiServices services,
                QWidget *parent = nullptr);

    // Mode 0: the disc chosen in the tree; the file facts are emptied.
    void showDisc(const QString &disc);
    // Mode 1: a list row's file and its disc. Given the row's index in its list, the pane
    // clears itself once that row leaves the list (removed, or the list replaced).
    void showFile(const FileRow &row, const QModelIndex &listed = {});
    void clearDiscDetails();
    // Loads the disc's picture again (after it was attached or removed).
    void reloadPicture(const QString &disc);

    // The disc whose facts are shown, or empty.
    QString shownDisc() const;
    // True while the notes box has the focus: showing the disc again would disturb typing.
    bool isEditingNotes() const;
    // Saves the place fields and the notes box now, as leaving them would (used before the
    // window closes). Only
    // edited notes of a shown disc are written; "Personal notes..." never is. Notes that do
    // not fit a store record, or a failed write, are reported in an "Error" box and stay
    // in the box. Showing another disc or clearing the pane saves edited notes first.
    void saveNotes();

    // The toggle's picture: pointing down while expanded, up while collapsed. While
    // collapsed only the toggle strip is shown.
    void setExpandedLook(bool expanded);

signals:
    void toggleRequested();
    // A double click on the thumbnail or the picture frame.
    void pictureRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int twipsToPixels(int twips) const;
    QSize thumbBox() const;
    void showDiscFacts(const QString &disc);
    void showFileFacts(const QString &name, const QString &size, const QString &date);
    void showNotes(const QString &disc);
    void showMediumFacts(const QString &disc);
    void savePlace();
    void setNotesText(const QString &text);
    void limitNotes();
    void showFileIcon(const QString &fileName);
    void fitThumbnail();
    void showNoPicture();
    void followRow(const QModelIndex &listed);
    void clearIfRowGone();

    QString m_programFolder;
    NotesStore &m_notes;
    UiServices m_services;
    // The disc's picture, decoded no larger than the thumbnail needs.
    QImage m_picture;
    // The shown disc's file when its facts were shown: typed notes belong to that disc, even
    // should another process rename it meanwhile.
    DiscIdentity m_shownFile;
    // The list row whose file is shown, while one is; and the list being watched.
    QPersistentModelIndex m_shownRow;
    QPointer<const QAbstractItemModel> m_watchedList;
    bool m_followsRow = false;
    // Notes that could not be saved and were reported; not reported again.
    QString m_unsavedNotes;
    // Where the last edit of the notes ended and how much it added; an edit past the
    // limit is cut there.
    int m_editEnd = 0;
    int m_editAdded = 0;
    bool m_loadingNotes = false;

    QToolButton *m_upDown = nullptr;
    QWidget *m_body = nullptr;
    QLabel *m_cdName = nullptr;
    QLabel *m_numOfFiles = nullptr;
    QLabel *m_importDate = nullptr;
    QLabel *m_fileName = nullptr;
    QLabel *m_fileSize = nullptr;
    QLabel *m_fileTime = nullptr;
    QLabel *m_icon = nullptr;
    QFrame *m_picFrame = nullptr;
    QLabel *m_thumb = nullptr;
    QLabel *m_noPicture = nullptr;
    QLabel *m_doubleClick = nullptr;
    QPlainTextEdit *m_notesBox = nullptr;
    QLabel *m_label = nullptr;
    QLabel *m_uuid = nullptr;
    QLabel *m_fsType = nullptr;
    QLabel *m_capacity = nullptr;
    QLabel *m_free = nullptr;
    QLabel *m_media = nullptr;
    QLabel *m_drive = nullptr;
    QLineEdit *m_location = nullptr;
    QLineEdit *m_number = nullptr;
    // The place as the disc file held it when shown: only a change is written.
    QString m_shownLocation;
    QString m_shownNumber;
};

} // namespace orlith
