// The URL list generator window: a pattern file and a list file chosen from the program
// folder, their refresh and view buttons, and the commands that generate the URL list.
#pragma once

#include <QDialog>
#include <functional>

class QComboBox;
class QPushButton;

namespace vel {

class frmGenerateURLs : public QDialog {
    Q_OBJECT

public:
    // refreshUrlLists refreshes the download window's list after a generation.
    explicit frmGenerateURLs(std::function<void()> refreshUrlLists, QWidget* parent = nullptr);

    void Form_Load();
    void RefreshComboBoxOfPatternFiles();
    void RefreshComboBoxOfListFiles();
    void cmdGenerate_Click();
    void cmdGenerateAndView_Click();
    void cmdCancel_Click();

    QComboBox* ComboPattern;
    QComboBox* ComboList;

private:
    std::function<void()> refreshUrlLists_;
};

}  // namespace vel
