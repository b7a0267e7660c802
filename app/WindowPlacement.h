#pragma once
// Where a dialog opens: centred over another window (or over the screen's work
// area), and moved back inside the work area when that would put part of it off
// the screen.

namespace vantrel {

struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct ScreenPoint {
    int x = 0, y = 0;
};

// The top-left corner for a window of `width` × `height` centred over `over`, kept
// inside `workArea`. A window larger than the work area keeps its top-left corner
// (and so its caption) on the screen.
ScreenPoint CentredPosition(int width, int height, const ScreenRect& over,
                            const ScreenRect& workArea);

}  // namespace vantrel
