// Orlith — desktop catalogue of removable media.
#include "core/capture/dir_walk.h"

#include "core/store/text_codec.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlith {

namespace {

struct Name
{
    qsizetype offset; // into the frame's name arena
    qsizetype size;
};

inline unsigned char foldAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

// ASCII letters without regard to case first, then raw bytes, so the order is total.
bool nameLess(const char *a, qsizetype an, const char *b, qsizetype bn)
{
    const qsizetype n = std::min(an, bn);
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char ca = foldAscii(static_cast<unsigned char>(a[i]));
        const unsigned char cb = foldAscii(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    if (an != bn)
        return an < bn;
    return std::memcmp(a, b, size_t(n)) < 0;
}

// Most names are plain ASCII, which needs no decoder. The rest follow the store's text rule:
// UTF-8 when they are valid UTF-8, else ISO-8859-1, so a name in another code page keeps
// every byte rather than turning into U+FFFD.
QString decodeName(const char *bytes, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return decodeSingleByte(bytes, size);
    }
    return QString::fromLatin1(bytes, size);
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

struct DirWalk::Frame
{
    QByteArray native;           // the folder's path as bytes
    QString display;             // the folder's path as text
    bool displayChanged = false; // the path holds a character the store cannot keep
    QByteArray names;            // every kept name, back to back
    std::vector<Name> folders;
    std::vector<Name> files;
    size_t nextFolder = 0;
    size_t nextFile = 0;
};

DirWalk::DirWalk(const QString &root) : m_root(root.isEmpty() ? root : QDir::cleanPath(root)) {}

DirWalk::~DirWalk() = default;

QString DirWalk::joinPath(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

bool DirWalk::done() const
{
    return m_started && m_stack.empty();
}

bool DirWalk::readFolder(const QByteArray &native, const QString &display, bool isRoot,
                         Frame &frame)
{
    // A folder listed a moment ago may have been replaced by a link since: never follow
    // one below the root.
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (isRoot ? 0 : O_NOFOLLOW);
    const int fd = ::open(native.constData(), flags);
    if (fd < 0) {
        m_unreadable.append({display, errnoText(errno)});
        return false;
    }
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        m_unreadable.append({display, errnoText(errno)});
        ::close(fd);
        return false;
    }
    ++m_foldersRead;
    m_lastFolder = display;
    frame.native = native;
    frame.display = display;
    for (;;) {
        errno = 0;
        const dirent *de = ::readdir(dir);
        if (!de) {
            if (errno != 0)
                m_unreadable.append({display, errnoText(errno)});
            break;
        }
        const char *name = de->d_name;
        if (name[0] == '.')
            continue; // hidden, and "." and ".."
        bool isFolder = de->d_type == DT_DIR;
        if (de->d_type == DT_UNKNOWN || de->d_type == DT_LNK) {
            struct stat st;
            bool isLink = de->d_type == DT_LNK;
            if (!isLink && ::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                isLink = S_ISLNK(st.st_mode);
                isFolder = S_ISDIR(st.st_mode);
            }
            // A link to a folder is not followed and not a file either.
            if (isLink && ::fstatat(fd, name, &st, 0) == 0 && S_ISDIR(st.st_mode))
                continue;
        }
        const qsizetype size = qsizetype(std::strlen(name));
        const Name n{frame.names.size(), size};
        frame.names.append(name, size);
        (isFolder ? frame.folders : frame.files).push_back(n);
    }
    ::closedir(dir);
    const char *base = frame.names.constData();
    auto less = [base](const Name &a, const Name &b) {
        return nameLess(base + a.offset, a.size, base + b.offset, b.size);
    };
    std::sort(frame.folders.begin(), frame.folders.end(), less);
    std::sort(frame.files.begin(), frame.files.end(), less);
    return true;
}

bool DirWalk::step(qsizetype budget)
{
    if (!m_started) {
        m_started = true;
        if (m_root.isEmpty()) {
            m_rootUnreadable = true;
            m_unreadable.append({m_root, QStringLiteral("No folder given")});
            return true;
        }
        Frame root;
        const QByteArray native = QFile::encodeName(m_root);
        if (!readFolder(native, m_root, /*isRoot=*/true, root)) {
            m_rootUnreadable = true;
            return true;
        }
        root.displayChanged = hasControlBytes(native.constData(), native.size());
        budget -= qsizetype(root.folders.size() + root.files.size());
        m_stack.push_back(std::move(root));
    }
    while (budget > 0 && !m_stack.empty()) {
        Frame &top = m_stack.back();
        if (top.nextFolder < top.folders.size()) {
            const Name n = top.folders[top.nextFolder++];
            QByteArray native = top.native;
            if (!native.endsWith('/'))
                native.append('/');
            native.append(top.names.constData() + n.offset, n.size);
            const char *bytes = top.names.constData() + n.offset;
            const QString display = joinPath(top.display, decodeName(bytes, n.size));
            Frame child;
            child.displayChanged = top.displayChanged || hasControlBytes(bytes, n.size);
            // `top` may move when the stack grows, so nothing of it is used after this.
            if (readFolder(native, display, /*isRoot=*/false, child)) {
                budget -= qsizetype(1 + child.folders.size() + child.files.size());
                m_stack.push_back(std::move(child));
            } else {
                --budget;
            }
            continue;
        }
        const QString prefix =
            top.display.endsWith(QLatin1Char('/')) ? top.display : top.display + QLatin1Char('/');
        if (top.nextFile < top.files.size() &&
            (m_nativeFolders.isEmpty() || m_nativeFolders.constLast() != top.native))
            m_nativeFolders.append(top.native);
        const qsizetype folder = m_nativeFolders.size() - 1;
        while (budget > 0 && top.nextFile < top.files.size()) {
            const Name n = top.files[top.nextFile++];
            const char *bytes = top.names.constData() + n.offset;
            QString name = decodeName(bytes, n.size);
            m_changedNames += top.displayChanged || hasControlBytes(bytes, n.size);
            QString path = prefix + name;
            m_entries.append({std::move(name), std::move(path), 0, QString()});
            m_native.append({folder, m_nativeNames.size()});
            m_nativeNames.append(bytes, n.size);
            m_nativeNames.append('\0');
            --budget;
        }
        if (top.nextFile >= top.files.size())
            m_stack.pop_back();
    }
    return m_stack.empty();
}

QByteArray DirWalk::nativePath(qsizetype i) const
{
    QByteArray path = m_nativeFolders[m_native[i].folder];
    if (!path.endsWith('/'))
        path.append('/');
    return path + nativeName(i);
}

void DirWalk::runToEnd()
{
    while (!step(1 << 20)) {
    }
}

} // namespace orlith
