// The operating-system half of the Win32 platform: files, registry,
// processes, clock and the process environment, all through the
// wide-character APIs, UTF-8 on our side. One header a job; this one is for
// the callers that want them all.
#pragma once

#include "platform/win32/env.h"
#include "platform/win32/fs.h"
#include "platform/win32/processes.h"
#include "platform/win32/registry.h"
#include "platform/win32/wide.h"
