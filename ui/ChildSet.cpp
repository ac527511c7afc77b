#include "ChildSet.h"

#include "DrawStatus.h"

#include <algorithm>

namespace corvina {
namespace {
constexpr DWORD kCopy = SRCCOPY | CAPTUREBLT;
constexpr int kGenericError = 1;
} // namespace

int ChildSet::indexOf(const Endpoint* child) const {
    if (!child)
        return -1;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].child == child)
            return static_cast<int>(i);
    return -1;
}

std::optional<Rect> ChildSet::remove(Endpoint* child) {
    const int i = indexOf(child);
    if (i < 0)
        return std::nullopt;
    const Rect rect = entries_[static_cast<size_t>(i)].rect;
    entries_.erase(entries_.begin() + i);
    forget(child);
    return rect;
}

bool ChildSet::setRect(Endpoint* child, const Rect& rect) {
    const int i = indexOf(child);
    if (i < 0)
        return false;
    entries_[static_cast<size_t>(i)].rect = rect;
    if (hot_ == child)
        hotRect_ = rect;
    return true;
}

void ChildSet::forget(const Endpoint* child) {
    if (hot_ == child)
        hot_ = nullptr;
    if (focus_ == child)
        focus_ = nullptr;
}

bool ChildSet::dispatchMouse(UINT message, WPARAM wParam, LPARAM lParam, const std::function<bool()>& alive) {
    const int x = pointerX(lParam), y = pointerY(lParam);
    Endpoint* passedOn = nullptr; // the hot child that already had the message and let it through
    if (hot_) {
        if (message == WM_MOUSEWHEEL)
            return send(hot_, message, wParam, 0) == 0;
        if (containsInclusive(hotRect_, x, y)) {
            Endpoint* target = hot_;
            const Rect at = hotRect_;
            if (message == WM_LBUTTONUP && focus_ != target && send(target, UI_CAN_FOCUS) == 1) {
                Endpoint* old = focus_;
                focus_ = target;
                send(old, UI_KILL_FOCUS);
                send(target, UI_SET_FOCUS);
                if (!alive())
                    return true;
            }
            if (send(target, message, wParam, relativePointer(lParam, at.x, at.y)) == 0 || !alive())
                return true;
            passedOn = target;
        } else {
            Endpoint* old = hot_;
            hot_ = nullptr;
            send(old, UI_MOUSE_LEAVE);
            if (!alive())
                return true;
        }
    }
    if (message < WM_MOUSEMOVE || message == WM_MOUSEWHEEL)
        return false;
    // A handler may add, remove or destroy children: walk a copy, and skip
    // whoever is no longer a child when its turn comes.
    const std::vector<ChildEntry> snapshot = entries_;
    int start = static_cast<int>(snapshot.size()) - 1;
    if (passedOn)
        for (int i = start; i >= 0; --i)
            if (snapshot[static_cast<size_t>(i)].child == passedOn) {
                start = i - 1;
                break;
            }
    for (int i = start; i >= 0; --i) {
        Endpoint* child = snapshot[static_cast<size_t>(i)].child;
        const int now = indexOf(child);
        if (now < 0)
            continue;
        const Rect rect = entries_[static_cast<size_t>(now)].rect;
        const bool qualifies = containsInclusive(rect, x, y) && send(child, UI_ACCEPTS_MOUSE) == 1;
        if (!alive())
            return true;
        if (!qualifies) {
            if (hot_ == child) {
                hot_ = nullptr;
                send(child, UI_MOUSE_LEAVE);
                if (!alive())
                    return true;
            }
            continue;
        }
        if (hot_ != child) {
            Endpoint* old = hot_;
            hot_ = child;
            hotRect_ = rect;
            send(old, UI_MOUSE_LEAVE);
            send(child, UI_MOUSE_ENTER);
            if (!alive())
                return true;
            if (indexOf(child) < 0)
                continue;
        }
        if (send(child, message, wParam, relativePointer(lParam, rect.x, rect.y)) == 0 || !alive())
            return true;
    }
    return false;
}

bool ChildSet::routeKey(UINT message, WPARAM wParam, LPARAM lParam) const {
    Endpoint* target = focus_ ? focus_ : hot_;
    if (!target)
        return false;
    send(target, message, wParam, lParam);
    return true;
}

void ChildSet::mouseLeft() {
    if (Endpoint* old = hot_) {
        hot_ = nullptr;
        send(old, UI_MOUSE_LEAVE);
    }
}

LRESULT ChildSet::groupHasOther(Endpoint* sender, LPARAM group) const {
    for (const ChildEntry& e : std::vector<ChildEntry>(entries_))
        if (e.child != sender && send(e.child, UI_GET_GROUP) == group)
            return 1;
    return 0;
}

LRESULT ChildSet::notifyGroup(WPARAM sender, LPARAM group) const {
    for (const ChildEntry& e : std::vector<ChildEntry>(entries_))
        if (e.child != endpointOf(sender) && send(e.child, UI_GET_GROUP) == group) {
            send(e.child, UI_GROUP_CHANGED, sender, group);
            return 1;
        }
    return 0;
}

