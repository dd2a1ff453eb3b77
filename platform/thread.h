#pragma once
// Worker threads that free themselves, yet can all be waited for: the program
// ends every session (closing the sockets that keep the workers running) and
// then waits until the last worker has finished before it exits.
namespace platform {

class TWorkerThread {
public:
    TWorkerThread() = default;
    virtual ~TWorkerThread() = default;
    TWorkerThread(const TWorkerThread&) = delete;
    TWorkerThread& operator=(const TWorkerThread&) = delete;

    // Runs Execute on a new thread, which then deletes this object and ends
    // its message queue. Call once, on an object made with new; from then on
    // the object belongs to its thread. An object never started is deleted by
    // whoever made it.
    void Start();

protected:
    // An exception that escapes ends the thread quietly.
    virtual void Execute() = 0;
};

// Worker threads that have started and not yet finished.
int RunningWorkerThreads();
// Waits until every worker thread has finished.
void WaitForWorkerThreads();
// Ends every session: shuts down every socket, refuses new connections until
// the last worker has finished, and waits for them all.
void StopWorkerThreads();

} // namespace platform
