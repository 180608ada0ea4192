#pragma once
// The controls' property setters: a setter stores only a value that differs from the one held,
// and a stored value repaints. Setting a property to what it is costs nothing, so callers may
// set them freely (from a theme, an action, a loop over every control).

#include <utility>

// field := value when the two differ. Returns whether field changed.
template <class T, class V> bool assignChanged(T& field, V&& value) {
    if (field == value)
        return false;
    field = std::forward<V>(value);
    return true;
}

// assignChanged, and on a change *stale := true (when given: the control's flag that its
// off-screen picture or layout must be made again) and widget.update(). Returns whether field
// changed; a caller with more to redo does it when this is true.
template <class W, class T, class V>
bool setAndRepaint(W& widget, T& field, V&& value, bool* stale = nullptr) {
    if (!assignChanged(field, std::forward<V>(value)))
        return false;
    if (stale)
        *stale = true;
    widget.update();
    return true;
}
