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

// A procedure that tells how it ended: true when it did its work (also when it only showed a
// notice that leaves nothing to do), false when it failed after reporting why (its error in the
// error-handler box, a file it could not write, a refusal while another command works).
using ChartProcedure = std::function<bool()>;
// Registers (or replaces) the procedure of a menu item or button, by its control name
// ("mnuSaveChartAsBMPfile", "cmdEnlargeChart"). A procedure without a result counts as done
// whenever it returns.
void RegisterChartCommand(const std::string& name, ChartProcedure procedure);
void RegisterChartCommand(const std::string& name, std::function<void()> procedure);
// True when the name, or the name without a final "1", has a procedure.
bool ChartCommandRegistered(const std::string& name);
// Runs the procedure of the name (or of the name without a final "1") and returns how it ended;
// an item without one is reported as not registered, and false returned. The calculations of
// the Stock Basket and their reports tell their outcome, so that an unattended run learns from
// its own commands whether a step failed.
bool RunChartCommand(const std::string& name);
// Forgets every registration and registers the chart window's own procedures again.
void RegisterChartWindowCommands();

// The message and title of the empty-basket notice of the basket-wide commands.
void ShowEmptyBasketMessage();
// The untitled notice of the commands that need members to select from.
void ShowFillBasketMessage();

}  // namespace vel
