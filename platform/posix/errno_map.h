// The Windows error number that stands for an errno value, for every Linux stand-in that
// reports a failed system call.
#pragma once

#include <cstdint>

uint32_t FromErrno(int e);
