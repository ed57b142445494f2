// Orlith — desktop catalogue of removable media.
#include "core/settings/option_colors.h"

namespace orlith {

namespace {

struct Rgb
{
    int r, g, b;
};

// By swatch index; index 19 is the system colour and has no RGB value.
constexpr Rgb kSwatches[kSwatchCount] = {
    {192, 0, 0},     {255, 0, 0},     {192, 0, 192}, {255, 128, 128}, {192, 192, 0},
    {255, 255, 0},   {255, 255, 192}, {255, 0, 255}, {255, 128, 255}, {128, 128, 0},
    {128, 128, 128}, {192, 192, 192}, {0, 0, 192},   {0, 0, 255},     {128, 128, 255},
    {0, 0, 0},       {0, 128, 0},     {0, 128, 128}, {128, 0, 128},   {0, 0, 0},
};
constexpr int kShadowSwatch = 19;

constexpr int kLayout[kSwatchRows][kSwatchColumns] = {
    {0, 1, 3, 19}, {4, 5, 6, 18}, {2, 7, 8, 17}, {9, 10, 11, 16}, {12, 13, 14, 15},
};

// Swatch of each category's default colour, in category order.
constexpr int kDefaultSwatches[kCategoryCount] = {9, 13, 16, 0, 4, 1, 19};

} // namespace

QString swatchColorText(int index)
{
    if (index < 0 || index >= kSwatchCount)
        return {};
    if (index == kShadowSwatch)
        return QString::fromLatin1(kShadowColorText);
    const Rgb &c = kSwatches[index];
    return QString::number(c.r + 256 * c.g + 65536 * c.b);
}

int swatchAt(int row, int column)
{
    return kLayout[row][column];
}

std::array<QString, kCategoryCount> defaultCategoryColors()
{
    std::array<QString, kCategoryCount> colors;
    for (int i = 0; i < kCategoryCount; ++i)
        colors[size_t(i)] = swatchColorText(kDefaultSwatches[i]);
    return colors;
}

std::array<QString, kCategoryCount> blackCategoryColors()
{
    std::array<QString, kCategoryCount> colors;
    colors.fill(QStringLiteral("0"));
    return colors;
}

bool fillUnsetCategoryColors(SettingsRecord &record)
{
    for (const QString &c : record.categoryColorSettings)
        if (!c.isEmpty())
            return false;
    record.categoryColorSettings = defaultCategoryColors();
    return true;
}

} // namespace orlith
