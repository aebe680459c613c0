// Ending the worm's process through the termination tool, waiting while the
// windows stay responsive, and the bounded retry of a deletion.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace kestrive {

// The retry of a deletion while the file still exists is bounded: a file in
// a protected folder, or held by a process of another name, never goes, and
// the loop must not hang the window. It does not yield, so the bound is
// small: at most this many attempts, and no longer than this many ms.
inline constexpr int kDeleteRetryAttempts = 50;
inline constexpr uint32_t kDeleteRetryMs = 5000;

// The tool's presence in the working directory.
bool ToolPresent(Platform& p);

// The request to end process pid: the command interpreter from the system
// folder and the tool by the full path of the one the presence check found,
// so that no cmd.exe or pskill.exe planted in our own or the working folder
// runs in their place (Kestrive often runs as administrator). nullopt when
// the system folder is unknown.
struct EndRequest {
  std::string program, commandLine;
};
std::optional<EndRequest> EndRequestFor(Platform& p, uint32_t pid);

// Hands the first running process whose image is the file at path to the
// termination tool; no result. A process whose image cannot be read, our own
// process and the tool itself are never handed over: a worm names itself
// after Windows' own processes, and those must go on running.
void EndProcessByName(Platform& p, const std::string& path);

// Lets window events run until ms have passed. Elapsed time is taken by
// unsigned subtraction, so a wrap of the tick counter does not lengthen it.
void WaitMilliseconds(Platform& p, uint32_t ms);

// While the path exists: normal attributes, delete, and end the process
// running it again (bounded, see kDeleteRetryAttempts). True when it is gone.
bool RetryDeleteWhileExists(Platform& p, const std::string& path);

}  // namespace kestrive
