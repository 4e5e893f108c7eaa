// Child processes for tests that need a process of their own: another holder of a lock, an
// environment or working directory changed in the child only, a writer killed mid-way.
#pragma once

#include <sys/types.h>

#include <functional>

namespace utility::testsupport {

// Starts body in a forked child; the child exits with body's result.
pid_t Spawn(const std::function<int()>& body);

// Waits for the child: its exit status, 128 + the signal that ended it, or -1.
int ExitStatus(pid_t pid);

// Both: body's result as the child's exit status (a failed fork gives -1).
inline int RunInChild(const std::function<int()>& body) {
  const pid_t pid = Spawn(body);
  return pid < 0 ? -1 : ExitStatus(pid);
}

}  // namespace utility::testsupport
