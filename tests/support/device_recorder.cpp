#include "device_recorder.h"

namespace tunedeck::testing {

void DeviceRecorder::failCall(const QString& member, int nth, const QString& description) {
    failures_.insert(member, {counts_.value(member) + nth, description});
}

void DeviceRecorder::record(const QString& member, const QStringList& arguments) {
    calls_->append(member + u'(' + arguments.join(QStringLiteral(", ")) + u')');
    const int count = ++counts_[member];
    for (auto it = failures_.find(member); it != failures_.end() && it.key() == member; ++it) {
        if (it->atCall == count) {
            const QString description = it->description;
            failures_.erase(it);
            throw DeviceError(description);
        }
    }
}

}  // namespace tunedeck::testing
