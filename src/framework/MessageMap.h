// Message maps: each window class keeps a static table that says which member
// function handles which message, with the base class's table behind it.
// Messages nobody handles get the window's default processing.
#pragma once

#include "WinDef.h"

#include <span>
#include <type_traits>

class CCmdTarget;
class CWnd;

namespace afx {

/// Calls one handler of a message-map entry on the target window.
using MessageThunk = LRESULT (*)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
    UINT message;       ///< WM_*
    UINT code;          ///< notification code for WM_COMMAND, else 0
    UINT id;            ///< control id for WM_COMMAND, else 0
    MessageThunk thunk;
};

struct MessageMap {
    const MessageMap* base;  ///< the base class's map, or nullptr
    std::span<const MessageMapEntry> entries;
};

template <class T>
struct MemberClass;
template <class C, class R, class... A>
struct MemberClass<R (C::*)(A...)> {
    using type = C;
};

/// Adapts a member function to MessageThunk. The handler shapes the program
/// uses: void(), void(UINT, LPARAM), void(CWnd*, CPoint) (WM_CONTEXTMENU:
/// the window clicked and the point on the screen) and HCURSOR().
template <auto Handler>
LRESULT Call(CCmdTarget& target, WPARAM wParam, LPARAM lParam) {
    using Class = typename MemberClass<decltype(Handler)>::type;
    auto& self = static_cast<Class&>(target);
    if constexpr (std::is_invocable_v<decltype(Handler), Class&, CWnd*, CPoint>) {
        (self.*Handler)(reinterpret_cast<CWnd*>(wParam), CPoint(lParam));
        return 0;
    } else if constexpr (std::is_invocable_v<decltype(Handler), Class&, UINT, LPARAM>) {
        (self.*Handler)(static_cast<UINT>(wParam), lParam);
        return 0;
    } else if constexpr (std::is_same_v<std::invoke_result_t<decltype(Handler), Class&>, void>) {
        (void)wParam;
        (void)lParam;
        (self.*Handler)();
        return 0;
    } else {
        (void)wParam;
        (void)lParam;
        return reinterpret_cast<LRESULT>((self.*Handler)());
    }
}

template <auto Handler>
constexpr MessageMapEntry OnCommand(UINT id, UINT code) {
    return {WM_COMMAND, code, id, &Call<Handler>};
}
template <auto Handler>
constexpr MessageMapEntry OnBnClicked(UINT id) {
    return {WM_COMMAND, BN_CLICKED, id, &Call<Handler>};
}
template <auto Handler>
constexpr MessageMapEntry OnEnChange(UINT id) {
    return {WM_COMMAND, EN_CHANGE, id, &Call<Handler>};
}
template <auto Handler>
constexpr MessageMapEntry OnMessage(UINT message) {
    return {message, 0, 0, &Call<Handler>};
}

/// Finds the entry for a message in a map chain, or nullptr.
const MessageMapEntry* FindEntry(const MessageMap* map, UINT message, WPARAM wParam);

}  // namespace afx

/// Anything that receives messages: the application and every window.
class CCmdTarget {
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    /// The class's own message map (with its base maps behind it).
    virtual const afx::MessageMap* GetMessageMap() const;

    /// Runs the handler the map names for this message; false when none does.
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
};
