// The command surface of the chart window: one procedure per menu item and button, run by
// the window or by name from code (the unattended runs). The chart window registers its own
// procedures and those that call the market analysis; another part may register one under the
// item's name (RegisterChartCommand). A name without a procedure beeps and logs
// "<name>_Click: no procedure is registered."; an item whose name ends in "1" runs the item
// of the same name without the "1".
#pragma once

#include <functional>
#include <string>

namespace vel {

// Registers (or replaces) the procedure of a menu item or button, by its control name
// ("mnuSaveChartAsBMPfile", "cmdEnlargeChart").
void RegisterChartCommand(const std::string& name, std::function<void()> procedure);
// True when the name, or the name without a final "1", has a procedure.
bool ChartCommandRegistered(const std::string& name);
// Runs the procedure of the name (or of the name without a final "1"); an item without one
// is reported as not registered. Returns false then.
bool RunChartCommand(const std::string& name);
// Forgets every registration and registers the chart window's own procedures again.
void RegisterChartWindowCommands();

// The message and title of the empty-basket notice of the basket-wide commands.
void ShowEmptyBasketMessage();
// The untitled notice of the commands that need members to select from.
void ShowFillBasketMessage();

}  // namespace vel
