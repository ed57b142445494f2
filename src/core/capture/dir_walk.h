// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/disc_file.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

namespace orlith {

// A folder the walk could not open or list to the end. It is not an empty folder: what
// was listed before the failure stays, and the caller says which folders were missed.
struct UnreadableFolder
{
    QString path;
    QString reason;
};

// The walk of a disc's folders into file entries (name and full path; size and date are
// read later, see CaptureJob). Order: depth first; a folder's sub-folders, in name order,
// each with all its content, come before the folder's own files, in name order. Name
// order compares ASCII letters without regard to case, then by bytes. Names starting with
// "." are hidden: such files are not listed and such folders are not walked. Symbolic
// links to folders are neither followed nor listed; other links are listed as files. Names
// decode by the store's text rule (decodeSingleByte), so bytes that are not UTF-8 survive.
//
// The walk runs in steps so a window can keep painting between them: step() does a
// bounded amount of work and returns. It never touches the event loop itself.
// Uses opendir/readdir and the entry types readdir reports, so most files cost no stat.
class DirWalk
{
public:
    // `root` is walked as given (cleaned of a trailing "/"); a symlink root is followed.
    explicit DirWalk(const QString &root);
    ~DirWalk();
    DirWalk(const DirWalk &) = delete;
    DirWalk &operator=(const DirWalk &) = delete;

    // Reads folders and lists files until about `budget` names have been handled or the
    // walk has ended. Returns true when the walk has ended.
    bool step(qsizetype budget);
    void runToEnd();
    bool done() const;

    // The files found so far, in walk order; size 0 and empty date.
    const QList<FileEntry> &entries() const { return m_entries; }
    QList<FileEntry> &entries() { return m_entries; }
    qsizetype entryCount() const { return m_entries.size(); }
    // The file as the system names it (bytes), for stat: its folder's number, that
    // folder's path, and the file's own name. Files of one folder are numbered together,
    // in a row, so a reader can open each folder once. Valid for the life of the walk.
    qsizetype nativeFolderOf(qsizetype i) const { return m_native[i].folder; }
    const QByteArray &nativeFolderPath(qsizetype folder) const { return m_nativeFolders[folder]; }
    const char *nativeName(qsizetype i) const
    {
        return m_nativeNames.constData() + m_native[i].name;
    }
    // Folder path + "/" + name.
    QByteArray nativePath(qsizetype i) const;

    // Entries whose name or path holds a control character, which the disc file writes as
    // U+FFFD (see encodeLineValue).
    qsizetype changedNames() const { return m_changedNames; }

    qsizetype foldersRead() const { return m_foldersRead; }
    // The folder read last, as text: where the walk is, for a progress window.
    const QString &lastFolder() const { return m_lastFolder; }
    // Every folder, the root included, that could not be opened or listed to the end.
    const QList<UnreadableFolder> &unreadableFolders() const { return m_unreadable; }
    // True when the root itself could not be opened.
    bool rootUnreadable() const { return m_rootUnreadable; }

    // folder + "/" + name, where a folder ending in "/" (the file system root) gets no
    // second "/".
    static QString joinPath(const QString &folder, const QString &name);

private:
    struct Frame;
    bool readFolder(const QByteArray &native, const QString &display, bool isRoot, Frame &frame);

    QString m_root;
    std::vector<Frame> m_stack;
    bool m_started = false;
    bool m_rootUnreadable = false;
    qsizetype m_foldersRead = 0;
    QString m_lastFolder;
    qsizetype m_changedNames = 0;
    QList<FileEntry> m_entries;
    struct NativeRef
    {
        qsizetype folder;
        qsizetype name; // offset in m_nativeNames
    };
    QList<QByteArray> m_nativeFolders; // folders that hold listed files
    QByteArray m_nativeNames;          // NUL-ended file names, back to back
    QList<NativeRef> m_native;         // one per entry
    QList<UnreadableFolder> m_unreadable;
};

} // namespace orlith
