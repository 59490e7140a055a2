#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

namespace pedlik {

// A fixed set of worker threads that run the units of batches. A thread that
// waits for its batch runs queued units of any batch meanwhile, so batches
// started from inside a unit (nested conditioning) cannot starve: every
// thread either runs a unit or waits for units already running.
class WorkQueue {
public:
    // `threads` counts the threads that call runUnits too: threads - 1
    // workers are started (none for 1 or less).
    explicit WorkQueue(int threads);
    ~WorkQueue();
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    int threadCount() const { return static_cast<int>(workers.size()) + 1; }

    // Runs unit(0) .. unit(count - 1), at most `width` of them at once (at
    // least 1, at most threadCount()), and returns when all are done. Units
    // start in index order; the calling thread runs some of them itself.
    // The first exception a unit throws is rethrown here once all are done.
    void runUnits(int count, int width, const std::function<void(int)>& unit);

private:
    struct Batch;
    // Runs the ticket's batch's units until none is left to start; called
    // and returns with `mutex` held.
    void runTicket(std::unique_lock<std::mutex>& lock, Batch& batch);
    void work(std::stop_token stop);

    std::mutex mutex;
    std::condition_variable_any changed;  // a ticket was queued or a batch finished
    std::deque<std::shared_ptr<Batch>> tickets;  // each lets one more thread take part in its batch
    std::vector<std::jthread> workers;
};

// Runs unit(0) .. unit(count - 1): on the queue's threads when there is a
// queue of more than one, else one after the other on the calling thread.
// For units that write disjoint parts of one result, which is then the
// same either way.
void runShares(WorkQueue* queue, int count, const std::function<void(int)>& unit);

}  // namespace pedlik
