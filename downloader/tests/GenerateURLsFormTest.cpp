// The URL list generator window's form, shown by the download window's command through the
// door and played by scripts: its boxes, the generate commands with the refresh of the
// download window's list, the view buttons, and its absence while no window may block.
#include <gtest/gtest.h>

#include "AppState.h"
#include "DownloadForm.h"
#include "DownloaderFixture.h"
#include "GenerateURLsForm.h"

namespace vel {
namespace {

class GenerateURLsFormTest : public testing::DownloaderFixture {
protected:
    void SetUp() override {
        DownloaderFixture::SetUp();
        WriteFile(TempPath("Daily.eodpatt"), "SaveTo(<STOCKSYMBOL>.csv):http://h/<LINEINDEX>\r\n");
        WriteFile(TempPath("Pages.htmpatt"), "SaveTo(<LINEINDEX>.html):http://h/<LINE>\r\n");
        WriteFile(TempPath("Stocks.txt"), "MSFT\r\nIBM\r\n");
        WriteFile(TempPath("Funds.csv"), "VFIAX, Index\r\n");
        form.endProgram = [](int) {};
        form.Form_Load();
    }
    // Opens the generator from the download window's menu with the script as the user.
    void Generator(std::function<void(GenerateURLsForm&)> script) {
        door_.QueueForm<GenerateURLsForm>(std::move(script));
        form.mnuGeneratingURLs_Click();
    }
    DownloadForm form;
};

TEST_F(GenerateURLsFormTest, GenerateWritesTheListRefreshesTheDownloadWindowAndConfirms) {
    EXPECT_TRUE(form.UrlListItems().empty());
    Generator([&](GenerateURLsForm& g) {
        EXPECT_EQ(g.ComboPatternItems,
                  (std::vector<std::string>{"Daily.eodpatt", "Pages.htmpatt"}));
        EXPECT_EQ(g.ComboPattern, "Daily.eodpatt");
        EXPECT_EQ(g.ComboListItems, (std::vector<std::string>{"Funds.csv", "Stocks.txt"}));
        EXPECT_EQ(g.ComboList, "Funds.csv");
        g.ComboList = "Stocks.txt";
        door_.QueueMessageAnswer(MsgAnswer::OK);
        g.cmdGenerate_Click();
        // The download window offers the new list while the generator is still open.
        EXPECT_EQ(form.UrlListItems(), std::vector<std::string>{"Stocks.eodurls"});
        g.cmdCancel_Click();
        EXPECT_TRUE(g.Unloaded());
    });
    EXPECT_EQ(ReadFile(TempPath("Stocks.eodurls")),
              "SaveTo(MSFT.csv):http://h/0001\r\nSaveTo(IBM.csv):http://h/0002\r\n");
    const auto boxes = door_.CallsOf("message");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Saved to:  " + TempPath("Stocks.eodurls"));
    EXPECT_EQ(boxes[0].title, "");
    ASSERT_EQ(door_.CallsOf("form").size(), 1u);
    EXPECT_EQ(door_.CallsOf("form")[0].text, "Tarquel - Generating URLs");
}

TEST_F(GenerateURLsFormTest, GenerateAndViewOpensTheListWithoutAConfirmation) {
    Generator([&](GenerateURLsForm& g) {
        g.ComboPattern = "Pages.htmpatt";
        g.cmdGenerateAndView_Click();
        g.cmdCancel_Click();
    });
    EXPECT_EQ(ReadFile(TempPath("Funds.htmurls")), "SaveTo(0001.html):http://h/VFIAX, Index\r\n");
    EXPECT_EQ(form.UrlListItems(), std::vector<std::string>{"Funds.htmurls"});
    const auto editor = door_.CallsOf("editor");
    ASSERT_EQ(editor.size(), 1u);
    EXPECT_EQ(editor[0].text, TempPath("Funds.htmurls"));
    EXPECT_TRUE(door_.CallsOf("message").empty());
}

TEST_F(GenerateURLsFormTest, ViewAndRefreshButtonsAndEmptyChoices) {
    Generator([&](GenerateURLsForm& g) {
        g.cmdViewPattern_Click();
        g.ComboList = "  ";
        g.cmdViewList_Click();  // nothing chosen: nothing opened
        g.ComboList = "Missing.txt";
        g.cmdViewList_Click();  // no such file: nothing opened
        g.cmdGenerate_Click();  // a beep, nothing written
        g.cmdGenerateAndView_Click();
        WriteFile(TempPath("Bonds.TXT"), "T10\r\n");
        g.cmdRefreshList_Click();
        EXPECT_EQ(g.ComboListItems,
                  (std::vector<std::string>{"Funds.csv", "Bonds.TXT", "Stocks.txt"}));
        EXPECT_EQ(g.ComboList, "Funds.csv");
        std::filesystem::remove(TempPath("Daily.eodpatt"));
        std::filesystem::remove(TempPath("Pages.htmpatt"));
        g.cmdRefreshPattern_Click();
        EXPECT_TRUE(g.ComboPatternItems.empty());
        EXPECT_EQ(g.ComboPattern, "");
        g.cmdCancel_Click();
    });
    const auto editor = door_.CallsOf("editor");
    ASSERT_EQ(editor.size(), 1u);
    EXPECT_EQ(editor[0].text, TempPath("Daily.eodpatt"));
    EXPECT_EQ(door_.Beeps(), 2);
    // Nothing was written.
    EXPECT_EQ(ListDirectoryNames(),
              (std::vector<std::string>{"Bonds.TXT", "Funds.csv", "Stocks.txt", "Tarquel.log"}));
}

TEST_F(GenerateURLsFormTest, NotShownWhileNoWindowMayBlock) {
    // An unattended run leaves the menus usable; the generator then does nothing.
    AutoRunMode = 1;
    form.mnuGeneratingURLs_Click();
    door_.display = false;
    AutoRunMode = 0;
    form.mnuGeneratingURLs_Click();
    EXPECT_EQ(door_.CallsOf("form").size(), 2u);  // asked for, answered unattended
    EXPECT_FALSE(Exists(TempPath("Stocks.eodurls")));
    EXPECT_FALSE(Exists(TempPath("Funds.eodurls")));
}

}  // namespace
}  // namespace vel
