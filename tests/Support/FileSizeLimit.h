#pragma once

#include <sys/resource.h>

#include <functional>

// Runs check in a child process that may write no file beyond limit bytes (a write past it fails with
// EFBIG instead of raising SIGXFSZ), so a write can be made to fail half way through for real. True when
// check returned true in the child.
bool passesUnderFileSizeLimit(rlim_t limit, const std::function<bool()>& check);
