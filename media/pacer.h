#pragma once
// The game's pacing: clips played to their end and the fixed pauses hold the game's sequence.

/// Waits a number of milliseconds. The program's pacer keeps repainting while it waits but
/// holds clicks and keys until the sequence ends; tests hand in one that only writes it down.
class Pacer
{
public:
    virtual ~Pacer() = default;
    virtual void wait(int ms) = 0;
};

/// The program's pacer: a local event loop that excludes user input.
class EventLoopPacer final : public Pacer
{
public:
    void wait(int ms) override;
};
