// A line slower than a pseudo-terminal: while armed, every tcdrain() the port
// makes takes the given time, as a UART's does while a frame leaves at a low
// baud rate, and then says so. Pseudo-terminals drain at once, so without it
// a test could not tell a write that waits for its bytes to leave from one
// that does not.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

class SlowDrain {
public:
    // Arms every tcdrain() of this process until the object goes.
    explicit SlowDrain(std::chrono::milliseconds takes);
    ~SlowDrain();
    SlowDrain(const SlowDrain&) = delete;
    SlowDrain& operator=(const SlowDrain&) = delete;

    // Waits until a drain has ended (true), or until `limit` has passed.
    bool WaitForADrain(std::chrono::milliseconds limit);
    int Drains();

    // Called by the tcdrain() below.
    void Drain();

private:
    std::chrono::milliseconds m_takes;
    std::mutex m_mutex;
    std::condition_variable m_drained;
    int m_drains = 0;
};
