// The download window and the generator window, built offscreen: captions, commands by key,
// what each window shows of its form, the automatic mode's restrictions, closing as quit.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

#include "DownloadForm.h"
#include "DownloaderFixture.h"
#include "GenerateURLsForm.h"
#include "Hooks.h"
#include "TestHttpServer.h"
#include "frmGenerateURLs.h"
#include "frmTarquel.h"

namespace vel {
namespace {

using testing::HttpBehaviour;
using testing::TestHttpServer;

class WindowsTest : public testing::DownloaderFixture {
protected:
    void SetUp() override {
        DownloaderFixture::SetUp();
        form = std::make_unique<DownloadForm>();
        form->endProgram = [this](int status) { ended.push_back(status); };
        window = std::make_unique<frmTarquel>(*form);
    }
    void TearDown() override {
        window.reset();
        form.reset();
        DownloaderFixture::TearDown();
    }
    std::unique_ptr<DownloadForm> form;
    std::unique_ptr<frmTarquel> window;
    std::vector<int> ended;
};

TEST_F(WindowsTest, MenusAndToolbarCarryTheirCaptions) {
    EXPECT_EQ(window->windowTitle(), "Tarquel");
    QStringList menus;
    for (QAction* a : window->menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"Downloading", "Viewing"}));
    EXPECT_EQ(window->MenuItem("mnuQuitDownloading")->text(), "Quit downloading and Exit program");
    EXPECT_EQ(window->MenuItem("mnuGeneratingURLs")->text(), "Generating  URLs");
    EXPECT_EQ(window->MenuItem("mnuEditListOfURLs")->text(), "View and Edit selected list of URLs");
    EXPECT_EQ(window->ToolbarButton("download")->text(), "DOWNLOAD");
    EXPECT_EQ(window->ToolbarButton("generate")->toolTip(), "Generate list of URLs");
    EXPECT_EQ(window->ToolbarButton("quit")->text(), "EXIT");
    EXPECT_EQ(window->ComboURLList()->toolTip(), "Sesect some list of URLs for downloading.");
}

TEST_F(WindowsTest, TheWindowShowsTheListsAndTheStatusOfItsForm) {
    WriteFile(TempPath("B.htmurls"), "");
    WriteFile(TempPath("A.eodurls"), "");
    form->Form_Load();
    EXPECT_EQ(window->ComboURLList()->count(), 2);
    EXPECT_EQ(window->ComboURLList()->currentText(), "A.eodurls");
    EXPECT_EQ(window->statusBar()->currentMessage(),
              "To start downloading, select some list of URLs and click on 'DOWNLOAD' button.");
    // A typed or chosen name is the form's list text.
    window->ComboURLList()->setCurrentText("B.htmurls");
    EXPECT_EQ(form->UrlListText(), "B.htmurls");
}

TEST_F(WindowsTest, AutomaticModeHidesTheListAndDisablesFourButtons) {
    form->SetListChoiceVisible(false);
    form->SetRunCommandsEnabled(false);
    window->show();
    EXPECT_FALSE(window->ComboURLList()->isVisible());
    for (const char* key : {"urls", "download", "generate", "break"})
        EXPECT_FALSE(window->ToolbarButton(key)->isEnabled()) << key;
    EXPECT_TRUE(window->ToolbarButton("quit")->isEnabled());
    EXPECT_TRUE(window->MenuItem("mnuBreakDownloading")->isEnabled());
    window->hide();
}

TEST_F(WindowsTest, TheControlsShowTheirDownload) {
    TestHttpServer server;
    server.Route("/a", testing::Page("x"));
    WriteFile(TempPath("W.htmurls"), "SaveTo(A.html):" + server.Url("/a") + "\r\n");
    form->Form_Load();
    window->ToolbarButton("download")->trigger();
    ASSERT_TRUE(RunUntil([&] { return !form->IsRunning(); }));
    ctlURLDownloadWidget* shown = window->ControlWidget(1);
    EXPECT_EQ(shown->labUrlNum->text(), "1 of\n     1");
    EXPECT_EQ(shown->labAction->text(), "Buffer saved!");
    EXPECT_EQ(shown->labAttempt->text(), " 1/3");
    EXPECT_EQ(shown->URLText->text().toStdString(), "URL=" + server.Url("/a"));
    EXPECT_EQ(window->statusBar()->currentMessage(), " End of downloading!");
    EXPECT_FALSE(window->IndicatorLabel()->text().isEmpty());
}

// Counts the paint events of the widgets of one window.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(object);
        if (event->type() == QEvent::Paint && widget && widget->window() == window_) ++paints;
        return false;
    }
    int paints = 0;

private:
    QWidget* window_;
};

