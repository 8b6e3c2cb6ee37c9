#include "scripted_shell.h"

#include <gtest/gtest.h>

namespace tunedeck::testing {

int ScriptedShell::open(const QString& folder, const QString& fileName) {
    opened_.append({folder, fileName});
    if (codes_.isEmpty()) {
        ADD_FAILURE() << "unexpected open: " << fileName.toStdString();
        return 2;
    }
    return codes_.dequeue();
}

}  // namespace tunedeck::testing
