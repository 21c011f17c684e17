// The program's error-handler box.
#include "ErrorHandler.h"

#include <algorithm>
#include <new>
#include <vector>

#include "AppState.h"
#include "Database.h"
#include "Door.h"
#include "Hooks.h"

namespace vel {

int ErrorNumberOf(const std::exception& error) {
    if (auto* sql = dynamic_cast<const SqlError*>(&error)) return sql->code();
    if (dynamic_cast<const NullValueError*>(&error)) return 94;
    if (dynamic_cast<const SubscriptRangeError*>(&error)) return 9;
    if (dynamic_cast<const OverflowError*>(&error)) return 6;
    if (dynamic_cast<const DivisionByZeroError*>(&error)) return 11;
    if (dynamic_cast<const FileError*>(&error)) return 75;
    if (dynamic_cast<const std::bad_alloc*>(&error)) return 7;
    return 5;
}

std::string ErrorHandlerText(const std::exception& error) {
    return "Vellicor error handler:\r\nPosition: " + std::to_string(ErrorPosition) +
           "  Error: " + std::to_string(ErrorNumberOf(error)) + "   " + error.what();
}

namespace {
std::vector<long> g_reportsByDepth;
}  // namespace

void ShowErrorHandler(const std::exception& error) {
    const auto depth = static_cast<std::size_t>(std::max(EventsDepth(), 0));
    if (g_reportsByDepth.size() <= depth) g_reportsByDepth.resize(depth + 1, 0);
    ++g_reportsByDepth[depth];
    door().MessageBox(ErrorHandlerText(error), "Vellicor", MsgButtons::OK);
}

long ErrorHandlerReportsHere() {
    const auto depth = static_cast<std::size_t>(std::max(EventsDepth(), 0));
    return depth < g_reportsByDepth.size() ? g_reportsByDepth[depth] : 0;
}

}  // namespace vel
