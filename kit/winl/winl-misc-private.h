#pragma once

// Shared by the timer and posted-message files of the layer.

#include "kit/winl/winl-misc.h"

// The posted-message queue has a main thread and the caller is another one: timer calls must
// become requests.
bool WINL_Internal_OffMainThread();
// Queues SetTimer (ms other than 0xFFFFFFFF) or KillTimer (ms 0xFFFFFFFF) for the next tick; a
// queued request for the same window and id is updated instead.
void WINL_Internal_QueueTimerRequest(HWND hwnd, unsigned int id, unsigned int ms,
                                     TIMERPROC callback);
