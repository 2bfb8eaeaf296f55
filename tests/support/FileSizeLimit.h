// SPDX-License-Identifier: MIT
#pragma once

#include <sys/resource.h>

#include <functional>

namespace Pelnix::Test {

// Runs `body` in a forked child whose files may not grow past `limitBytes`, with SIGXFSZ
// ignored so that a write past the limit fails with EFBIG (as a full disk fails with ENOSPC)
// instead of killing the child. Returns the child's exit code, which is what `body` returns,
// or -1 when the child could not run or died. Every program that replaces a file should show
// with it that a failed write keeps the previous file.
int RunWithFileSizeLimit(rlim_t limitBytes, const std::function<int()>& body);

}  // namespace Pelnix::Test
