// Progress of a long operation on a directory tree or a log, shown on stderr only when stderr
// is a terminal: scripts and pipes see nothing, a person sees what is going on and for how long.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace utility::cli {

class Progress {
 public:
  // Starts showing "<what> ... <seconds>s" and keeps it up to date until Done() or destruction.
  explicit Progress(std::string what);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // Stops and clears the line, so that the result prints on a clean line.
  void Done();

  // Whether progress is shown at all (stderr is a terminal).
  static bool Shown();

 private:
  void Loop();

  std::string m_what;
  std::chrono::steady_clock::time_point m_start;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_stop = false;
  std::thread m_thread;
};

}  // namespace utility::cli