TEST_F(WindowsTest, ARunNeitherWaitsForTextsNorPaintsAWindowNoOneSees) {
    // Every state change of every control once set the texts and repainted the window, which
    // halved the transfers' speed; offscreen nobody sees the window at all.
    TestHttpServer server;
    server.RoutePrefix("/p/", testing::Page("x"));
    constexpr int kCount = 150;
    std::string list;
    for (int i = 1; i <= kCount; ++i)
        list += "SaveTo(" + std::to_string(i) + ".html):" + server.Url("/p/" + std::to_string(i)) +
                "\r\n";
    WriteFile(TempPath("P.htmurls"), list);
    window->show();
    PaintCounter counter(window.get());
    int shownTexts = 0;
    for (int n = 1; n <= DownloadForm::kControlCount; ++n)
        QObject::connect(window->ControlWidget(n)->URLText, &QLineEdit::textChanged,
                         [&shownTexts] { ++shownTexts; });
    form->Form_Load();
    QElapsedTimer clock;
    clock.start();
    window->ToolbarButton("download")->trigger();
    ASSERT_TRUE(RunUntil([&] { return !form->IsRunning(); }));
    const qint64 ms = clock.elapsed();
    RunFor(50);
    EXPECT_EQ(counter.paints, 0);
    // A few times a second at most, however many transfers ran.
    EXPECT_LE(shownTexts, DownloadForm::kControlCount * (ms / frmTarquel::kRefreshMs + 2));
    EXPECT_EQ(window->ControlWidget(1)->labAction->text(), "Buffer saved!");
    window->hide();
}

TEST_F(WindowsTest, ResizingWidensTheControlsAndTheirTextBoxes) {
    window->resize(900, 600);
    window->show();
    const int inner = window->centralWidget()->width();
    EXPECT_EQ(form->Control(3).ControlWidth, inner - 2 * frmTarquel::kControlLeft);
    EXPECT_EQ(window->ControlWidget(3)->width(), inner - 2 * frmTarquel::kControlLeft);
    EXPECT_EQ(window->ControlWidget(3)->URLText->width(),
              inner - 2 * frmTarquel::kControlLeft - ctlURLDownload::kTextBoxLeft -
                  ctlURLDownload::kFrameMargin - ctlURLDownload::kTextBoxGap);
    window->hide();
}

int g_yields = 0;

TEST_F(WindowsTest, NoEventRunsWhileQtShowsOrResizesTheWindow) {
    // Qt runs the resize handler while it walks the widget tree (a show, a layout); an event
    // run there may delete a child of the tree being walked. The handler's yield waits.
    SetYieldHook([] { ++g_yields; });
    window->resize(900, 600);
    window->show();
    window->resize(950, 650);
    EXPECT_EQ(form->Control(3).ControlWidth,
              window->centralWidget()->width() - 2 * frmTarquel::kControlLeft);
    EXPECT_EQ(g_yields, 0);
    window->hide();
}

TEST_F(WindowsTest, ClosingTheWindowIsTheQuitCommand) {
    window->show();
    window->close();
    EXPECT_EQ(ended, std::vector<int>{0});
    EXPECT_EQ(LogTexts().back(), "Exiting Tarquel.");
    window->hide();
}

TEST_F(WindowsTest, TheGeneratorWindowShowsItsFormAndPassesTheClicksOn) {
    WriteFile(TempPath("Daily.eodpatt"), "SaveTo(<STOCKSYMBOL>.csv):http://h/<LINEINDEX>\r\n");
    WriteFile(TempPath("Stocks.txt"), "MSFT\r\nIBM\r\n");
    WriteFile(TempPath("Other.txt"), "");
    int refreshed = 0;
    GenerateURLsForm generator([&] { ++refreshed; });
    generator.Form_Load();
    frmGenerateURLs shown(generator, window.get());
    EXPECT_EQ(shown.windowTitle(), "Tarquel - Generating URLs");
    EXPECT_EQ(shown.ComboPattern->currentText(), "Daily.eodpatt");
    EXPECT_EQ(shown.ComboList->count(), 2);
    EXPECT_EQ(shown.ComboList->currentText(), "Other.txt");
    // A chosen name is the form's box text.
    shown.ComboList->setCurrentIndex(1);
    EXPECT_EQ(generator.ComboList, "Stocks.txt");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    shown.findChild<QPushButton*>("cmdGenerate")->click();
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Saved to:  " + TempPath("Stocks.eodurls")});
    shown.findChild<QPushButton*>("cmdViewPattern")->click();
    EXPECT_EQ(door_.CallsOf("editor").back().text, TempPath("Daily.eodpatt"));
    // A refresh shows the form's new boxes.
    WriteFile(TempPath("Added.csv"), "");
    shown.findChild<QPushButton*>("cmdRefreshList")->click();
    EXPECT_EQ(shown.ComboList->count(), 3);
    EXPECT_EQ(shown.ComboList->currentText(), "Added.csv");
    // "Quit" unloads the form and closes the window; so does the close box.
    shown.show();
    shown.findChild<QPushButton*>("cmdCancel")->click();
    EXPECT_TRUE(generator.Unloaded());
    EXPECT_FALSE(shown.isVisible());
    GenerateURLsForm second({});
    frmGenerateURLs closed(second, nullptr);
    closed.show();
    closed.close();
    EXPECT_TRUE(second.Unloaded());
}

}  // namespace
}  // namespace vel
