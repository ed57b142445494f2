// Orlith — desktop catalogue of removable media.
#include "core/store/file_categories.h"

#include <limits>
#include <span>

namespace orlith {

namespace {

constexpr const char *kArhiveExtensions[] = {
    "RAR", "CAB", "ZIP", "ARJ",     "LZH", "ACE",   "TAR", "GZIP", "UUE", "BZ2", "JAR",
    "ISO", "7Z",  "ALZ", "ARC",     "BIG", "BZIP2", "DMG", "GZ",   "LQR", "LHA", "LZO",
    "LZX", "PAK", "PAR", "PAR2",    "SIT", "TGZ",   "UHA", "UIF",  "ZOO", "DAA", "BIN",
    "CUE", "MDF", "MDS", "ASHDISC", "BWI", "B5I",   "LCD", "CDI"};
constexpr const char *kPictureExtensions[] = {
    "IFF", "DWG", "DXF",  "AFX", "BRK", "301",  "CAL", "CALS", "CRW", "CR2", "GIF", "CGM", "CMX",
    "CDR", "LBM", "CUT",  "EPS", "AI",  "PS",   "FPX", "RAF",  "IMG", "HGL", "HPG", "PGL", "JPG",
    "JIF", "JPE", "JPEG", "JP2", "J2C", "J2K",  "JPC", "JPX",  "KDC", "PCD", "DCR", "KFX", "LV",
    "PIC", "PCT", "MAC",  "DRW", "BMP", "JFIF", "TIF", "TIFF", "PNG", "ICO", "RAW"};
constexpr const char *kExecutableExtensions[] = {"EXE", "COM", "BAT"};
constexpr const char *kVideoExtensions[] = {
    "ASF", "AVI", "DIVX", "DV",  "M1V", "M2V", "MOV", "MOOV", "MPG", "MPEG", "MP4", "OGM", "OMF",
    "QT",  "RM",  "RAM",  "SWF", "VOB", "WMV", "3GP", "DSH",  "FLV", "SVI",  "SMI", "XVID"};
constexpr const char *kMusicExtensions[] = {
    "AIFF", "AU",  "CDDA", "WAV", "FLAC", "LA",  "PAC", "M4A",  "APE", "RKA", "SHN",
    "TTA",  "WV",  "WMA",  "MP2", "MP3",  "GSM", "M4P", "AAC",  "MPC", "VQF", "RA",
    "OTS",  "SWA", "VOX",  "VOC", "DWD",  "SMP", "MID", "GYM",  "VGM", "PSF", "NSF",
    "MOD",  "PTB", "S3M",  "XM",  "IT",   "MT2", "SPC", "NIFF", "YM"};
constexpr const char *kCodeExtensions[] = {
    "ASM", "S",   "C",   "CLS",  "COB",  "CBL",  "CPP", "CC",  "CXX",  "CS", "D",   "FOR", "FTN",
    "F",   "F77", "FRM", "FRX",  "H",    "HPP",  "HXX", "INC", "JAVA", "L",  "M4",  "ML",  "PAS",
    "PP",  "P",   "PHP", "PHP3", "PHP4", "PHP5", "PL",  "PM",  "PY",   "VB", "VBP", "Y",   "BAS"};
constexpr const char *kDocumentExtensions[] = {
    "ABW", "AFP", "ANS", "ASC", "AWW",   "CWK",   "DOC", "DOCX", "DOT", "DOTX", "HTML", "HWP",
    "LWP", "MCW", "ODT", "OTT", "PAGES", "PAP",   "RTF", "STW",  "TEX", "INFO", "TXT",  "UOML",
    "WPD", "WPS", "WPT", "WRF", "WRI",   "XHTML", "XHT", "XML",  "PDF", "PPT",  "HTM"};

struct Category
{
    const char *name;
    std::span<const char *const> extensions;
};

constexpr Category kCategories[kCategoryCount] = {
    {"Arhive", kArhiveExtensions},         {"Picture", kPictureExtensions},
    {"Executable", kExecutableExtensions}, {"Video", kVideoExtensions},
    {"Music", kMusicExtensions},           {"Code", kCodeExtensions},
    {"Document", kDocumentExtensions},
};

// "ASHDISC"; a longer extension cannot match, and seven bytes plus a length byte pack into
// one 64-bit key.
constexpr qsizetype kLongestExtension = 7;

enum class Pack { Packed, TooLong, NotAscii };

// Packs an extension, upper-cased, into a key: one byte per character and the length in
// the top byte, so "A" and "A\0" differ. Only ASCII is packed here; other characters need
// the full upper-case rule (U+0131 upper-cases to "I").
Pack packKey(QStringView ext, quint64 &key)
{
    key = quint64(ext.size()) << 56;
    for (qsizetype i = 0; i < ext.size(); ++i) {
        char16_t c = ext[i].unicode();
        if (c >= 0x80)
            return Pack::NotAscii;
        if (i >= kLongestExtension)
            continue; // keep looking for a non-ASCII character that may shrink the text
        if (c >= 'a' && c <= 'z')
            c -= 'a' - 'A';
        key |= quint64(c) << (8 * i);
    }
    return ext.size() > kLongestExtension ? Pack::TooLong : Pack::Packed;
}

QStringView extensionView(QStringView path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QStringView() : path.sliced(dot + 1);
}

struct SystemColor
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// System colour indices 0..30 mapped to the palette role that plays the same part.
constexpr SystemColor kSystemColors[] = {
    {QPalette::Active, QPalette::Button},          // 0 scroll bar
    {QPalette::Active, QPalette::Dark},            // 1 desktop
    {QPalette::Active, QPalette::Highlight},       // 2 active caption
    {QPalette::Inactive, QPalette::Mid},           // 3 inactive caption
    {QPalette::Active, QPalette::Window},          // 4 menu
    {QPalette::Active, QPalette::Base},            // 5 window
    {QPalette::Active, QPalette::WindowText},      // 6 window frame
    {QPalette::Active, QPalette::WindowText},      // 7 menu text
    {QPalette::Active, QPalette::Text},            // 8 window text
    {QPalette::Active, QPalette::HighlightedText}, // 9 caption text
    {QPalette::Active, QPalette::Button},          // 10 active border
    {QPalette::Inactive, QPalette::Button},        // 11 inactive border
    {QPalette::Active, QPalette::Window},          // 12 application workspace
    {QPalette::Active, QPalette::Highlight},       // 13 highlight
    {QPalette::Active, QPalette::HighlightedText}, // 14 highlight text
    {QPalette::Active, QPalette::Button},          // 15 button face
    {QPalette::Active, QPalette::Dark},            // 16 button shadow
    {QPalette::Disabled, QPalette::Text},          // 17 grey text
    {QPalette::Active, QPalette::ButtonText},      // 18 button text
    {QPalette::Inactive, QPalette::WindowText},    // 19 inactive caption text
    {QPalette::Active, QPalette::Light},           // 20 button highlight
    {QPalette::Active, QPalette::Shadow},          // 21 dark shadow
    {QPalette::Active, QPalette::Midlight},        // 22 3D light
    {QPalette::Active, QPalette::ToolTipText},     // 23 tool tip text
    {QPalette::Active, QPalette::ToolTipBase},     // 24 tool tip background
    {QPalette::Active, QPalette::WindowText},      // 25 unused
    {QPalette::Active, QPalette::Link},            // 26 hot-tracked item
    {QPalette::Active, QPalette::Highlight},       // 27 active caption gradient
    {QPalette::Inactive, QPalette::Mid},           // 28 inactive caption gradient
    {QPalette::Active, QPalette::Highlight},       // 29 menu highlight
    {QPalette::Active, QPalette::Window},          // 30 menu bar
};

} // namespace

QString categoryName(int category)
{
    if (category < 0 || category >= kCategoryCount)
        return {};
    return QLatin1String(kCategories[category].name);
}

QStringList categoryExtensions(int category)
{
    QStringList list;
    if (category < 0 || category >= kCategoryCount)
        return list;
    for (const char *ext : kCategories[category].extensions)
        list.append(QLatin1String(ext));
    return list;
}

QString extensionOf(const QString &path)
{
    return extensionView(path).toString();
}

void ExtensionTable::buildExtensionTable(const QStringList &categoryColors)
{
    build(categoryColors.constData(), categoryColors.size());
}

void ExtensionTable::buildExtensionTable(const std::array<QString, kCategoryCount> &categoryColors)
{
    build(categoryColors.data(), qsizetype(categoryColors.size()));
}

void ExtensionTable::build(const QString *colors, qsizetype count)
{
    m_rows.clear();
    m_colorByKey.clear();
    for (int c = 0; c < kCategoryCount; ++c) {
        const QString color = c < count ? colors[c] : QString();
        for (const char *ext : kCategories[c].extensions) {
            m_rows.append({QLatin1String(ext), color});
            quint64 key = 0;
            if (packKey(m_rows.constLast().extension, key) == Pack::Packed &&
                !m_colorByKey.contains(key))
                m_colorByKey.insert(key, color);
        }
    }
}

QString ExtensionTable::colorForPath(const QString &path) const
{
    const QStringView ext = extensionView(path);
    quint64 key = 0;
    switch (packKey(ext, key)) {
    case Pack::Packed:
        break;
    case Pack::TooLong:
        return QStringLiteral("0");
    case Pack::NotAscii:
        // Rare: pay for the allocation of the full Unicode upper-case rule.
        if (packKey(ext.toString().toUpper(), key) != Pack::Packed)
            return QStringLiteral("0");
        break;
    }
    const auto it = m_colorByKey.constFind(key);
    return it == m_colorByKey.cend() ? QStringLiteral("0") : *it;
}

QColor colorFromText(const QString &colorText, const QPalette &palette)
{
    bool ok = false;
    const qint64 parsed = colorText.trimmed().toLongLong(&ok);
    // Accept the signed form the settings hold and the unsigned form of the same bits.
    if (!ok || parsed < std::numeric_limits<qint32>::min() ||
        parsed > qint64(std::numeric_limits<quint32>::max()))
        return QColor(Qt::black);
    const auto value = quint32(parsed);
    if (value & 0x80000000u) {
        const quint32 index = value & 0xFFu;
        const SystemColor sc = index < std::size(kSystemColors)
                                   ? kSystemColors[index]
                                   : SystemColor{QPalette::Active, QPalette::WindowText};
        return palette.color(sc.group, sc.role);
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace orlith
