// The program's error-handler box.
#include "ErrorHandler.h"

#include <new>

#include "AppState.h"
#include "Database.h"
#include "Door.h"

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

void ShowErrorHandler(const std::exception& error) {
    door().MessageBox(ErrorHandlerText(error), "Vellicor", MsgButtons::OK);
}

}  // namespace vel
