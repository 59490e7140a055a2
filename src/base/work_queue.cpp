#include "base/work_queue.hpp"

#include <algorithm>
#include <exception>
#include <system_error>

#include "base/allocation.hpp"
#include "base/memory_reuse.hpp"

namespace pedlik {

// Every field is guarded by the queue's mutex.
struct WorkQueue::Batch {
    const std::function<void(int)>* unit = nullptr;
    int count = 0;
    int next = 0;         // the next unit to start
    int unfinished = 0;   // units not yet returned
    std::exception_ptr error;
};

WorkQueue::WorkQueue(int threads) {
    allocateOrDie("worker threads", [&] { workers.reserve(static_cast<std::size_t>(std::max(threads - 1, 0))); });
    try {
        for (int k = 1; k < threads; ++k) workers.emplace_back([this](std::stop_token stop) { work(stop); });
    } catch (const std::system_error&) {
        // A thread the system refuses leaves its share to the threads that
        // did start: the results do not depend on how many there are.
    }
}

// The workers' jthreads ask to stop and join, in declaration order after
// nothing else of the queue is needed.
WorkQueue::~WorkQueue() = default;

void WorkQueue::runTicket(std::unique_lock<std::mutex>& lock, Batch& batch) {
    while (batch.next < batch.count) {
        const int index = batch.next++;
        lock.unlock();
        std::exception_ptr error;
        try {
            (*batch.unit)(index);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        if (error && !batch.error) batch.error = error;
        if (--batch.unfinished == 0) changed.notify_all();
    }
}

void WorkQueue::work(std::stop_token stop) {
    adviseHugePagesForThisThread();
    std::unique_lock lock(mutex);
    while (changed.wait(lock, stop, [this] { return !tickets.empty(); })) {
        const std::shared_ptr<Batch> batch = std::move(tickets.front());
        tickets.pop_front();
        runTicket(lock, *batch);
    }
}

void WorkQueue::runUnits(int count, int width, const std::function<void(int)>& unit) {
    if (count <= 0) return;
    auto batch = std::make_shared<Batch>();
    batch->unit = &unit;
    batch->count = count;
    batch->unfinished = count;
    std::unique_lock lock(mutex);
    const int helpers = std::min({width, threadCount(), count}) - 1;
    for (int k = 0; k < helpers; ++k) tickets.push_back(batch);
    if (helpers > 0) changed.notify_all();
    runTicket(lock, *batch);
    while (batch->unfinished > 0) {
        if (tickets.empty()) {
            changed.wait(lock);
            continue;
        }
        const std::shared_ptr<Batch> other = std::move(tickets.front());
        tickets.pop_front();
        runTicket(lock, *other);
    }
    if (batch->error) std::rethrow_exception(batch->error);
}

void runShares(WorkQueue* queue, int count, const std::function<void(int)>& unit) {
    if (queue != nullptr && queue->threadCount() > 1 && count > 1) {
        queue->runUnits(count, queue->threadCount(), unit);
        return;
    }
    for (int share = 0; share < count; ++share) unit(share);
}

}  // namespace pedlik
