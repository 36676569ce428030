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

} // namespace pelmak

#endif
