/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_BATCHPIPE_P_H
#define DORVELLXSD_BATCHPIPE_P_H

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace pelmak {

/**
 * Two stages of a road on two cores: a producer on a second thread makes batches, and the
 * calling thread takes them in order. Each stage uses objects of its own, so no library object
 * is shared between the threads. Only the exchange services start such a thread, and only when
 * their host asks for it.
 *
 * At most @p capacity batches wait, so memory stays bounded by the batch size. A failure on
 * either side stops both: what the producer throws is rethrown by next(), and a consumer that
 * gives up (by destroying the pipe, say while an exception unwinds) stops the producer at its
 * next push and waits for it.
 *
 * A consumer may give the batches it is done with back (giveBack()): the producer then frees
 * them at its next push. Memory is freed fastest by the thread that took it from the allocator,
 * and the producer is mostly the stage with time to spare.
 */
template <typename Batch>
class BatchPipe
{
public:
    /// Hands a batch to the consumer; false once the consumer has gone, and the producer returns.
    using Push = std::function<bool(Batch &&)>;

    explicit BatchPipe(std::function<void(const Push &)> produce, std::size_t waitingBatches = 4)
        : capacity(waitingBatches)
    {
        producer = std::thread([this, produce = std::move(produce)] { run(produce); });
    }

    ~BatchPipe()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            cancelled = true;
        }
        changed.notify_all();
        producer.join();
    }

    BatchPipe(const BatchPipe &) = delete;
    BatchPipe &operator=(const BatchPipe &) = delete;

    /// The next batch; none at the end. Rethrows the producer's failure.
    std::optional<Batch> next()
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return !queue.empty() || finished; });
        if (queue.empty()) {
            if (failure)
                std::rethrow_exception(failure);
            return std::nullopt;
        }
        std::optional<Batch> batch(std::move(queue.front()));
        queue.pop_front();
        lock.unlock();
        changed.notify_all();
        return batch;
    }

    /// Leaves @p batch to the producer to destroy at its next push; once the producer is done, the caller keeps it.
    void giveBack(Batch &&batch)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!finished)
            spent.push_back(std::move(batch));
    }

private:
    void run(const std::function<void(const Push &)> &produce)
    {
        try {
            produce([this](Batch &&batch) { return push(std::move(batch)); });
        } catch (...) {
            std::lock_guard<std::mutex> lock(mutex);
            failure = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            finished = true;
        }
        changed.notify_all();
    }

    bool push(Batch &&batch)
    {
        std::deque<Batch> toFree;
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return queue.size() < capacity || cancelled; });
        if (cancelled)
            return false;
        queue.push_back(std::move(batch));
        toFree.swap(spent);
        lock.unlock();
        changed.notify_all();
        return true; // toFree goes now, outside the lock
    }

    const std::size_t capacity;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Batch> queue;
    std::deque<Batch> spent; ///< given back, for the producer to free
    std::exception_ptr failure;
    bool finished = false;
    bool cancelled = false;
    std::thread producer;
};

/**
 * The batches of one producer, made on a thread of their own (a BatchPipe) when the host asked
 * for overlapping stages, else on the calling thread as they are taken.
 */
template <typename Batch>
class BatchStream
{
public:
    /// Makes the next batch; none at the end.
    using Next = std::function<std::optional<Batch>()>;

    BatchStream(Next produce, bool onOwnThread, std::size_t waitingBatches)
    {
        if (!onOwnThread) {
            direct = std::move(produce);
            return;
        }
        pipe = std::make_unique<BatchPipe<Batch>>(
            [produce = std::move(produce)](const typename BatchPipe<Batch>::Push &push) {
                for (std::optional<Batch> batch = produce(); batch; batch = produce()) {
                    if (!push(std::move(*batch)))
                        return;
                }
            },
            waitingBatches);
    }

    std::optional<Batch> next() { return pipe ? pipe->next() : direct(); }

    /// A batch the caller is done with, freed by the thread that made it where there is one.
    void giveBack(Batch &&batch)
    {
        if (pipe)
            pipe->giveBack(std::move(batch));
    }

private:
    Next direct;
    std::unique_ptr<BatchPipe<Batch>> pipe;
};

/**
 * The batches of several tables, each table's in its order, each made by a producer of its own
 * (a function giving the next batch, none at the end), for a consumer that takes the tables'
 * batches in an interleaving it learns only as it goes. Where the host asked for overlapping
 * stages, one thread of the object's own calls the producers, keeping up to @p waitingBatches
 * batches of each table ready and serving first the table the consumer waits for; else a batch
 * is made when it is taken. A producer's failure is rethrown by next() for its table.
 */
template <typename Batch>
class InterleavedBatches
{
public:
    using Next = std::function<std::optional<Batch>()>;

    InterleavedBatches(std::vector<Next> makers, bool onOwnThread, std::size_t waitingBatches)
        : producers(std::move(makers))
        , capacity(waitingBatches)
        , queues(producers.size())
        , finished(producers.size(), false)
    {
        if (onOwnThread)
            producer = std::thread([this] { run(); });
    }

    ~InterleavedBatches()
    {
        if (!producer.joinable())
            return;
        {
            std::lock_guard<std::mutex> lock(mutex);
            cancelled = true;
        }
        changed.notify_all();
        producer.join();
    }

    InterleavedBatches(const InterleavedBatches &) = delete;
    InterleavedBatches &operator=(const InterleavedBatches &) = delete;

    /// The next batch of table @p table; none at its end.
    std::optional<Batch> next(std::size_t table)
    {
        if (!producer.joinable())
            return producers[table]();
        std::unique_lock<std::mutex> lock(mutex);
        wanted = table;
        changed.notify_all();
        changed.wait(lock, [&] { return !queues[table].empty() || finished[table] || failure; });
        if (queues[table].empty()) {
            if (failure)
                std::rethrow_exception(failure);
            return std::nullopt;
        }
        std::optional<Batch> batch(std::move(queues[table].front()));
        queues[table].pop_front();
        lock.unlock();
        changed.notify_all();
        return batch;
    }

private:
    // The table to fill next: the one waited for where it has room, else the first with room.
    std::optional<std::size_t> roomy() const
    {
        const auto hasRoom = [this](std::size_t table) { return !finished[table] && queues[table].size() < capacity; };
        if (wanted < producers.size() && hasRoom(wanted))
            return wanted;
        for (std::size_t table = 0; table < producers.size(); ++table) {
            if (hasRoom(table))
                return table;
        }
        return std::nullopt;
    }

    void run()
    {
        std::unique_lock<std::mutex> lock(mutex);
        try {
            while (true) {
                changed.wait(lock, [this] { return cancelled || roomy() || allFinished(); });
                if (cancelled || allFinished())
                    return;
                const std::size_t table = *roomy();
                lock.unlock();
                std::optional<Batch> batch = producers[table]();
                lock.lock();
                if (batch)
                    queues[table].push_back(std::move(*batch));
                else
                    finished[table] = true;
                changed.notify_all();
            }
        } catch (...) {
            if (!lock.owns_lock())
                lock.lock();
            failure = std::current_exception();
            changed.notify_all();
        }
    }

    bool allFinished() const
    {
        for (const bool done : finished) {
            if (!done)
                return false;
        }
        return true;
    }

    std::vector<Next> producers;
    const std::size_t capacity;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::deque<Batch>> queues;
    std::vector<bool> finished;
    std::size_t wanted = std::size_t(-1);
    std::exception_ptr failure;
    bool cancelled = false;
    std::thread producer; ///< last, so that it starts once everything it uses is made
};

} // namespace pelmak

#endif
