#pragma once
// Which process is at the other end of a pipe, where Windows can tell (Vista and later).
// The calls are bound at run time, so the programs still load on older releases.
#include <windows.h>

// The id of the client connected to a server end; false where Windows cannot tell.
bool PipeClientProcessId(HANDLE pipe, DWORD& id);
// The id of the server of a client end; false where Windows cannot tell.
bool PipeServerProcessId(HANDLE pipe, DWORD& id);
// The id of a process by its handle; 0 where Windows cannot tell.
DWORD ProcessIdOf(HANDLE process);
