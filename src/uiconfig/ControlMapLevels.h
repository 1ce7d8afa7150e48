#pragma once

#include <map>

class IControl;

// The levels of the control maps, from the last (the variant, holding the control) up. The CC
// map uses the last two under its own first level; the SysEx and NRPN maps use all four.
// The maps point to controls that the graphics or their layers own.
using ccControlMap = std::map<int, IControl*>;
using controlID3 = std::map<int, ccControlMap>;
using controlID2 = std::map<int, controlID3>;
using controlID1 = std::map<int, controlID2>;

// The control under the keys, one per level; null as soon as a level lacks its key. Creates
// nothing, so readers on other threads may call it once the maps are filled.
inline IControl* findControlIn(const ccControlMap& level, int key) {
    const auto it = level.find(key);
    return it == level.end() ? nullptr : it->second;
}
template <typename Level, typename... Keys>
IControl* findControlIn(const Level& level, int key, Keys... keys) {
    const auto it = level.find(key);
    return it == level.end() ? nullptr : findControlIn(it->second, keys...);
}
