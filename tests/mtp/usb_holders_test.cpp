// SPDX-License-Identifier: GPL-3.0-or-later
#include "usb_holders.h"

#include "qt_printers.h"
#include "turn_probes.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tunedeck::testing {
namespace {

using namespace Qt::StringLiterals;

// Another program that has the node open is named once, however often it holds it; this program never is.
TEST(UsbHolders, EachOtherProgramHoldingTheNodeIsNamedOnce) {
    EXPECT_EQ(usbNode(12, 123), u"/dev/bus/usb/012/123"_s);
    // A FIFO stands for the device node: what is neither file nor folder, and opens without a device.
    const QTemporaryDir dir;
    const QString node = dir.filePath(u"023"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(node).constData(), 0600), 0);
    QFile mine(node);
    ASSERT_TRUE(mine.open(QIODevice::ReadWrite));
    EXPECT_EQ(programsHolding(node), QStringList());
    QProcess holder;
    holder.start(u"sh"_s, {u"-c"_s, u"exec sleep 60 <>\"$0\" 3<>\"$0\""_s, node});
    ASSERT_TRUE(holder.waitForStarted());
    const QStringList named{u"sleep (PID %1)"_s.arg(holder.processId())};
    // Until the shell has become sleep.
    eventually([&] { return programsHolding(node) == named; });
    EXPECT_EQ(programsHolding(node), named);
    holder.kill();
    holder.waitForFinished();
}

}  // namespace
}  // namespace tunedeck::testing
