// The URL list generator window's procedures.
#include "GenerateURLsForm.h"

#include "AppState.h"
#include "AutomationFiles.h"
#include "Door.h"
#include "DownloadText.h"
#include "FilePaths.h"
#include "Hooks.h"
#include "UrlGenerator.h"

namespace vel {

namespace {

void Fill(std::vector<std::string>& items, std::string& text, std::vector<std::string> names) {
    items = std::move(names);
    text = items.empty() ? std::string() : items.front();
}

void ViewChosenFile(const std::string& choice) {
    const std::string name = Trim(choice);
    if (name.empty()) return;
    const std::string path = JoinPath(ProgramFolderPath, name);
    if (IsFilePresent(path)) door().OpenInTextEditor(path);
}

}  // namespace

GenerateURLsForm::GenerateURLsForm(std::function<void()> refreshUrlLists)
    : refreshUrlLists_(std::move(refreshUrlLists)) {}

void GenerateURLsForm::Form_Load() {
    RefreshComboBoxOfPatternFiles();
    RefreshComboBoxOfListFiles();
}

void GenerateURLsForm::RefreshComboBoxOfPatternFiles() {
    Fill(ComboPatternItems, ComboPattern, PatternFileNames());
}

void GenerateURLsForm::RefreshComboBoxOfListFiles() {
    Fill(ComboListItems, ComboList, ListFileNames());
}

void GenerateURLsForm::cmdViewPattern_Click() {
    ViewChosenFile(ComboPattern);
}

void GenerateURLsForm::cmdViewList_Click() {
    ViewChosenFile(ComboList);
}

void GenerateURLsForm::cmdGenerate_Click() {
    const std::string output = GenerateFromChoices(ComboPattern, ComboList);
    if (output.empty()) return;
    if (refreshUrlLists_) refreshUrlLists_();
    door().MessageBox("Saved to:  " + output, "", MsgButtons::OK);
}

void GenerateURLsForm::cmdGenerateAndView_Click() {
    const std::string output = GenerateFromChoices(ComboPattern, ComboList);
    if (output.empty()) return;
    door().OpenInTextEditor(output);
    if (refreshUrlLists_) refreshUrlLists_();
}

void GenerateURLsForm::cmdCancel_Click() {
    unloaded_ = true;
    YieldToEvents();
}

}  // namespace vel
