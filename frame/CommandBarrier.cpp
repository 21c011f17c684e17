// The command barrier.
#include "CommandBarrier.h"

#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

#include "ActivityLog.h"
#include "Door.h"
#include "ErrorHandler.h"
#include "MainWindowView.h"

namespace vel {

namespace {

using CommandText = std::pair<CommandTextReader, CommandTextWriter>;

std::vector<CommandText>& CommandTexts() {
    static std::vector<CommandText> texts{
        {[]() -> const std::string& { return MainLabelText(MainLabel::PerformedAction); },
         [](const std::string& text) { SetMainLabel(MainLabel::PerformedAction, text); }}};
    return texts;
}

}  // namespace

void RegisterCommandText(CommandTextReader read, CommandTextWriter write) {
    auto& texts = CommandTexts();
    if (std::find(texts.begin(), texts.end(), CommandText{read, write}) == texts.end())
        texts.emplace_back(read, write);
}

bool RunCommand(const std::function<void()>& command) {
    Door* before = InstalledDoor();
    const bool hourglassBefore = before && before->Hourglass();
    std::vector<std::string> textsBefore;
    for (const auto& text : CommandTexts()) textsBefore.push_back(text.first());
    try {
        command();
        return true;
    } catch (const std::exception& error) {
        // The busy guards of the command are released by now; the hourglass and the texts are
        // not scoped.
        try {
            if (Door* d = InstalledDoor(); d && d->Hourglass() != hourglassBefore)
                d->SetHourglass(hourglassBefore);
            const auto& texts = CommandTexts();
            for (size_t k = 0; k < textsBefore.size(); ++k)
                if (texts[k].first() != textsBefore[k]) texts[k].second(textsBefore[k]);
            WriteActivityLog(ErrorHandlerText(error));
            ShowErrorHandler(error);
        } catch (const std::exception&) {
            // No door to show the box: the error stops here all the same.
        }
        return false;
    }
}

}  // namespace vel
