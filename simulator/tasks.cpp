// The parallel-execution library: one thread per task.
#include <system_error>
#include <thread>
#include <vector>

#include "macro_sc/host.h"

int32_t ParallelExecute(PARALLELPROC* tasks) {
  if (tasks == nullptr) return 1;
  std::vector<std::thread> threads;
  int32_t status = 0;
  try {
    for (PARALLELPROC* t = tasks; t->function != nullptr; ++t)
      threads.emplace_back(t->function, t->argument);
  } catch (const std::exception&) {
    status = 1;  // tasks already started still finish below
  }
  for (std::thread& thread : threads) thread.join();
  return status;
}
