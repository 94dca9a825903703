#pragma once
// What reading aloud and oral training tell the learning record of their
// practice. The record turns the calls into sessions with a length and a
// count of items.

namespace zarelo {

class PracticeLog {
public:
    virtual ~PracticeLog() = default;
    // The practice is going on: `items` entries started playing, or
    // recordings were made (0: the practice began, nothing counted yet).
    virtual void Played(int items) = 0;
    // Reading stopped. The session goes on if anything plays again within a
    // minute; otherwise it ended at the stop.
    virtual void Paused() = 0;
    // The mode changed or the window closed: the session ends now.
    virtual void Ended() = 0;
};

} // namespace zarelo
