// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder is defined in its header; compiling it here on its own keeps the header self-contained.
#include "device_recorder.h"
