// The command barrier.
#include "CommandBarrier.h"

#include <exception>

#include "ActivityLog.h"
#include "Door.h"
#include "ErrorHandler.h"

namespace vel {

bool RunCommand(const std::function<void()>& command) {
    Door* before = InstalledDoor();
    const bool hourglassBefore = before && before->Hourglass();
    try {
        command();
        return true;
    } catch (const std::exception& error) {
        // The busy guards of the command are released by now; the hourglass is not scoped.
        if (Door* d = InstalledDoor(); d && d->Hourglass() != hourglassBefore)
            d->SetHourglass(hourglassBefore);
        try {
            WriteActivityLog(ErrorHandlerText(error));
            ShowErrorHandler(error);
        } catch (const std::exception&) {
            // No door to show the box: the error stops here all the same.
        }
        return false;
    }
}

}  // namespace vel
