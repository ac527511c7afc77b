// What every parent has, host or control: its children in z-order (last =
// topmost), the hot and focus child, the mouse dispatch, key routing, groups,
// and the composition of the children's surfaces onto the parent's layers.
//
// Pixels: every layer and every child surface is a 32-bit premultiplied BGRA
// DIB section (see DrawStatus.h); copies between layers are plain blits, and
// a child is blended with AlphaBlend, AC_SRC_ALPHA and its constant opacity.
#pragma once

#include "Endpoint.h"
#include "UiGeometry.h"

#include <functional>
#include <optional>
#include <vector>

namespace corvina {

struct ChildEntry {
    Endpoint* child = nullptr;
    Rect rect;
};

class ChildSet {
  public:
    const std::vector<ChildEntry>& entries() const { return entries_; }
    int count() const { return static_cast<int>(entries_.size()); }
    int indexOf(const Endpoint* child) const; // 0-based, -1 when absent
    void add(Endpoint* child, const Rect& rect) { entries_.push_back({child, rect}); }
    // Takes the child out of the list and forgets it as hot or focus child.
    std::optional<Rect> remove(Endpoint* child);
    // Sets a child's rectangle (and the hot rectangle when it is the hot child).
    bool setRect(Endpoint* child, const Rect& rect);

    Endpoint* hotChild() const { return hot_; }
    const Rect& hotRect() const { return hotRect_; }
    Endpoint* focusChild() const { return focus_; }
    // Forgets `child` as hot and focus child, without telling it.
    void forget(const Endpoint* child);

    // The mouse dispatch to the children; true when one took the message.
    // `alive` is asked after every call into a child: once it says no (the
    // owner is being destroyed) the dispatch stops.
    bool dispatchMouse(UINT message, WPARAM wParam, LPARAM lParam, const std::function<bool()>& alive);
    // Keys go to the focus child, else the hot child; false when neither.
    bool routeKey(UINT message, WPARAM wParam, LPARAM lParam) const;
    // The pointer left the owner: the hot child is told and forgotten.
    void mouseLeft();
    // Replies of UI_GROUP_HAS_OTHER and UI_NOTIFY_GROUP.
    LRESULT groupHasOther(Endpoint* sender, LPARAM group) const;
    LRESULT notifyGroup(WPARAM sender, LPARAM group) const;
    // Every child gets UI_PARENT_GONE; the list and the references are emptied.
    void parentGone();
    // The replies every parent gives alike: UI_ADD_CHILD, UI_GROUP_HAS_OTHER,
    // UI_NOTIFY_GROUP. None for any other message.
    std::optional<LRESULT> answer(UINT message, WPARAM wParam, LPARAM lParam);
    // UI_REMOVE_CHILD: told quietly (a hot child hears it is left) or with
    // UI_PARENT_GONE, then taken out. Its rectangle, none when not a child.
    std::optional<Rect> release(Endpoint* child, bool quiet);

  private:
    std::vector<ChildEntry> entries_;
    Endpoint* hot_ = nullptr;
    Rect hotRect_;
    Endpoint* focus_ = nullptr;
};

// Composition over a parent's two layers: `composite` (background plus the
// children) and `background` (the parent's own picture), both `size` large.
struct Layers {
    HDC composite = nullptr;
    HDC background = nullptr;
    int width = 0;
    int height = 0;
};

// Copies an area between layers (clipped to the layers).
bool copyArea(HDC to, HDC from, const Rect& area, int width, int height);
// Blends the part of a child that lies in `area` onto the composite.
bool blendChildArea(const Layers& layers, const ChildEntry& entry, const Rect& area);
// Children first..last (1-based, inclusive), except `excluded` and hidden
// ones, re-blended where they meet `area`.
void recomposeArea(const Layers& layers, const ChildSet& children, const Endpoint* excluded, const Rect& area,
                   int first, int last);
// Every visible child, bottom to top, blended whole.
void composeChildren(const Layers& layers, const ChildSet& children);
// A child's dirty area (child coordinates): the background restored there,
// the children below, the child itself and the children above re-blended.
// The area in the parent's coordinates, or none when nothing was done (not a
// child, hidden).
std::optional<Rect> composeChildChange(const Layers& layers, const ChildSet& children, Endpoint* child,
                                       const Rect& dirty);
// The background restored over `area` and every child but `excluded`
// re-blended there.
void restoreArea(const Layers& layers, const ChildSet& children, const Endpoint* excluded, const Rect& area);
// UI_MOVE_CHILD: the old area restored without the mover, which then gets
// its new rectangle. The old rectangle, none when not a child.
std::optional<Rect> moveChild(const Layers& layers, ChildSet& children, Endpoint* child, const Rect& rect);

} // namespace corvina
