// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QDir>
#include <QThreadPool>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

// For tests that need widgets, fonts or the screen: one application object for the whole run.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const auto runningThreads = [] {
        return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
    };
    const qsizetype threadsBefore = runningThreads();
    const int result = RUN_ALL_TESTS();
    // The raster paint engine fills large areas on the global thread pool. A pooled thread that is still
    // ending while the process exits takes its thread data with it unfreed, and the leak checker reports
    // that now and then. Joining the pool and letting its threads finish their exit makes the end quiet.
    QThreadPool::globalInstance()->waitForDone();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (runningThreads() > threadsBefore && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return result;
}
