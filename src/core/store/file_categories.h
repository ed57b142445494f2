// Orlith — desktop catalogue of removable media.
#pragma once

#include <QColor>
#include <QHash>
#include <QList>
#include <QPalette>
#include <QString>
#include <QStringList>

#include <array>

namespace orlith {

// The seven file categories, in the fixed order of the colour settings and of the rows of
// the options window. A file of no category is drawn in colour "0".
inline constexpr int kCategoryCount = 7;

// "Arhive", "Picture", "Executable", "Video", "Music", "Code", "Document".
QString categoryName(int category);

// A category's extensions: upper case, without the dot, in table order. Every extension
// belongs to exactly one category.
QStringList categoryExtensions(int category);

// The text after the last "." of the whole path; empty when the path has no "." or ends in
// one. The dot may sit in a folder name, so the result can hold "/" or "\"
// ("D:\Setup.old\readme" gives "old\readme").
QString extensionOf(const QString &path);

// Extensions mapped to the colour text of their category. Each row holds a copy of the
// colour setting taken when the table is built, so after a colour changes the table must
// be built again; rows coloured earlier keep the old colour until coloured again.
class ExtensionTable
{
public:
    struct Row
    {
        QString extension;
        QString color;
    };

    // Fills the table from the category lists and the seven colour texts, in category
    // order. A missing colour (fewer than seven texts) counts as an empty text.
    void buildExtensionTable(const QStringList &categoryColors);
    void buildExtensionTable(const std::array<QString, kCategoryCount> &categoryColors);

    // The colour text of the path's category, or "0". Extensions compare after both sides
    // are upper-cased; the first row in table order wins. One hash look-up and no allocation
    // for ASCII extensions: 150,000 rows take about 8 ms (a row-by-row scan, over 100 ms).
    QString colorForPath(const QString &path) const;

    // The rows in table order: categories in order, each category's extensions in order.
    const QList<Row> &rows() const { return m_rows; }

private:
    void build(const QString *colors, qsizetype count);

    QList<Row> m_rows;
    // Upper-cased extension packed into an integer (see the .cpp) -> first row's colour.
    QHash<quint64, QString> m_colorByKey;
};

// A stored colour text as a colour. The text is the decimal form of a 32-bit value: red in
// the low byte, green in the second, blue in the third; with the top bit set the low byte
// is a system colour index, taken from `palette` (21 dark shadow -> Shadow, 7 menu text ->
// WindowText, 12 application workspace -> Window, and the other indices to the nearest
// role). A text that is not such a number gives black, as colour 0 does.
QColor colorFromText(const QString &colorText, const QPalette &palette);

} // namespace orlith