void ChildSet::parentGone() {
    const std::vector<ChildEntry> gone = std::move(entries_);
    entries_.clear();
    hot_ = focus_ = nullptr;
    for (const ChildEntry& e : gone)
        send(e.child, UI_PARENT_GONE);
}

std::optional<LRESULT> ChildSet::answer(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case UI_ADD_CHILD:
        if (wParam)
            add(endpointOf(wParam), rectAt(lParam));
        return 0;
    case UI_GROUP_HAS_OTHER:
        return groupHasOther(endpointOf(wParam), lParam);
    case UI_NOTIFY_GROUP:
        return notifyGroup(wParam, lParam);
    default:
        return std::nullopt;
    }
}

std::optional<Rect> ChildSet::release(Endpoint* child, bool quiet) {
    if (indexOf(child) < 0)
        return std::nullopt;
    if (!quiet) {
        send(child, UI_PARENT_GONE);
    } else if (hot_ == child) {
        hot_ = nullptr;
        send(child, UI_MOUSE_LEAVE);
    }
    return remove(child);
}

bool copyArea(HDC to, HDC from, const Rect& area, int width, int height) {
    const Rect a = clipToSize(area, width, height);
    if (!to || !from || a.width <= 0 || a.height <= 0)
        return false;
    const bool ok = StretchBlt(to, a.x, a.y, a.width, a.height, from, a.x, a.y, a.width, a.height, kCopy) != FALSE;
    if (!ok)
        lastDrawStatus = kGenericError;
    return ok;
}

bool blendChildArea(const Layers& layers, const ChildEntry& entry, const Rect& area) {
    // Only where the child, the area and the layer all meet.
    const auto inChild = intersect(entry.rect, area);
    if (!inChild)
        return false;
    const Rect a = clipToSize(*inChild, layers.width, layers.height);
    if (a.width <= 0 || a.height <= 0)
        return false;
    HDC surface = reinterpret_cast<HDC>(send(entry.child, UI_GET_SURFACE));
    if (!surface)
        return false;
    const int opacity = static_cast<int>(send(entry.child, UI_GET_OPACITY));
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(std::clamp(opacity, 0, 255)), AC_SRC_ALPHA};
    const bool ok = AlphaBlend(layers.composite, a.x, a.y, a.width, a.height, surface, a.x - entry.rect.x,
                               a.y - entry.rect.y, a.width, a.height, blend) != FALSE;
    if (!ok)
        lastDrawStatus = kGenericError;
    return ok;
}

void recomposeArea(const Layers& layers, const ChildSet& children, const Endpoint* excluded, const Rect& area,
                   int first, int last) {
    const std::vector<ChildEntry> entries = children.entries();
    const int n = static_cast<int>(entries.size());
    for (int i = std::max(first, 1); i <= std::min(last, n); ++i) {
        const ChildEntry& e = entries[static_cast<size_t>(i - 1)];
        if (e.child == excluded || !intersect(e.rect, area) || send(e.child, UI_IS_VISIBLE) == 0)
            continue;
        blendChildArea(layers, e, area);
    }
}

void composeChildren(const Layers& layers, const ChildSet& children) {
    for (const ChildEntry& e : std::vector<ChildEntry>(children.entries()))
        if (send(e.child, UI_IS_VISIBLE) != 0)
            blendChildArea(layers, e, e.rect);
}

std::optional<Rect> composeChildChange(const Layers& layers, const ChildSet& children, Endpoint* child,
                                       const Rect& dirty) {
    const int index = children.indexOf(child);
    if (index < 0 || send(child, UI_IS_VISIBLE) == 0)
        return std::nullopt;
    const ChildEntry entry = children.entries()[static_cast<size_t>(index)];
    const Rect area{entry.rect.x + dirty.x, entry.rect.y + dirty.y, dirty.width, dirty.height};
    const int i = index + 1;
    copyArea(layers.composite, layers.background, area, layers.width, layers.height);
    recomposeArea(layers, children, child, area, 1, i);
    blendChildArea(layers, entry, area);
    recomposeArea(layers, children, child, area, i, children.count());
    return area;
}

void restoreArea(const Layers& layers, const ChildSet& children, const Endpoint* excluded, const Rect& area) {
    copyArea(layers.composite, layers.background, area, layers.width, layers.height);
    recomposeArea(layers, children, excluded, area, 1, children.count());
}

} // namespace corvina

namespace corvina {

std::optional<Rect> moveChild(const Layers& layers, ChildSet& children, Endpoint* child, const Rect& rect) {
    const int index = children.indexOf(child);
    if (index < 0)
        return std::nullopt;
    const Rect old = children.entries()[static_cast<size_t>(index)].rect;
    restoreArea(layers, children, child, old);
    children.setRect(child, rect);
    return old;
}

} // namespace corvina
