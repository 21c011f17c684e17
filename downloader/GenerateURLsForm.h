// The URL list generator window's state and event procedures, without its widgets: the pattern
// file and the list file chosen from the program folder, their refresh and view buttons, and the
// two generate commands. The download window shows it modally through the platform door, which
// hands it to the registered window (or to a test's script).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vel {

class GenerateURLsForm {
public:
    static constexpr const char* kCaption = "Tarquel - Generating URLs";

    // refreshUrlLists refreshes the download window's list after a generation.
    explicit GenerateURLsForm(std::function<void()> refreshUrlLists);

    // Both boxes refreshed.
    void Form_Load();
    // ComboPattern filled with the program folder's ".eodpatt" and then ".htmpatt" files, the
    // first chosen (the text emptied when there is none); ComboList likewise with ".csv" and
    // ".txt" files.
    void RefreshComboBoxOfPatternFiles();
    void RefreshComboBoxOfListFiles();
    void cmdRefreshPattern_Click() { RefreshComboBoxOfPatternFiles(); }
    void cmdRefreshList_Click() { RefreshComboBoxOfListFiles(); }
    // Opens the chosen file of the program folder in the text editor when the trimmed box text
    // is not empty and the file exists.
    void cmdViewPattern_Click();
    void cmdViewList_Click();
    // Generates the URL list of the two choices (a beep and nothing more when one is empty or
    // its file missing); when the list exists afterwards, refreshes the download window's list
    // and confirms "Saved to:  " & its path.
    void cmdGenerate_Click();
    // As cmdGenerate_Click, but opens the list in the text editor before the refresh, without
    // a confirmation.
    void cmdGenerateAndView_Click();
    // Unloads the form (also what closing its window does). Yields.
    void cmdCancel_Click();

    bool Unloaded() const { return unloaded_; }

    // The list boxes: their items and their text, which the window writes as the user chooses
    // or types.
    std::vector<std::string> ComboPatternItems;
    std::string ComboPattern;
    std::vector<std::string> ComboListItems;
    std::string ComboList;

private:
    std::function<void()> refreshUrlLists_;
    bool unloaded_ = false;
};

}  // namespace vel
