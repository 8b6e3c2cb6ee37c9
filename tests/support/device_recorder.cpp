// SPDX-License-Identifier: GPL-3.0-or-later
#include "device_recorder.h"

#include <QCoreApplication>
#include <QThread>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {

void DeviceRecorder::record(const QString& member, const QStringList& arguments) {
    log_->calls.append(member + u'(' + arguments.join(u", "_s) + u')');
    if (log_->open == (member == u"Open"_s) && member != u"Close"_s)
        log_->unbracketed.append(log_->calls.last());
    if (QThread::currentThread() == QCoreApplication::instance()->thread())
        log_->onWindowThread.append(log_->calls.last());
    const auto failure = log_->failures.find(member);
    if (failure != log_->failures.end() && --failure->first == 0)
        throw DeviceError(log_->failures.take(member).second);
}

}  // namespace tunedeck::testing
