#pragma once
// The servers' request handling as plain functions: one request's bytes in, the reply's
// bytes out, the listener called for a well-formed request. A malformed request gets
// PIPE_STATUS_BAD_REQUEST, an unknown code PIPE_STATUS_UNKNOWN_COMMAND, and nothing is
// called; the connection stays usable either way.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "lockcore/LockScreen.h"

// The event pipe, served by the resident program (codes 1 to 8). Without a listener a
// valid request is still answered with status 0 (and 0 as the query's result).
std::vector<uint8_t> DispatchEventRequest(const uint8_t* data, size_t size, Corvantis::SLockScreen* listener);

// The command pipe, served by the lock-screen program (codes 1 to 13).
std::vector<uint8_t> DispatchCommandRequest(const uint8_t* data, size_t size,
                                            Corvantis::SLockScreen* listener);
