// SIGTERM routed to the end command: one run per signal, none started inside a run that yields,
// and a signal held during the start run once the end command is routed.
#include <gtest/gtest.h>
#include <pthread.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <memory>
#include <vector>

#include "QtProgramStart.h"

namespace vel {
namespace {

void RunEventLoopFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The end signals that the calling thread blocks.
std::vector<int> BlockedEndSignals() {
    sigset_t blocked;
    pthread_sigmask(SIG_BLOCK, nullptr, &blocked);
    std::vector<int> numbers;
    for (const int number : {SIGTERM, SIGINT, SIGHUP})
        if (sigismember(&blocked, number)) numbers.push_back(number);
    return numbers;
}

// Each test routes the signals to its own parent and gives them back their default action, so
// that a SIGTERM after the test ends the process as usual.
class QtProgramStartTest : public ::testing::Test {
protected:
    void TearDown() override {
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGHUP, SIG_DFL);
        parent.reset();
    }

    std::unique_ptr<QObject> parent = std::make_unique<QObject>();
};

TEST_F(QtProgramStartTest, EachSigtermRunsTheEndCommandOnce) {
    int calls = 0;
    RouteEndSignals(parent.get(), [&calls] { ++calls; });

    std::raise(SIGTERM);
    RunEventLoopFor(200);
    EXPECT_EQ(calls, 1);

    std::raise(SIGINT);
    RunEventLoopFor(200);
    EXPECT_EQ(calls, 2);
}

TEST_F(QtProgramStartTest, SighupRunsTheEndCommandUnlessTheProgramWasStartedToIgnoreIt) {
    int calls = 0;
    RouteEndSignals(parent.get(), [&calls] { ++calls; });
    std::raise(SIGHUP);
    RunEventLoopFor(200);
    EXPECT_EQ(calls, 1);

    // As under nohup: the ignored SIGHUP stays ignored.
    std::signal(SIGHUP, SIG_IGN);
    RouteEndSignals(parent.get(), [&calls] { ++calls; });
    std::raise(SIGHUP);
    RunEventLoopFor(200);
    EXPECT_EQ(calls, 1);
    struct sigaction hangUp {};
    sigaction(SIGHUP, nullptr, &hangUp);
    EXPECT_EQ(hangUp.sa_handler, SIG_IGN);
}

TEST_F(QtProgramStartTest, ASignalWhileTheCommandYieldsDoesNotStartItInsideItself) {
    int calls = 0;
    int depth = 0;
    int deepest = 0;
    RouteEndSignals(parent.get(), [&] {
        ++calls;
        ++depth;
        deepest = std::max(deepest, depth);
        // Only the outer run yields, so that a nested run shows up in `deepest` instead of
        // recursing without end.
        if (depth == 1) {
            if (calls == 1) std::raise(SIGTERM);
            RunEventLoopFor(50);
        }
        --depth;
    });

    std::raise(SIGTERM);
    std::raise(SIGTERM);
    RunEventLoopFor(300);
    EXPECT_GE(calls, 1);
    EXPECT_LE(calls, 2);
    EXPECT_EQ(deepest, 1);
}

TEST_F(QtProgramStartTest, ASignalWhileTheyAreHeldRunsTheEndCommandOnceTheyAreRouted) {
    HoldEndSignals();
    EXPECT_EQ(BlockedEndSignals(), (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
    std::raise(SIGTERM);
    int calls = 0;
    RouteEndSignals(parent.get(), [&calls] { ++calls; });
    RunEventLoopFor(200);
    EXPECT_EQ(calls, 1);
    // None stays blocked for the programs started from here on.
    EXPECT_EQ(BlockedEndSignals(), std::vector<int>{});
    const sigset_t held = HeldEndSignals();
    EXPECT_TRUE(sigisemptyset(&held));
}

TEST_F(QtProgramStartTest, ASighupThatTheProgramWasStartedToIgnoreIsNotHeldAndStaysIgnored) {
    std::signal(SIGHUP, SIG_IGN);
    HoldEndSignals();
    const sigset_t held = HeldEndSignals();
    EXPECT_TRUE(sigismember(&held, SIGTERM));
    EXPECT_FALSE(sigismember(&held, SIGHUP));
    // Not pending either, where it would end the display probe.
    std::raise(SIGHUP);
    sigset_t pending;
    sigpending(&pending);
    EXPECT_FALSE(sigismember(&pending, SIGHUP));
    int calls = 0;
    RouteEndSignals(parent.get(), [&calls] { ++calls; });
    RunEventLoopFor(200);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(BlockedEndSignals(), std::vector<int>{});
}

}  // namespace
}  // namespace vel
