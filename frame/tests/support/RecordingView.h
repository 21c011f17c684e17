// A main window view for tests without widgets: it records what the window would show.
#pragma once

#include <string>
#include <vector>

#include "MainWindowView.h"

namespace vel::testing {

class RecordingView : public MainWindowView {
public:
    void ShowLabel(MainLabel, const std::string&) override { ++labelChanges; }
    void ShowProgressValue(double value) override { progressShown.push_back(value); }
    void ShowHistoryCommandsEnabled(bool enabled) override { enabledStates.push_back(enabled); }
    void ShowAutorunList(const std::vector<std::string>& items, const std::string&) override {
        listItems = items;
    }
    void ArrangeChildWindows(ArrangeMode mode) override { arranged.push_back(mode); }

    int labelChanges = 0;
    std::vector<double> progressShown;
    std::vector<bool> enabledStates;
    std::vector<std::string> listItems;
    std::vector<ArrangeMode> arranged;
};

}  // namespace vel::testing
