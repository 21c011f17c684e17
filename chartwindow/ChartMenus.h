// The menu bar of the chart window as data: fourteen menus in menu-bar order, each with its
// items in menu order (separators included), their captions, the items that exist only as
// commands run by name (hidden) and the function keys of the Tools_A items.
#pragma once

#include <string>
#include <vector>

namespace vel {

struct ChartMenuItem {
    std::string name;  // "mnuSpace<n>" for a separator
    std::string caption;
    bool hidden = false;
    int functionKey = 0;  // 1..8 for F1..F8, 0 for none
    bool separator() const { return caption == "-"; }
};

struct ChartMenu {
    std::string name;
    std::string caption;
    std::vector<ChartMenuItem> items;
};

// The chart window's menus, in menu-bar order.
const std::vector<ChartMenu>& ChartWindowMenus();

}  // namespace vel
