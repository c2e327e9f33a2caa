#pragma once
// Waiting for another thread in a test: always on an event (a condition variable and the state it
// guards), never on a clock, and never for ever. The limit is there only so that a test whose event
// never comes fails and says which event it waited for, instead of hanging the whole run; it is far
// longer than any event takes, also under the sanitizers on a loaded machine.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace qtest {

constexpr std::chrono::minutes KEventLimit{2};

// Waits on Changed (Lock held, as for std::condition_variable::wait) until Ready() is true. False when
// KEventLimit passes first; the caller then fails its test (from a worker thread, where it cannot,
// it carries on and the test fails on its own wait).
template <class TReady>
[[nodiscard]] bool WaitFor(std::condition_variable& Changed, std::unique_lock<std::mutex>& Lock,
                           TReady Ready) {
  return Changed.wait_for(Lock, KEventLimit, std::move(Ready));
}

}  // namespace qtest
