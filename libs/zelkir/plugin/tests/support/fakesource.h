#pragma once

#include "frameworker.h"

#include <zelkir/io/framesource.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

/// What a test sets and sees of the fake sources it lets a player open. Opening and every
/// read pass a gate the test can close, to keep the worker busy for as long as it likes.
class FakeSourceControl
{
public:
    /// Frames from this one on fail to read.
    std::atomic<int> readable { std::numeric_limits<int>::max() };
    std::atomic<int> reads { 0 };
    std::atomic<bool> destroyed { false };

    void hold();
    void release();
    /// Waits until a worker waits at the closed gate.
    bool waitForBlocked(int milliseconds);
    /// Waits until the source is gone.
    bool waitForDestroyed(int milliseconds);
    void pass();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_held = false;
    int m_waiting = 0;
};

/// Opens a fake source of `frameCount` frames of 4 x 3 pixels with the given presets.
zelkir::SourceOpener fakeSourceOpener(
    std::shared_ptr<FakeSourceControl> control, int frameCount, zelkir::PresetInfo presets = {});
