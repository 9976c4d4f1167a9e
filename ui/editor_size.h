// The editor's size rules: the size it opens with and the range a host may resize it within.
#pragma once

#include <cstdint>

namespace vanto {

inline constexpr int32_t kEditorDefaultWidth = 940;
inline constexpr int32_t kEditorDefaultHeight = 740;
inline constexpr int32_t kEditorMinWidth = 480;
inline constexpr int32_t kEditorMaxWidth = 1600;
inline constexpr int32_t kEditorMinHeight = 740;
inline constexpr int32_t kEditorMaxHeight = 1200;

struct EditorRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = kEditorDefaultWidth;
    int32_t bottom = kEditorDefaultHeight;
};

// Keeps the top left corner and clamps width and height into the ranges above (upper bound first,
// then lower, so a reversed rectangle ends at the minimum).
EditorRect clampEditorRect(EditorRect rect);

} // namespace vanto
