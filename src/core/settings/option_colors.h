// Orlith — desktop catalogue of removable media.
// The colour palette and the colour sets of the options window.
#pragma once

#include "core/settings/settings_record.h"
#include "core/store/file_categories.h"

#include <QString>

#include <array>

namespace orlith {

inline constexpr int kSwatchCount = 20;
inline constexpr int kSwatchRows = 5;
inline constexpr int kSwatchColumns = 4;

// The stored colour text of system colour 21 (dark shadow): the top bit set, 21 in the low byte.
inline constexpr char kShadowColorText[] = "-2147483627";

// The colour text of palette swatch `index` (0 to 19); empty outside that range.
QString swatchColorText(int index);

// Swatch index shown at (row, column) of the five rows of four.
int swatchAt(int row, int column);

// "Default": one swatch per category, in category order.
std::array<QString, kCategoryCount> defaultCategoryColors();
// "No colors": every category black.
std::array<QString, kCategoryCount> blackCategoryColors();

// A record that never had colours (all seven texts empty, as after a first start with no
// settings file) takes the "Default" colours; true when it did. A record holding any colour,
// "No colors" included, is left as it is.
bool fillUnsetCategoryColors(SettingsRecord &record);

} // namespace orlith
