// Progress on a terminal: one line on stderr, redrawn in place and cleared at the end.
#include "Progress.h"

#include <cstdio>

#include "HostProcess.h"

namespace utility::cli {

bool Progress::Shown() { return ErrorIsTerminal(); }

Progress::Progress(std::string what) : m_what(std::move(what)), m_start(std::chrono::steady_clock::now()) {
  if (!Shown()) return;
  std::fprintf(stderr, "%s ...", m_what.c_str());
  std::fflush(stderr);
  m_thread = std::thread([this] { Loop(); });
}

Progress::~Progress() { Done(); }

void Progress::Loop() {
  static const char kSpinner[] = "|/-\\";
  std::unique_lock<std::mutex> lock(m_mutex);
  for (unsigned tick = 0; !m_wake.wait_for(lock, std::chrono::milliseconds(200), [this] { return m_stop; }); ++tick) {
    const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    std::fprintf(stderr, "\r\033[K%s %c %.1fs", m_what.c_str(), kSpinner[tick % 4], elapsed);
    std::fflush(stderr);
  }
}

void Progress::Done() {
  if (!m_thread.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_wake.notify_one();
  m_thread.join();
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
}

}  // namespace utility::cli
