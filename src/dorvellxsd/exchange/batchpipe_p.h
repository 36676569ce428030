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
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace pelmak {

/**
 * The batches of several tables, each table's in its order, each made by a producer of its own
 * (a function giving the next batch, none at the end), for a consumer that takes the tables'
 * batches in an interleaving it learns only as it goes. Where the host asked for overlapping
 * stages, one thread of the object's own calls the producers, keeping up to @p waitingBatches
 * batches of each table ready and serving first the table the consumer waits for; else a batch
 * is made when it is taken. A producer's failure is rethrown by next() for its table.
 *
 * Each stage uses objects of its own, so no library object is shared between the threads. Only
 * the exchange services start such a thread, and only when their host asks for it. Memory stays
 * bounded by the batches waiting; a consumer that gives up (by destroying the object, say while
 * an exception unwinds) stops the producing thread after the batch it is making, and waits for it.
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

    /// Leaves @p batch, which the caller is done with, to the producing thread to free: memory
    /// is freed fastest by the thread that took it from the allocator. Without one, it goes now.
    void giveBack(Batch &&batch)
    {
        if (!producer.joinable())
            return;
        std::lock_guard<std::mutex> lock(mutex);
        if (!allFinished())
            spent.push_back(std::move(batch));
    }

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
                std::deque<Batch> toFree;
                toFree.swap(spent);
                lock.unlock();
                toFree.clear();
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
    std::deque<Batch> spent; ///< given back, for the producing thread to free
    std::vector<bool> finished;
    std::size_t wanted = std::size_t(-1);
    std::exception_ptr failure;
    bool cancelled = false;
    std::thread producer; ///< last, so that it starts once everything it uses is made
};

/**
 * The batches of one producer, made on a thread of their own when the host asked for
 * overlapping stages, else on the calling thread as they are taken.
 */
template <typename Batch>
class BatchStream
{
public:
    /// Makes the next batch; none at the end.
    using Next = typename InterleavedBatches<Batch>::Next;

    BatchStream(Next produce, bool onOwnThread, std::size_t waitingBatches)
        : batches({std::move(produce)}, onOwnThread, waitingBatches)
    {
    }

    std::optional<Batch> next() { return batches.next(0); }

    /// A batch the caller is done with, freed by the thread that made it where there is one.
    void giveBack(Batch &&batch) { batches.giveBack(std::move(batch)); }

private:
    InterleavedBatches<Batch> batches;
};

} // namespace pelmak

#endif
