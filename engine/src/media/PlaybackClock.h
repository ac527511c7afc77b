// The playback clock: the position the viewer is at now. While sound plays it
// follows the sound being heard (the device's position less its lead);
// otherwise the system's clock. Not thread-safe: its owner locks.
#pragma once

#include "SoundOutput.h"

namespace engine {

class PlaybackClock {
  public:
    // With `sound` open, the clock is the sound's.
    explicit PlaybackClock(SoundOutput& sound) : sound_(sound) {}

    // With sound open, every set() follows it again.
    void followSound(bool follow) { soundOpen_ = followSound_ = follow; }
    bool followsSound() const { return followSound_; }

    bool started() const { return started_; }
    bool running() const { return running_; }
    // Where the clock stands now, in ms of the movie.
    int now() const;
    // Jumps to `ms` (an open, a seek); the sound queued so far is dropped.
    void set(int ms);
    void run(bool run);
    // The sound has ended before the picture (or run dry): the system clock
    // goes on from where the sound stopped, until the next set().
    void leaveSound();
    // The sound's volume changed (0..100): heard at once.
    void setVolume(int volume);

  private:
    SoundOutput& sound_;
    bool soundOpen_ = false;
    bool followSound_ = false;
    bool started_ = false;
    bool running_ = false;
    int baseMs_ = 0;
    long long startUs_ = 0;
};

long long monotonicMicros();

} // namespace engine
