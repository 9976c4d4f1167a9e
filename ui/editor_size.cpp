#include "ui/editor_size.h"

#include <algorithm>

namespace vanto {

namespace {

int32_t clampSpan(int64_t span, int32_t minimum, int32_t maximum) {
    return static_cast<int32_t>(std::max<int64_t>(std::min<int64_t>(span, maximum), minimum));
}

} // namespace

EditorRect clampEditorRect(EditorRect rect) {
    // 64-bit differences: a host's rectangle may span more than int32 allows.
    const int32_t width = clampSpan(int64_t{rect.right} - rect.left, kEditorMinWidth, kEditorMaxWidth);
    const int32_t height = clampSpan(int64_t{rect.bottom} - rect.top, kEditorMinHeight, kEditorMaxHeight);
    rect.right = static_cast<int32_t>(std::min<int64_t>(int64_t{rect.left} + width, INT32_MAX));
    rect.bottom = static_cast<int32_t>(std::min<int64_t>(int64_t{rect.top} + height, INT32_MAX));
    return rect;
}

} // namespace vanto
