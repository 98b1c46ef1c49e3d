#pragma once
#include "tests/app/Harness.h"

namespace qz::test {

using MonitorWith = Monitor;

} // namespace qz::test
