#include "app/WindowPlacement.h"

#include <algorithm>

namespace vantrel {

namespace {

// `start` of a span of `length`, moved into [low, high) as far as it fits, and to
// `low` when it does not.
int KeepInside(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

}  // namespace

ScreenPoint CentredPosition(int width, int height, const ScreenRect& over,
                            const ScreenRect& workArea) {
    const int x = over.left + (over.right - over.left - width) / 2;
    const int y = over.top + (over.bottom - over.top - height) / 2;
    return ScreenPoint{KeepInside(x, width, workArea.left, workArea.right),
                       KeepInside(y, height, workArea.top, workArea.bottom)};
}

}  // namespace vantrel
